#include "settings/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace sorae {

namespace {

constexpr const char* kForm = "Form";
constexpr const char* kWave = "Wave";
constexpr const char* kSat = "Sat";
constexpr const char* kPic = "Pic";
constexpr const char* kProducts = "Products";
constexpr const char* kRadio = "Radio";
constexpr const char* kColor = "Color";
constexpr const char* kMap = "Map";
constexpr const char* kGeoreference = "Georeference";

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Typed reads that leave the default in place when the key is missing or
// its text cannot be read.
class Reader {
public:
    explicit Reader(const IniFile& ini) : ini_(ini) {}

    void integer(const char* section, const std::string& key, int& out) const {
        if (auto text = ini_.value(section, key)) {
            if (auto v = parseIniInt(*text)) out = *v;
        }
    }
    // A readable value outside [lowest, highest] is taken as the nearest
    // end of the range the dialogs offer.
    void clamped(const char* section, const std::string& key, int& out, int lowest, int highest) const {
        int v = out;
        integer(section, key, v);
        out = std::clamp(v, lowest, highest);
    }
    void boolean(const char* section, const std::string& key, bool& out) const {
        if (auto text = ini_.value(section, key)) {
            if (auto v = parseIniInt(*text)) out = *v != 0;
        }
    }
    // A value outside [lowest, highest] cannot be meant and is unreadable too.
    void real(const char* section, const std::string& key, double& out, double lowest, double highest) const {
        if (auto text = ini_.value(section, key)) {
            if (auto v = parseIniFloat(*text); v && *v >= lowest && *v <= highest) out = *v;
        }
    }
    void text(const char* section, const std::string& key, std::string& out) const {
        if (auto v = ini_.value(section, key)) out = *v;
    }
    void colour(const std::string& key, ColourValue& out) const {
        if (auto text = ini_.value(kColor, key)) {
            if (auto v = parseIniColour(*text)) out = *v;
        }
    }

private:
    const IniFile& ini_;
};

class Writer {
public:
    explicit Writer(IniFile& ini) : ini_(ini) {}

    void integer(const char* section, const std::string& key, int v) { ini_.setValue(section, key, std::to_string(v)); }
    void boolean(const char* section, const std::string& key, bool v) { ini_.setValue(section, key, v ? "1" : "0"); }
    void real(const char* section, const std::string& key, double v) { ini_.setValue(section, key, formatIniFloat(v)); }
    void text(const char* section, const std::string& key, const std::string& v) { ini_.setValue(section, key, v); }
    void colour(const std::string& key, ColourValue v) { ini_.setValue(kColor, key, formatIniColour(v)); }

private:
    IniFile& ini_;
};

std::string recvSatKey(int i) { return "RecvSat" + std::to_string(i); }
std::string markKey(int i) { return "Sat0" + std::to_string(i); }
std::string trackKey(int i) { return "Sat1" + std::to_string(i); }

// The four offsets of one satellite as (key suffix, field) pairs.
template <typename Offsets, typename Visit>
void forEachOffset(Offsets& o, Visit visit) {
    visit("Time", o.timeSeconds);
    visit("Roll", o.rollDeg);
    visit("Pitch", o.pitchDeg);
    visit("Yaw", o.yawDeg);
}

}  // namespace

std::optional<int> parseIniInt(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseIniFloat(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // "nan" and "inf" parse, but no setting can hold them.
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<ColourValue> parseIniColour(std::string_view text) {
    text = trimmed(text);
    if (text.size() != 6) {
        return std::nullopt;
    }
    ColourValue value = 0;
    for (char c : text) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + ColourValue(d);
    }
    return value;
}

std::string formatIniFloat(double value) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc()) {
        return "0";
    }
    return std::string(buf, end);
}

std::string formatIniColour(ColourValue colour) {
    static const char digits[] = "0123456789ABCDEF";
    colour &= 0xFFFFFFu;
    std::string out(6, '0');
    for (int i = 5; i >= 0; --i) {
        out[std::size_t(i)] = digits[colour & 0xF];
        colour >>= 4;
    }
    return out;
}

AppSettings readSettings(const IniFile& ini) {
    AppSettings s;
    const Reader r(ini);
    r.integer(kForm, "MainTop", s.mainTop);
    r.integer(kForm, "MainLeft", s.mainLeft);
    r.integer(kForm, "MainWidth", s.mainWidth);
    r.integer(kForm, "MainHeight", s.mainHeight);
    r.boolean(kForm, "MainMaxmum", s.mainMaximised);
    r.clamped(kWave, "SignalGain", s.signalGain, kSignalGainLowest, kSignalGainHighest);
    r.integer(kWave, "Input", s.input);
    r.boolean(kWave, "DemodType", s.demodType);  // 2 (or any non-zero) means I/Q
    r.text(kWave, "InputName", s.inputName);
    r.boolean(kWave, "AutoLevel", s.autoLevel);
    r.boolean(kForm, "AutoScan", s.autoScan);
    r.boolean(kForm, "PicStrech", s.picStretch);
    for (int i = 0; i < 8; ++i) {
        bool v = s.recvSat[std::size_t(i)];
        r.boolean(kSat, recvSatKey(i), v);
        s.recvSat[std::size_t(i)] = v;
    }
    // The station's position within the ranges the command line accepts.
    r.real(kSat, "LocateN", s.locateN, -90.0, 90.0);
    r.real(kSat, "LocateE", s.locateE, -180.0, 360.0);
    r.integer(kSat, "Preset", s.preset);
    r.text(kSat, "Address", s.address);
    r.boolean(kSat, "AutoUpdate", s.autoUpdate);
    r.clamped(kSat, "UpdateDay", s.updateDay, kUpdateDayLowest, kUpdateDayHighest);
    r.real(kSat, "MaxElev", s.maxElev, -90.0, 90.0);
    r.real(kSat, "MinElev", s.minElev, -90.0, 90.0);
    r.boolean(kSat, "SortElev", s.sortElev);
    r.boolean(kSat, "SortNext", s.sortNext);
    r.clamped(kPic, "MinScanLine", s.minScanLine, 0, kMinScanLineHighest);
    r.boolean(kPic, "PicCut", s.picCut);
    r.boolean(kPic, "AddText", s.addText);
    r.boolean(kPic, "PicSave", s.picSave);
    r.integer(kRadio, "PortList", s.portList);
    r.boolean(kRadio, "AutoCont", s.autoCont);
    r.integer(kRadio, "Type", s.type);
    r.integer(kRadio, "AntNum", s.antNum);
    r.integer(kRadio, "VolPCR", s.volPcr);
    r.colour("MapBackColor", s.mapBackColor);
    r.colour("MapCoastColor", s.mapCoastColor);
    r.colour("Grid", s.grid);
    r.colour("GridNum", s.gridNum);
    r.colour("Boundaries", s.boundaries);
    for (int i = 0; i < 8; ++i) {
        r.colour(markKey(i), s.satMark[std::size_t(i)]);
        r.colour(trackKey(i), s.satTrack[std::size_t(i)]);
    }
    r.colour("SatN0", s.satNextMark);
    r.colour("SatN1", s.satNextTrack);
    r.boolean(kMap, "Footprints", s.mapFootprints);
    r.boolean(kMap, "Terminator", s.mapTerminator);
    r.boolean(kMap, "PassTimes", s.mapPassTimes);
    // Keys of our own, beyond the original set.
    r.boolean(kPic, "SaveAudio", s.saveAudio);
    r.boolean(kPic, "SaveGeoTiff", s.saveGeoTiff);
    r.text(kRadio, "PortName", s.portName);
    r.boolean(kProducts, "Temperature", s.productTemperature);
    r.boolean(kProducts, "Thermal", s.productThermal);
    r.boolean(kProducts, "FalseColour", s.productFalseColour);
    r.boolean(kProducts, "CloudTop", s.productCloudTop);
    r.boolean(kProducts, "MapColour", s.productMapColour);
    r.boolean(kPic, "MapOverlay", s.mapOverlay);
    for (std::size_t i = 0; i < kOffsetTableSize; ++i) {
        SatelliteOffsets& o = s.georeferenceOffsets[i];
        const std::string prefix = OffsetKeyPrefix(i);
        forEachOffset(o, [&](const char* name, double& field) {
            if (auto text = ini.value(kGeoreference, prefix + name)) {
                if (auto v = parseIniFloat(*text)) field = *v;
            }
        });
        o = ClampedOffsets(o);
    }
    return s;
}

void writeSettings(const AppSettings& s, const WindowPlacement& placement, IniFile& ini) {
    Writer w(ini);
    w.integer(kWave, "SignalGain", s.signalGain);
    w.integer(kWave, "Input", s.input);
    w.boolean(kWave, "DemodType", s.demodType);
    w.text(kWave, "InputName", s.inputName);
    w.boolean(kWave, "AutoLevel", s.autoLevel);
    w.boolean(kForm, "AutoScan", s.autoScan);
    w.boolean(kForm, "PicStrech", s.picStretch);
    if (placement.maximised) {
        // Nothing updates the loaded geometry while the program runs, so the
        // restored size of the last normal session is kept.
        w.integer(kForm, "MainTop", s.mainTop);
        w.integer(kForm, "MainLeft", s.mainLeft);
        w.integer(kForm, "MainWidth", s.mainWidth);
        w.integer(kForm, "MainHeight", s.mainHeight);
        w.boolean(kForm, "MainMaxmum", true);
    } else {
        w.integer(kForm, "MainTop", placement.top);
        w.integer(kForm, "MainLeft", placement.left);
        w.integer(kForm, "MainWidth", placement.width);
        w.integer(kForm, "MainHeight", placement.height);
        w.boolean(kForm, "MainMaxmum", false);
    }
    for (int i = 0; i < 8; ++i) {
        w.boolean(kSat, recvSatKey(i), s.recvSat[std::size_t(i)]);
    }
    w.real(kSat, "LocateN", s.locateN);
    w.real(kSat, "LocateE", s.locateE);
    w.integer(kSat, "Preset", s.preset);
    w.text(kSat, "Address", s.address);
    w.boolean(kSat, "AutoUpdate", s.autoUpdate);
    w.integer(kSat, "UpdateDay", s.updateDay);
    w.real(kSat, "MaxElev", s.maxElev);
    w.real(kSat, "MinElev", s.minElev);
    w.boolean(kSat, "SortElev", s.sortElev);
    w.boolean(kSat, "SortNext", s.sortNext);
    w.integer(kPic, "MinScanLine", s.minScanLine);
    w.boolean(kPic, "PicCut", s.picCut);
    w.boolean(kPic, "AddText", s.addText);
    w.boolean(kPic, "PicSave", s.picSave);
    w.boolean(kRadio, "AutoCont", s.autoCont);
    w.integer(kRadio, "PortList", s.portList);
    w.integer(kRadio, "Type", s.type);
    w.integer(kRadio, "AntNum", s.antNum);
    w.integer(kRadio, "VolPCR", s.volPcr);
    w.colour("MapBackColor", s.mapBackColor);
    w.colour("MapCoastColor", s.mapCoastColor);
    w.colour("Grid", s.grid);
    w.colour("GridNum", s.gridNum);
    w.colour("Boundaries", s.boundaries);
    for (int i = 0; i < 8; ++i) {
        w.colour(markKey(i), s.satMark[std::size_t(i)]);
        w.colour(trackKey(i), s.satTrack[std::size_t(i)]);
    }
    w.colour("SatN0", s.satNextMark);
    w.colour("SatN1", s.satNextTrack);
    w.boolean(kMap, "Footprints", s.mapFootprints);
    w.boolean(kMap, "Terminator", s.mapTerminator);
    w.boolean(kMap, "PassTimes", s.mapPassTimes);
    w.boolean(kPic, "SaveAudio", s.saveAudio);
    w.boolean(kPic, "SaveGeoTiff", s.saveGeoTiff);
    w.text(kRadio, "PortName", s.portName);
    w.boolean(kProducts, "Temperature", s.productTemperature);
    w.boolean(kProducts, "Thermal", s.productThermal);
    w.boolean(kProducts, "FalseColour", s.productFalseColour);
    w.boolean(kProducts, "CloudTop", s.productCloudTop);
    w.boolean(kProducts, "MapColour", s.productMapColour);
    w.boolean(kPic, "MapOverlay", s.mapOverlay);
    for (std::size_t i = 0; i < kOffsetTableSize; ++i) {
        const SatelliteOffsets o = ClampedOffsets(s.georeferenceOffsets[i]);
        const std::string prefix = OffsetKeyPrefix(i);
        forEachOffset(o, [&](const char* name, double field) {
            w.real(kGeoreference, prefix + name, field);
        });
    }
}

AppSettings loadSettingsFile(const std::string& path) {
    IniFile ini;
    if (!ini.load(path)) {
        return AppSettings{};
    }
    return readSettings(ini);
}

bool saveSettingsFile(const std::string& path, const AppSettings& settings,
                      const WindowPlacement& placement) {
    IniFile ini;
    if (!ini.load(path)) {
        // An existing file we cannot read is not overwritten with a file that
        // would lose its unknown keys; report the failure instead.
        return false;
    }
    writeSettings(settings, placement, ini);
    return ini.save(path);
}

}  // namespace sorae
