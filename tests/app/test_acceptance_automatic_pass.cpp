// The built program as a user runs it, against the real sound server: a
// program folder with the real element file and a settings file that has
// automatic reception and receiver control on, the receiver on a
// pseudo-terminal, and the program clock shifted so that a pass of the
// elements is in progress and ends about forty seconds after launch. A
// generated APT recording plays into the server's null sink while the
// program runs. The receiver must be switched on, tuned to the pass
// frequency, and off again once the pass is over; both pictures and the pass
// audio must be saved under the pass's names, the pictures titled and like
// the pictures sent; SIGTERM must end the program normally with its settings
// saved. Runs only when SORAE_PULSE_AVAILABLE is set (scripts/test.sh).
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "capture/qt/recording_devices.h"
#include "capture/recording_reader.h"
#include "common/pseudo_terminal.h"
#include "common/qt_application.h"
#include "common/sound_server.h"
#include "imaging/jpeg_file.h"
#include "settings/settings_file.h"
#include "test_reception_support.h"
#include "testsignal/recording_writer.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::receptiontest;
using sorae::testsupport::PtyPair;
using sorae::testsupport::SoundServerLock;
using sorae::testsupport::soundServerAvailable;

namespace {

const std::string kProgram = std::string(SORAE_BINARY_DIR) + "/src/app/sorae-apt";
const std::string kElements = std::string(SORAE_TEST_DATA_DIR) + "/noaa_2019-01-24.txt";

// The program starts this long before the end of the pass, and the recording
// played into the sound server is a little longer.
constexpr int kSecondsBeforeEnd = 40;
constexpr long kRecordingLines = 90;  // 45 s
constexpr long kFirstSourceLine = 40;  // passOptions(): the recording starts at line 40

// Columns of the saved pictures clear of the title (drawn at the left from
// x = 24; its longer line ends well before x = 500).
constexpr int kClearOfTitle = 520;

std::string runCapture(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    ::pclose(pipe);
    return output;
}

// UT seconds since 1970 of a station date-time text "yyyy/mm/dd hh:nn:ss"
// (station time is UT + 9 h).
std::optional<std::int64_t> unixFromStationText(const std::string& text) {
    std::tm t{};
    if (std::sscanf(text.c_str(), "%d/%d/%d %d:%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour,
                    &t.tm_min, &t.tm_sec) != 6)
        return std::nullopt;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return std::int64_t(::timegm(&t)) - 9 * 3600;
}

std::string utcText(std::int64_t unixSeconds) {
    const std::time_t s = std::time_t(unixSeconds);
    std::tm t{};
    ::gmtime_r(&s, &t);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &t);
    return text;
}

// One line of `sorae-apt passes`.
struct ListedPass {
    std::string satellite;
    std::int64_t start = 0;  // UT seconds
    std::int64_t end = 0;
    std::string direction;
    double frequencyMHz = 0.0;
    std::string timeOfMaximum;  // station time text
};

std::vector<ListedPass> listPasses(const fs::path& folder, std::int64_t atUnix, std::string* output) {
    *output = runCapture(kProgram + " passes --data-dir '" + folder.string() + "' --elements '" + kElements +
                         "' --at '" + utcText(atUnix) + "'");
    std::vector<ListedPass> passes;
    std::istringstream lines(*output);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, '\t')) fields.push_back(cell);
        if (fields.size() != 8) continue;
        ListedPass pass;
        pass.satellite = fields[1];
        const auto start = unixFromStationText(fields[2]);
        const auto end = unixFromStationText(fields[3]);
        if (!start || !end) continue;
        pass.start = *start;
        pass.end = *end;
        pass.direction = fields[5];
        pass.frequencyMHz = std::atof(fields[6].c_str());
        pass.timeOfMaximum = fields[7];
        passes.push_back(pass);
    }
    return passes;
}

// "2019/01/25 09:19:17" -> "201901250919"
std::string minuteStamp(const std::string& stationText) {
    std::string digits;
    for (char c : stationText)
        if (c >= '0' && c <= '9') digits += c;
    return digits.substr(0, 12);
}

int rowOf(const QString& description) {
    const auto list = recordingDeviceList();
    for (int i = 1; i < list.size(); ++i)
        if (list[i].description() == description) return i;
    return -1;
}

// Best correlation of the picture part right of the title with the source,
// over the line where the picture starts and small column offsets. A turned
// picture (S>N) has its rows and columns reversed.
double correlationWithSource(const PictureBuffer& picture, int channel, bool turned) {
    const AptLineSource source = passSource();
    const int rows = picture.height;
    double best = -1.0;
    for (long firstLine = kFirstSourceLine; firstLine <= kFirstSourceLine + kRecordingLines; ++firstLine) {
        for (int columnShift = -6; columnShift <= 6; columnShift += 2) {
            double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
            long n = 0;
            for (int r = 2; r < rows - 2; ++r) {
                const long line = firstLine + (turned ? rows - 1 - r : r);
                const auto truth = source.half(line, channel);
                for (int x = kClearOfTitle; x < picture.width; x += 4) {
                    const int w = (turned ? 1039 - x : x) + columnShift;
                    if (w < AptLayout::kImageStart + 10 || w >= AptLayout::kTelemetryStart - 10) continue;
                    const double a = picture.grey(x, r);
                    const double b = truth[std::size_t(w)];
                    sx += a; sy += b; sxx += a * a; syy += b * b; sxy += a * b;
                    ++n;
                }
            }
            if (n < 100) continue;
            const double cov = sxy - sx * sy / double(n);
            const double var = (sxx - sx * sx / double(n)) * (syy - sy * sy / double(n));
            if (var > 0) best = std::max(best, cov / std::sqrt(var));
        }
    }
    return best;
}

// Sharp black-and-white steps along the rows of a box: the outlined title
// text has many, the smooth source picture none.
int sharpSteps(const PictureBuffer& picture, int left, int right, int top, int bottom) {
    int steps = 0;
    for (int y = top; y < std::min(bottom, picture.height); ++y)
        for (int x = left; x + 1 < std::min(right, picture.width); ++x)
            if (std::abs(picture.grey(x + 1, y) - picture.grey(x, y)) > 120) ++steps;
    return steps;
}

std::set<std::string> filesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.insert(entry.path().filename().string());
    return names;
}

double systemSecondsNow() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

// The commands the pseudo-terminal has received, as texts.
std::vector<std::string> commandTexts(const PtyPair& pty) {
    std::vector<std::string> texts;
    for (const auto& command : pty.commands()) texts.push_back(command.text);
    return texts;
}

struct ScratchFolder {
    fs::path path;
    ScratchFolder() {
        path = fs::temp_directory_path() / ("sorae-acceptance-" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~ScratchFolder() { fs::remove_all(path); }
};

}  // namespace

TEST(Acceptance, AutomaticPassThroughTheRealProgramAndSoundServer) {
    if (!soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    testsupport::ensureApplication();
    SoundServerLock lock;  // nothing else plays into the sinks meanwhile

    const int input = rowOf(QStringLiteral("TestMic"));
    ASSERT_GT(input, 0) << "the test server's source TestMic is not listed";
    PtyPair pty;
    ASSERT_TRUE(pty.valid());

    ScratchFolder scratch;
    const fs::path folder = scratch.path / "program";
    fs::create_directories(folder);
    fs::copy_file(kElements, folder / "SatTle.txt");
    // The part of the pass still to come culminates at launch only a little
    // above the default lowest maximum elevation (3 degrees); a slow start
    // would find the pass dropped from the table. At 1 degree it stays
    // there until its end.
    const fs::path ini = folder / "sorae-apt.ini";
    std::ofstream(ini) << "[Form]\r\nAutoScan=1\r\n[Wave]\r\nInput=" << input << "\r\n"
                       << "[Sat]\r\nAutoUpdate=0\r\nMaxElev=1\r\n"
                       << "[Pic]\r\nMinScanLine=20\r\n[Radio]\r\nAutoCont=1\r\nType=0\r\nPortList=-1\r\n"
                       << "PortName=" << pty.path() << "\r\n";

    // The first pass after 2019-01-25 00:00 UT at the default station, and the
    // same pass as the program sees it when started near its end.
    std::string listing;
    const std::vector<ListedPass> day = listPasses(folder, *unixFromStationText("2019/01/25 09:00:00"), &listing);
    ASSERT_FALSE(day.empty()) << listing;
    const ListedPass full = day[0];
    ASSERT_EQ(full.satellite.rfind("NOAA-", 0), 0u) << listing;
    const std::int64_t launchAt = full.end - kSecondsBeforeEnd;
    const std::vector<ListedPass> late = listPasses(folder, launchAt, &listing);
    ASSERT_FALSE(late.empty()) << listing;
    const ListedPass pass = late[0];
    ASSERT_EQ(pass.satellite, full.satellite) << listing;
    ASSERT_EQ(pass.end, full.end) << "the pass is in progress at launch\n" << listing;
    ASSERT_EQ(pass.frequencyMHz, full.frequencyMHz);
    // The time of maximum of the part still to come is at launch; the stamp
    // is its minute, the same whenever the program gets to compute it.
    ASSERT_EQ(minuteStamp(utcText(launchAt + 9 * 3600)), minuteStamp(utcText(pass.end + 9 * 3600)));
    std::string number = pass.satellite.substr(5);
    if (number.size() == 1) number = "0" + number;
    const std::string stem = minuteStamp(pass.timeOfMaximum) + number;
    const bool turned = full.direction == "S>N";

    // The signal: pictures that change smoothly, so the alignment shows.
    const std::string recording = (scratch.path / "pass.wav").string();
    AptSignalGenerator generator(passSource(), passOptions(SignalKind::Audio, kRecordingLines));
    const RecordingResult written = writeRecording(recording, generator, SampleFormat::Int16);
    ASSERT_TRUE(written.ok) << written.error;

    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    const std::int64_t offset = launchAt - std::int64_t(std::floor(systemSecondsNow()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SORAE_CLOCK_OFFSET"), QString::number(offset));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    const double launched = systemSecondsNow();
    program.start(QString::fromStdString(kProgram),
                  {QStringLiteral("--data-dir"), QString::fromStdString(folder.string())});
    ASSERT_TRUE(program.waitForStarted(30000));
    auto programOutput = [&] { return program.readAllStandardOutput().toStdString(); };

    QProcess player;
    player.start(QStringLiteral("paplay"), {QStringLiteral("--device=test_sink"), QString::fromStdString(recording)});
    ASSERT_TRUE(player.waitForStarted(30000));

    // Wait for the pass to end and both pictures and the sound file to be
    // there; the receiver's bytes are read all along.
    const fs::path pics = folder / "pics";
    const std::set<std::string> expected{stem + "A.jpg", stem + "B.jpg", stem + ".flac"};
    std::optional<double> powerOffSeen;
    std::optional<double> filesSeen;
    while (systemSecondsNow() - launched < kSecondsBeforeEnd + 80 && program.state() == QProcess::Running) {
        QTest::qWait(100);
        pty.poll();
        if (!powerOffSeen && pty.text().find("QP\r\n") != std::string::npos) powerOffSeen = systemSecondsNow();
        if (!filesSeen && filesIn(pics) == expected) filesSeen = systemSecondsNow();
        if (powerOffSeen && filesSeen) break;
    }
    ASSERT_EQ(program.state(), QProcess::Running) << "the program ended by itself\n" << programOutput();
    ASSERT_TRUE(filesSeen) << "pics holds: " << ::testing::PrintToString(filesIn(pics)) << "\nexpected "
                           << ::testing::PrintToString(expected) << "\n" << programOutput();
    ASSERT_TRUE(powerOffSeen) << "receiver got: " << ::testing::PrintToString(commandTexts(pty));

    // The receiver: switched on and tuned to the pass, then off after the end
    // (the program's clock had passed end + 1 s when the bytes came).
    const std::vector<std::string> commands = commandTexts(pty);
    ASSERT_EQ(commands.size(), 8u) << ::testing::PrintToString(commands);
    EXPECT_EQ(commands[0], "X");
    ASSERT_EQ(commands[1].rfind("RF", 0), 0u) << commands[1];
    EXPECT_NEAR(std::atof(commands[1].c_str() + 2), pass.frequencyMHz, 5e-5) << commands[1];
    EXPECT_EQ(std::vector<std::string>(commands.begin() + 2, commands.end()),
              (std::vector<std::string>{"MD0", "BW4", "EN4", "LP3", "HP0", "QP"}));
    EXPECT_GE(*powerOffSeen + double(offset), double(pass.end + 1));

    // The pictures: titled, and the source pictures right of the title, the
    // right way round for the pass direction.
    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel == 0 ? "picture A" : "picture B");
        const JpegReadResult jpeg = LoadJpegPicture((pics / (stem + (channel ? "B.jpg" : "A.jpg"))).string());
        ASSERT_TRUE(jpeg.ok) << jpeg.error;
        const PictureBuffer& picture = jpeg.picture;
        EXPECT_EQ(picture.width, 1040);
        EXPECT_GT(picture.height, 20);
        const int titleSteps = sharpSteps(picture, 24, 300, 20, 75);
        const int clearSteps = sharpSteps(picture, 600, 876, 20, 75);
        EXPECT_GT(titleSteps, 100) << "no title";
        EXPECT_LT(clearSteps, 10);
        const double right = correlationWithSource(picture, channel, turned);
        EXPECT_GT(right, 0.9);
        EXPECT_LT(correlationWithSource(picture, channel, !turned), right - 0.2) << "orientation";
    }

    // The pass audio: the reception, from its start at launch to the end of
    // the pass.
    RecordingReader audio;
    ASSERT_TRUE(audio.open((pics / (stem + ".flac")).string(), RecordingKind::Audio)) << audio.errorMessage();
    ASSERT_GT(audio.sourceRate(), 0);
    const double seconds = double(audio.sourceFrames()) / audio.sourceRate();
    EXPECT_GT(seconds, 15.0);
    EXPECT_LT(seconds, *filesSeen - launched + 1.0);

    if (!player.waitForFinished(15000)) player.kill();
    player.waitForFinished(5000);

    // SIGTERM: an ordinary end with the settings saved.
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(30000)) << "SIGTERM did not end the program";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << programOutput();
    std::stringstream saved;
    saved << std::ifstream(ini).rdbuf();
    EXPECT_NE(saved.str().find("MainWidth="), std::string::npos) << "the settings were not saved\n" << saved.str();
    const AppSettings settings = loadSettingsFile(ini.string());
    EXPECT_TRUE(settings.autoScan);
    EXPECT_TRUE(settings.autoCont);
    EXPECT_FALSE(settings.autoUpdate);
    EXPECT_EQ(settings.maxElev, 1.0);
    EXPECT_EQ(settings.input, input);
    EXPECT_EQ(settings.minScanLine, 20);
    EXPECT_EQ(settings.portList, -1);
    EXPECT_EQ(settings.portName, pty.path());
}
