// Settings file: defaults, encodings, save order, geometry rule and the
// preservation of what the program does not know.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

#include "common/atomic_file.h"
#include "common/scratch_folder.h"
#include "common/small_tmpfs.h"
#include "settings/settings_file.h"
#include "settings/window_fit.h"

namespace fs = std::filesystem;
using namespace sorae;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:

    void writeText(const std::string& text) {
        std::ofstream out(path_, std::ios::binary);
        out << text;
    }
    std::string readText() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    testsupport::ScratchFolder scratch_{"sorae-settings-"};
    const std::string path_ = scratch_.file("sorae-apt.ini");
};

WindowPlacement restoredAt(int top, int left, int width, int height) {
    return WindowPlacement{top, left, width, height, false};
}

}  // namespace

TEST_F(SettingsFileTest, FreshStartGivesTheDocumentedDefaults) {
    const AppSettings s = loadSettingsFile(path_);
    EXPECT_EQ(s.mainTop, 0);
    EXPECT_EQ(s.mainLeft, 0);
    EXPECT_EQ(s.mainWidth, 1062);
    EXPECT_EQ(s.mainHeight, 726);
    EXPECT_FALSE(s.mainMaximised);
    EXPECT_DOUBLE_EQ(s.locateN, 35.6894875);
    EXPECT_DOUBLE_EQ(s.locateE, 139.6917064);
    EXPECT_EQ(s.preset, 13);
    const std::array<bool, 8> sats{false, false, false, true, false, true, true, true};
    EXPECT_EQ(s.recvSat, sats);
    EXPECT_EQ(s.updateDay, 14);
    EXPECT_TRUE(s.autoUpdate);
    EXPECT_EQ(s.minScanLine, 360);
    EXPECT_EQ(s.mapBackColor, 0x200000u);
    EXPECT_EQ(s.satMark[0], 0x0080FFu);
    EXPECT_EQ(s.satTrack[7], 0x808040u);
    EXPECT_NE(s.address.find("/NORAD/elements/noaa.txt"), std::string::npos);
    EXPECT_FALSE(fs::exists(path_)) << "loading must not create the file";
}

TEST_F(SettingsFileTest, FreshSaveWritesSectionsAndKeysInSaveOrder) {
    ASSERT_TRUE(saveSettingsFile(path_, AppSettings{}, restoredAt(10, 20, 1100, 800)));
    const std::string text = readText();
    std::vector<std::string> keys;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        keys.push_back(line.substr(0, line.find('=')));
    }
    const std::vector<std::string> expected{
        "[Wave]", "SignalGain", "Input", "DemodType", "InputName", "AutoLevel",
        "[Form]", "AutoScan", "PicStrech", "MainTop", "MainLeft", "MainWidth", "MainHeight", "MainMaxmum",
        "[Sat]", "RecvSat0", "RecvSat1", "RecvSat2", "RecvSat3", "RecvSat4", "RecvSat5", "RecvSat6",
        "RecvSat7", "LocateN", "LocateE", "Preset", "Address", "AutoUpdate", "UpdateDay", "MaxElev",
        "MinElev", "SortElev", "SortNext",
        "[Pic]", "MinScanLine", "PicCut", "AddText", "PicSave", "SaveAudio", "SaveGeoTiff", "MapOverlay",
        "[Radio]", "AutoCont", "PortList", "Type", "AntNum", "VolPCR", "PortName",
        "[Color]", "MapBackColor", "MapCoastColor", "Grid", "GridNum", "Boundaries",
        "Sat00", "Sat10", "Sat01", "Sat11", "Sat02", "Sat12", "Sat03", "Sat13", "Sat04", "Sat14",
        "Sat05", "Sat15", "Sat06", "Sat16", "Sat07", "Sat17", "SatN0", "SatN1",
        "[Map]", "Footprints", "Terminator", "PassTimes",
        "[Products]", "Temperature", "Thermal", "FalseColour", "CloudTop", "MapColour"};
    std::vector<std::string> expectedWithOffsets = expected;
    expectedWithOffsets.push_back("[Georeference]");
    for (const char* sat : {"NOAA11", "NOAA12", "NOAA14", "NOAA15", "NOAA16", "NOAA17", "NOAA18", "NOAA19"}) {
        for (const char* axis : {"Time", "Roll", "Pitch", "Yaw"}) expectedWithOffsets.push_back(std::string(sat) + axis);
    }
    EXPECT_EQ(keys, expectedWithOffsets);
    EXPECT_NE(text.find("[Georeference]\nNOAA11Time=0\nNOAA11Roll=0\n"), std::string::npos);
    EXPECT_NE(text.find("MainTop=10\nMainLeft=20\nMainWidth=1100\nMainHeight=800\nMainMaxmum=0\n"),
              std::string::npos);
    EXPECT_NE(text.find("LocateN=35.6894875\nLocateE=139.6917064\n"), std::string::npos);
    EXPECT_NE(text.find("MaxElev=3\nMinElev=1\n"), std::string::npos);
    EXPECT_NE(text.find("MapBackColor=200000\n"), std::string::npos);
    EXPECT_NE(text.find("Sat00=0080FF\nSat10=004080\n"), std::string::npos);
}

TEST_F(SettingsFileTest, EveryValueSurvivesARoundTrip) {
    AppSettings s;
    s.signalGain = -17;
    s.input = 3;
    s.demodType = true;
    s.autoScan = true;
    s.picStretch = true;
    s.recvSat = {true, false, true, false, true, false, true, false};
    s.locateN = -33.868820123456;
    s.locateE = 151.20929;
    s.preset = 2;
    s.address = "http://127.0.0.1:8080/NORAD/elements/noaa.txt";
    s.autoUpdate = false;
    s.updateDay = 3;
    s.maxElev = 12.5;
    s.minElev = 0.25;
    s.sortElev = false;
    s.sortNext = true;
    s.minScanLine = 100;
    s.picCut = false;
    s.addText = false;
    s.picSave = false;
    s.saveAudio = false;
    s.saveGeoTiff = true;
    s.portList = 4;
    s.autoCont = true;
    s.type = 2;
    s.antNum = 3;
    s.volPcr = 99;
    s.portName = "/dev/ttyUSB0";
    s.productTemperature = true;
    s.productCloudTop = true;
    s.productMapColour = true;
    s.mapBackColor = 0xABCDEF;
    s.satMark[3] = 0x010203;
    s.satTrack[5] = 0xFEDCBA;
    s.satNextMark = 0x123456;
    s.satNextTrack = 0x00000A;
    s.mapFootprints = true;
    s.mapTerminator = true;
    s.mapPassTimes = true;
    s.mapOverlay = true;
    s.georeferenceOffsets[7] = {-0.75, 0.125, -0.5, 1.25};
    s.georeferenceOffsets[3].timeSeconds = 12.5;

    ASSERT_TRUE(saveSettingsFile(path_, s, restoredAt(-5, 7, 1200, 900)));
    AppSettings back = loadSettingsFile(path_);
    EXPECT_EQ(back.mainTop, -5);
    EXPECT_EQ(back.mainLeft, 7);
    EXPECT_EQ(back.mainWidth, 1200);
    EXPECT_EQ(back.mainHeight, 900);
    // With the geometry taken over, the records must agree field by field.
    s.mainTop = -5;
    s.mainLeft = 7;
    s.mainWidth = 1200;
    s.mainHeight = 900;
    EXPECT_EQ(back.signalGain, s.signalGain);
    EXPECT_EQ(back.input, s.input);
    EXPECT_EQ(back.demodType, s.demodType);
    EXPECT_EQ(back.autoScan, s.autoScan);
    EXPECT_EQ(back.picStretch, s.picStretch);
    EXPECT_EQ(back.recvSat, s.recvSat);
    EXPECT_EQ(back.locateN, s.locateN);
    EXPECT_EQ(back.locateE, s.locateE);
    EXPECT_EQ(back.preset, s.preset);
    EXPECT_EQ(back.address, s.address);
    EXPECT_EQ(back.autoUpdate, s.autoUpdate);
    EXPECT_EQ(back.updateDay, s.updateDay);
    EXPECT_EQ(back.maxElev, s.maxElev);
    EXPECT_EQ(back.minElev, s.minElev);
    EXPECT_EQ(back.sortElev, s.sortElev);
    EXPECT_EQ(back.sortNext, s.sortNext);
    EXPECT_EQ(back.minScanLine, s.minScanLine);
    EXPECT_EQ(back.picCut, s.picCut);
    EXPECT_EQ(back.addText, s.addText);
    EXPECT_EQ(back.picSave, s.picSave);
    EXPECT_EQ(back.saveAudio, s.saveAudio);
    EXPECT_EQ(back.saveGeoTiff, s.saveGeoTiff);
    EXPECT_EQ(back.portList, s.portList);
    EXPECT_EQ(back.autoCont, s.autoCont);
    EXPECT_EQ(back.type, s.type);
    EXPECT_EQ(back.antNum, s.antNum);
    EXPECT_EQ(back.volPcr, s.volPcr);
    EXPECT_EQ(back.portName, s.portName);
    EXPECT_EQ(back.productTemperature, true);
    EXPECT_EQ(back.productThermal, false);
    EXPECT_EQ(back.productFalseColour, false);
    EXPECT_EQ(back.productCloudTop, true);
    EXPECT_EQ(back.productMapColour, true);
    EXPECT_EQ(back.mapBackColor, s.mapBackColor);
    EXPECT_EQ(back.satMark, s.satMark);
    EXPECT_EQ(back.satTrack, s.satTrack);
    EXPECT_EQ(back.satNextMark, s.satNextMark);
    EXPECT_EQ(back.satNextTrack, s.satNextTrack);
    EXPECT_EQ(back.mapFootprints, s.mapFootprints);
    EXPECT_EQ(back.mapTerminator, s.mapTerminator);
    EXPECT_EQ(back.mapPassTimes, s.mapPassTimes);
    EXPECT_EQ(back.mapOverlay, s.mapOverlay);
    EXPECT_EQ(back.georeferenceOffsets, s.georeferenceOffsets);

    // A second save of what was loaded changes no byte.
    const std::string first = readText();
    ASSERT_TRUE(saveSettingsFile(path_, back, restoredAt(-5, 7, 1200, 900)));
    EXPECT_EQ(readText(), first);
}

TEST_F(SettingsFileTest, DemodTypeTwoIsTheIqFlagAndIsWrittenAsOne) {
    writeText("[Wave]\nDemodType=2\n");
    const AppSettings s = loadSettingsFile(path_);
    EXPECT_TRUE(s.demodType);
    ASSERT_TRUE(saveSettingsFile(path_, s, restoredAt(0, 0, 1062, 726)));
    EXPECT_NE(readText().find("DemodType=1\n"), std::string::npos);
}

TEST_F(SettingsFileTest, ColourTextsAreReadAsBlueGreenRedPairs) {
    writeText("[Color]\nMapBackColor=0080FF\nGrid=A0B0C0\nSat05=ff8000\nSat15=12345\nSatN0=GGGGGG\n");
    const AppSettings s = loadSettingsFile(path_);
    EXPECT_EQ(s.mapBackColor, 0x0080FFu);  // red FF, green 80, blue 00
    EXPECT_EQ(s.grid, 0xA0B0C0u);
    EXPECT_EQ(s.satMark[5], 0xFF8000u);    // lower case is read the way a user means it
    EXPECT_EQ(s.satTrack[5], AppSettings{}.satTrack[5]);  // too short: default
    EXPECT_EQ(s.satNextMark, AppSettings{}.satNextMark);  // not hexadecimal: default
    ASSERT_TRUE(saveSettingsFile(path_, s, restoredAt(0, 0, 1062, 726)));
    const std::string text = readText();
    EXPECT_NE(text.find("MapBackColor=0080FF\n"), std::string::npos);  // upper case kept
    EXPECT_NE(text.find("Grid=A0B0C0\n"), std::string::npos);
    EXPECT_NE(text.find("Sat05=FF8000\n"), std::string::npos);
    EXPECT_NE(text.find("Sat15=008000\n"), std::string::npos);
}

TEST_F(SettingsFileTest, UnreadableValuesFallBackToTheirDefaults) {
    writeText(
        "[Form]\nMainWidth=wide\nMainHeight=12x\nMainTop= 40 \nAutoScan=yes\n"
        "[Wave]\nSignalGain=\nInput=2.5\n"
        "[Sat]\nLocateN=north\nLocateE=1e2\nUpdateDay=99999999999\nRecvSat0=7\nRecvSat3=0\n"
        "[Pic]\nMinScanLine=-\n");
    const AppSettings s = loadSettingsFile(path_);
    const AppSettings d;
    EXPECT_EQ(s.mainWidth, d.mainWidth);
    EXPECT_EQ(s.mainHeight, d.mainHeight);
    EXPECT_EQ(s.mainTop, 40);
    EXPECT_EQ(s.autoScan, d.autoScan);
    EXPECT_EQ(s.signalGain, d.signalGain);
    EXPECT_EQ(s.input, d.input);
    EXPECT_EQ(s.locateN, d.locateN);
    EXPECT_EQ(s.locateE, 100.0);
    EXPECT_EQ(s.updateDay, d.updateDay);  // out of the integer range
    EXPECT_TRUE(s.recvSat[0]);            // any non-zero value is true
    EXPECT_FALSE(s.recvSat[3]);
    EXPECT_EQ(s.minScanLine, d.minScanLine);
}

// Hand-edited offsets: absurd values are clamped to what a satellite can be
// off by, unreadable and non-finite ones stay zero, and the row is found by
// the satellite's name however it is written.
TEST_F(SettingsFileTest, OffsetTableIsClampedAndFoundByName) {
    struct Case {
        const char* text;
        SatelliteOffsets expected;
    };
    const Case cases[] = {
        {"NOAA19Time=1.5\nNOAA19Roll=-0.25\nNOAA19Pitch=0.1\nNOAA19Yaw=0.2\n", {1.5, -0.25, 0.1, 0.2}},
        {"NOAA19Time=3600\nNOAA19Roll=-45\nNOAA19Pitch=1e308\nNOAA19Yaw=-1e308\n", {60.0, -5.0, 5.0, -5.0}},
        {"NOAA19Time=nan\nNOAA19Roll=inf\nNOAA19Pitch=-inf\nNOAA19Yaw=half\n", {0.0, 0.0, 0.0, 0.0}},
        {"noaa19time=-60\nnoaa19yaw=5\n", {-60.0, 0.0, 0.0, 5.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        writeText(std::string("[Georeference]\n") + c.text);
        AppSettings s = loadSettingsFile(path_);
        EXPECT_EQ(s.georeferenceOffsets[7], c.expected);
        for (const char* name : {"NOAA-19", "NOAA 19", "noaa19"}) {
            EXPECT_EQ(OffsetsForSatellite(s.georeferenceOffsets, name), c.expected) << name;
        }
        EXPECT_EQ(OffsetsForSatellite(s.georeferenceOffsets, "NOAA-18"), SatelliteOffsets{});
        EXPECT_EQ(OffsetsForSatellite(s.georeferenceOffsets, "METEOR-M2"), SatelliteOffsets{});
        // A value set out of range in memory is saved clamped too.
        s.georeferenceOffsets[0].rollDeg = 90.0;
        ASSERT_TRUE(saveSettingsFile(path_, s, restoredAt(0, 0, 1062, 726)));
        const AppSettings back = loadSettingsFile(path_);
        EXPECT_EQ(back.georeferenceOffsets[7], c.expected);
        EXPECT_EQ(back.georeferenceOffsets[0].rollDeg, 5.0);
    }
}

TEST_F(SettingsFileTest, MaximisedSaveKeepsTheLoadedRestoredGeometry) {
    writeText("[Form]\nMainTop=50\nMainLeft=60\nMainWidth=1300\nMainHeight=900\nMainMaxmum=0\n");
    const AppSettings s = loadSettingsFile(path_);
    ASSERT_TRUE(saveSettingsFile(path_, s, WindowPlacement{0, 0, 1920, 1080, true}));
    const AppSettings back = loadSettingsFile(path_);
    EXPECT_TRUE(back.mainMaximised);
    EXPECT_EQ(back.mainTop, 50);
    EXPECT_EQ(back.mainLeft, 60);
    EXPECT_EQ(back.mainWidth, 1300);
    EXPECT_EQ(back.mainHeight, 900);
    // Leaving the maximised state again writes the current window.
    ASSERT_TRUE(saveSettingsFile(path_, back, restoredAt(1, 2, 1100, 750)));
    const AppSettings again = loadSettingsFile(path_);
    EXPECT_FALSE(again.mainMaximised);
    EXPECT_EQ(again.mainTop, 1);
    EXPECT_EQ(again.mainLeft, 2);
}

TEST_F(SettingsFileTest, UnknownSectionsKeysAndCommentsSurviveASave) {
    writeText(
        "; station notes\r\n"
        "[Station]\r\nCallSign=JA1XYZ\r\n\r\n"
        "[sat]\r\nlocaten=43.06\r\nFavourite=NOAA-19\r\n"
        "[Form]\r\nToolbarHidden=1\r\n");
    AppSettings s = loadSettingsFile(path_);
    EXPECT_DOUBLE_EQ(s.locateN, 43.06);  // names compare without case
    s.locateN = 44.5;
    ASSERT_TRUE(saveSettingsFile(path_, s, restoredAt(0, 0, 1062, 726)));
    const std::string text = readText();
    EXPECT_EQ(text.rfind("; station notes\r\n[Station]\r\nCallSign=JA1XYZ\r\n\r\n[sat]\r\nlocaten=44.5\r\n"
                         "Favourite=NOAA-19\r\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("ToolbarHidden=1\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\nLocateN="), std::string::npos) << "the existing key is updated, not duplicated";
    EXPECT_EQ(text.find('\n', 0), text.find("\r\n", 0) + 1) << "line endings of the old file are kept";
    const AppSettings back = loadSettingsFile(path_);
    EXPECT_DOUBLE_EQ(back.locateN, 44.5);
}

TEST_F(SettingsFileTest, AByteOrderMarkOrStrayCarriageReturnsDoNotDisturbReading) {
    writeText("\xEF\xBB\xBF[Form]\nMainWidth=1300\n");
    AppSettings s = loadSettingsFile(path_);
    EXPECT_EQ(s.mainWidth, 1300);
    ASSERT_TRUE(saveSettingsFile(path_, s, restoredAt(0, 0, 1250, 800)));
    const std::string text = readText();
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF[Form]\nMainWidth=1250\n", 0), 0u) << text;
    EXPECT_EQ(text.find("[Form]", 4), std::string::npos) << "no second Form section";

    // A file passed twice through a line-end conversion ends its lines in
    // CR CR LF: the stray CR is not part of a name or a value.
    writeText("[Form]\r\r\nMainWidth=1300\r\r\n[Pic]\r\r\nMinScanLine=500\r\r\n");
    s = loadSettingsFile(path_);
    EXPECT_EQ(s.mainWidth, 1300);
    EXPECT_EQ(s.minScanLine, 500);
}

TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileIntact) {
    // On a full disk the new file cannot be written whole: the save must fail
    // and leave the old file as it was rather than truncating it.
    testsupport::SmallTmpfs disk;
    if (!disk.available()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    const std::string onDisk = disk.file("sorae-apt.ini");
    std::ofstream(onDisk) << "[Notes]\n" << std::string(3000, 'x') << "=1\n";
    ASSERT_TRUE(saveSettingsFile(onDisk, AppSettings{}, restoredAt(0, 0, 1062, 726)));
    std::ifstream in(onDisk, std::ios::binary);
    const std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    disk.fill();
    AppSettings changed;
    changed.signalGain = 9;
    EXPECT_FALSE(saveSettingsFile(onDisk, changed, restoredAt(0, 0, 1062, 726)));
    std::ifstream after(onDisk, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), before);
    for (const auto& entry : fs::directory_iterator(disk.path()))
        EXPECT_FALSE(IsAtomicTemporaryName(entry.path().filename().string())) << entry.path();
}

TEST_F(SettingsFileTest, TemporariesLeftByACrashDisturbNothingAndGoWhenStale) {
    ASSERT_TRUE(saveSettingsFile(path_, AppSettings{}, restoredAt(0, 0, 1062, 726)));
    const std::string oldStyle = path_ + ".tmp";
    const std::string unique = path_ + ".tmp-999-1-abc";
    for (const std::string& t : {oldStyle, unique}) std::ofstream(t) << "[Wave]\nSignalGain=";
    EXPECT_EQ(loadSettingsFile(path_).signalGain, 0);
    AppSettings changed;
    changed.signalGain = 9;
    EXPECT_TRUE(saveSettingsFile(path_, changed, restoredAt(0, 0, 1062, 726)));
    EXPECT_EQ(loadSettingsFile(path_).signalGain, 9);
    EXPECT_FALSE(removeStaleTemporaryFile(path_)) << "young ones may be another copy's";
    EXPECT_TRUE(removeStaleTemporaryFile(path_, std::chrono::seconds(0)));
    EXPECT_FALSE(fs::exists(oldStyle));
    EXPECT_FALSE(fs::exists(unique));
}

// Integers a hand-edited file may hold beyond what the dialogs offer are
// held to the ends of their ranges (a gain of 2^31 dB decodes nothing; a
// MinScanLine beyond the 2400 lines of a pass saves no picture; a negative
// UpdateDay asks for a download at every start).
TEST_F(SettingsFileTest, IntegersBeyondTheirRangesAreHeldToIt) {
    const struct {
        const char* text;
        int AppSettings::*field;
        int expected;
    } cases[] = {
        {"[Wave]\nSignalGain=2147483647\n", &AppSettings::signalGain, 20},
        {"[Wave]\nSignalGain=-21\n", &AppSettings::signalGain, -20},
        {"[Wave]\nSignalGain=-7\n", &AppSettings::signalGain, -7},
        {"[Pic]\nMinScanLine=2147483647\n", &AppSettings::minScanLine, 2400},
        {"[Pic]\nMinScanLine=-5\n", &AppSettings::minScanLine, 0},
        {"[Pic]\nMinScanLine=0\n", &AppSettings::minScanLine, 0},
        {"[Sat]\nUpdateDay=-5\n", &AppSettings::updateDay, 1},
        {"[Sat]\nUpdateDay=0\n", &AppSettings::updateDay, 1},
        {"[Sat]\nUpdateDay=61\n", &AppSettings::updateDay, 60},
        {"[Sat]\nUpdateDay=30\n", &AppSettings::updateDay, 30},
    };
    for (const auto& c : cases) {
        writeText(c.text);
        EXPECT_EQ(loadSettingsFile(path_).*c.field, c.expected) << c.text;
    }
}

TEST_F(SettingsFileTest, AnUnreadableFileIsNotOverwritten) {
    // A directory where the file should be cannot be read: the save must
    // report failure instead of replacing it with a file of defaults.
    fs::create_directory(path_);
    EXPECT_FALSE(saveSettingsFile(path_, AppSettings{}, restoredAt(0, 0, 1062, 726)));
    EXPECT_TRUE(fs::is_directory(path_));
    EXPECT_EQ(loadSettingsFile(path_).minScanLine, 360);
}

TEST(IniEncodings, FloatsUseFifteenSignificantDigitsAndAPoint) {
    EXPECT_EQ(formatIniFloat(35.6894875), "35.6894875");
    EXPECT_EQ(formatIniFloat(3.0), "3");
    EXPECT_EQ(formatIniFloat(0.1 + 0.2), "0.3");
    EXPECT_EQ(formatIniFloat(-139.6917064), "-139.6917064");
    EXPECT_EQ(parseIniFloat(" 1.5 "), 1.5);
    EXPECT_FALSE(parseIniFloat("1,5").has_value());
    EXPECT_EQ(formatIniColour(0xFF0080FFu), "0080FF") << "only the RGB bytes are written";
    EXPECT_EQ(parseIniInt("+12"), 12);
    EXPECT_EQ(parseIniInt("-20"), -20);
    EXPECT_FALSE(parseIniInt("0x10").has_value());
}

// Values a damaged or hand-edited file may hold, read, fitted to a
// 1920 x 1080 screen beside a 1280 x 1024 one, and saved again.
TEST_F(SettingsFileTest, ImpossibleValuesLineEndsAndLinksAreReadSafely) {
    const AppSettings d;
    struct Case {
        const char* label;
        std::string text;
        bool throughLink;
        double locateN, locateE, maxElev;
        int minScanLine;
        WindowPlacement fitted;
    };
    const WindowPlacement normal{30, 40, 1100, 760, false};
    const std::string geometry = "[Form]\nMainTop=30\nMainLeft=40\nMainWidth=1100\nMainHeight=760\n";
    const Case cases[] = {
        {"not finite", geometry + "[Sat]\nLocateN=nan\nLocateE=inf\nMaxElev=-infinity\n", false,
         d.locateN, d.locateE, d.maxElev, d.minScanLine, normal},
        {"out of range", geometry + "[Sat]\nLocateN=1e308\nLocateE=-180.5\nMaxElev=91\n", false,
         d.locateN, d.locateE, d.maxElev, d.minScanLine, normal},
        {"range ends", geometry + "[Sat]\nLocateN=-90\nLocateE=360\nMaxElev=90\n", false,
         -90.0, 360.0, 90.0, d.minScanLine, normal},
        {"bare CR", "[Form]\rMainTop=30\rMainLeft=40\rMainWidth=1100\rMainHeight=760\r"
                    "[Sat]\rLocateN=43.5\r[Pic]\rMinScanLine=500\r", false,
         43.5, d.locateE, d.maxElev, 500, normal},
        {"through a link", geometry + "[Sat]\nLocateN=43.5\n", true,
         43.5, d.locateE, d.maxElev, d.minScanLine, normal},
        {"huge window", "[Form]\nMainTop=10\nMainLeft=20\nMainWidth=999999999\nMainHeight=999999999\n", false,
         d.locateN, d.locateE, d.maxElev, d.minScanLine, WindowPlacement{0, 0, 1920, 1080, false}},
        {"off every screen", "[Form]\nMainTop=-5000\nMainLeft=2147483000\nMainWidth=1100\nMainHeight=760\n", false,
         d.locateN, d.locateE, d.maxElev, d.minScanLine, WindowPlacement{0, 820, 1100, 760, false}},
        {"on the second screen", "[Form]\nMainTop=100\nMainLeft=2000\nMainWidth=1100\nMainHeight=760\n", false,
         d.locateN, d.locateE, d.maxElev, d.minScanLine, WindowPlacement{100, 2000, 1100, 760, false}},
        {"too small", "[Form]\nMainTop=100\nMainLeft=2000\nMainWidth=-7\nMainHeight=3\n", false,
         d.locateN, d.locateE, d.maxElev, d.minScanLine, WindowPlacement{100, 2000, 1062, 726, false}},
    };
    const std::vector<ScreenArea> screens{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(scratch_.path());
        fs::create_directories(scratch_.path() / "kept");
        const std::string target = scratch_.file("kept/station.ini");
        std::ofstream(c.throughLink ? target : path_, std::ios::binary) << c.text;
        if (c.throughLink) fs::create_symlink("kept/station.ini", path_);

        AppSettings s = loadSettingsFile(path_);
        EXPECT_EQ(s.locateN, c.locateN);
        EXPECT_EQ(s.locateE, c.locateE);
        EXPECT_EQ(s.maxElev, c.maxElev);
        EXPECT_EQ(s.minScanLine, c.minScanLine);
        const WindowPlacement f = fitWindowToScreens(
            WindowPlacement{s.mainTop, s.mainLeft, s.mainWidth, s.mainHeight, false}, screens, 1062, 726);
        EXPECT_EQ(std::vector<int>({f.top, f.left, f.width, f.height}),
                  std::vector<int>({c.fitted.top, c.fitted.left, c.fitted.width, c.fitted.height}));

        s.minScanLine = 777;
        ASSERT_TRUE(saveSettingsFile(path_, s, f));
        EXPECT_EQ(fs::is_symlink(path_), c.throughLink) << "a link stays a link";
        EXPECT_EQ(loadSettingsFile(path_).minScanLine, 777);
        EXPECT_EQ(loadSettingsFile(c.throughLink ? target : path_).minScanLine, 777);
        for (const auto& entry : fs::directory_iterator(fs::path(fs::canonical(path_)).parent_path()))
            EXPECT_FALSE(IsAtomicTemporaryName(entry.path().filename().string())) << entry.path();
        std::ifstream in(fs::canonical(path_), std::ios::binary);
        const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(saved.find('\n') == std::string::npos, std::string(c.label) == "bare CR") << "line ends kept";
    }
}
