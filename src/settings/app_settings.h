// All persistent configuration of the program, as held in memory.
// The settings dialogs edit these values in place; the INI file learns of
// them only when the main window closes (see settings_file.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/satellite_offsets.h"

namespace sorae {

// A colour as 0x00BBGGRR: the low byte is red, the next green, then blue.
using ColourValue = std::uint32_t;

// The ranges the dialogs offer; values read from the file are held to them.
inline constexpr int kSignalGainLowest = -20;
inline constexpr int kSignalGainHighest = 20;
inline constexpr int kUpdateDayLowest = 1;
inline constexpr int kUpdateDayHighest = 60;
inline constexpr int kMinScanLineHighest = 2400;  // a pass holds at most 2400 lines

struct AppSettings {
    // [Form]
    int mainTop = 0;
    int mainLeft = 0;
    int mainWidth = 1062;
    int mainHeight = 726;
    bool mainMaximised = false;  // MainMaxmum
    bool autoScan = false;       // AutoScan: the automatic-reception button
    bool picStretch = false;     // PicStrech: the stretch button

    // [Wave]
    int signalGain = 0;      // SignalGain, dB, -20..+20
    int input = 0;           // Input: row of the recording device list
    bool demodType = false;  // DemodType: true = 96 kHz I/Q input
    std::string inputName;   // InputName: the sound server's name of that device ("" = default)
    bool autoLevel = false;  // AutoLevel: live reception scales the envelope by itself

    // [Sat]
    std::array<bool, 8> recvSat{false, false, false, true, false, true, true, true};
    double locateN = 35.6894875;
    double locateE = 139.6917064;
    int preset = 13;
    std::string address = "http://celestrak.org/NORAD/elements/noaa.txt";
    bool autoUpdate = true;
    int updateDay = 14;
    double maxElev = 3.0;  // lowest maximum elevation for a pass to count
    double minElev = 1.0;  // elevation at which a pass starts and ends
    bool sortElev = true;
    bool sortNext = false;

    // [Pic]
    int minScanLine = 360;
    bool picCut = true;
    bool addText = true;
    bool picSave = true;
    bool saveAudio = true;  // SaveAudio: keep each pass's audio as FLAC
    bool saveGeoTiff = false;  // SaveGeoTiff: each channel also as a GeoTIFF on a lat/lon grid
    bool mapOverlay = false;  // MapOverlay: coastlines and grid drawn onto saved pictures

    // [Products]: the calibrated products made beside each pass's pictures
    bool productTemperature = false;   // Temperature: the kelvin TIFF of each infrared channel
    bool productThermal = false;       // Thermal: colour scale with legend
    bool productFalseColour = false;   // FalseColour: daytime sea, land, cloud, snow
    bool productCloudTop = false;      // CloudTop: colour steps for cold tops
    bool productMapColour = false;     // MapColour: land and sea under the clouds

    // [Radio]
    int portList = 0;
    bool autoCont = false;
    int type = 0;  // receiver model: 0 AR-5000, 1 IC-PCR, 2 DJ-X11(IQ)
    int antNum = 0;
    int volPcr = 0;
    std::string portName;  // PortName: the serial device path last chosen

    // [Color]
    ColourValue mapBackColor = 0x200000;
    ColourValue mapCoastColor = 0x004000;
    ColourValue grid = 0x006000;
    ColourValue gridNum = 0x00FF00;
    ColourValue boundaries = 0x008000;
    std::array<ColourValue, 8> satMark{0x0080FF, 0xFF8000, 0xFFFF00, 0xFF00FF,
                                       0x00FFFF, 0x00FF00, 0xFF0000, 0xFFFF80};
    std::array<ColourValue, 8> satTrack{0x004080, 0x804000, 0x808000, 0x800080,
                                        0x008080, 0x008000, 0x800000, 0x808040};
    ColourValue satNextMark = 0xFFFFFF;   // SatN0
    ColourValue satNextTrack = 0x808080;  // SatN1

    // [Map]: what the flat orbit map adds, all off by default
    bool mapFootprints = false;  // Footprints: each satellite's footprint
    bool mapTerminator = false;  // Terminator: the night side shaded
    bool mapPassTimes = false;   // PassTimes: AOS/LOS times along the next pass's track
    // [Georeference]: clock and attitude corrections per satellite, zero
    // unless set by hand in the file.
    SatelliteOffsetTable georeferenceOffsets{};
};

}  // namespace sorae
