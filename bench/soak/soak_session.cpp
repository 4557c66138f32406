#include "soak/soak_session.h"

#include <QApplication>
#include <QFile>
#include <QThread>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <sstream>

#include "app/main_window.h"
#include "app/program_clock.h"
#include "app/program_forms.h"
#include "app/reception_controller.h"
#include "app/scheduler_controller.h"
#include "app/status_panels.h"
#include "capture/qt/sound_capture.h"
#include "orbit/day_time.h"
#include "soak/pipe_feeder.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/gaussian_noise.h"
#include "testsignal/test_patterns.h"

namespace sorae::soak {

namespace fs = std::filesystem;
using namespace sorae::testsignal;

namespace {

constexpr int kFramesPerBlock = 24000;  // half a second at 48 kHz
constexpr int kNoiseBlocks = 8;

// The program clock reads `unixSeconds` from now on (until the next call).
void setSimulatedClock(std::int64_t unixSeconds) { setClockOverrideSeconds(unixSeconds); }

std::int64_t unixFromStation(DayTime t) {
    const DayTimeFields f = DecodeDayTime(t);
    const std::int64_t days = JulianDayNumber(f.year, f.month, f.day) - 2440588;
    return days * 86400 + f.hour * 3600 + f.minute * 60 + f.second - 9 * 3600;
}

std::string clockText(std::int64_t unixSeconds) {
    const UtcInstant u = utcFromUnixSeconds(unixSeconds);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02dZ", u.year, u.month, u.day, u.hour, u.minute,
                  u.second);
    return text;
}

// The sky during one pass: a test card in both channels as the satellite
// would send it, both channels of the sound card carrying the audio.
class PassSignal {
public:
    PassSignal(long lines, double snrDb, std::uint64_t seed)
        : generator_(AptLineSource(makeTestCard(600, 'A', false), makeTestCard(600, 'B', true), 2, 4),
                     options(lines, snrDb, seed)),
          mono_(kFramesPerBlock), stereo_(std::size_t(2 * kFramesPerBlock)) {}

    // The next block; silence once the recording has ended.
    const std::int16_t* next() {
        std::fill(mono_.begin(), mono_.end(), std::int16_t(0));
        generator_.generateInt16(std::span<std::int16_t>(mono_));
        for (int i = 0; i < kFramesPerBlock; ++i) {
            stereo_[std::size_t(2 * i)] = mono_[std::size_t(i)];
            stereo_[std::size_t(2 * i + 1)] = mono_[std::size_t(i)];
        }
        return stereo_.data();
    }

private:
    static GeneratorOptions options(long lines, double snrDb, std::uint64_t seed) {
        GeneratorOptions o;
        o.kind = SignalKind::Audio;
        o.sampleRate = 48000;
        o.lines = std::max(1L, lines);
        o.snrDb = snrDb;
        o.startFraction = 0.3;
        o.seed = seed;
        return o;
    }

    AptSignalGenerator generator_;
    std::vector<std::int16_t> mono_;
    std::vector<std::int16_t> stereo_;
};

struct PassWindow {
    std::int64_t end = 0;
    std::string satellite;
};

class SoakSession {
public:
    SoakSession(const SoakOptions& options, SoakResult& result) : o_(options), r_(result) {}

    void run();

private:
    bool setUp();
    void makeNoise();
    void sample(const std::string& when);
    void noteTable();
    const std::int16_t* blockFor(std::int64_t now);
    void observe(std::int64_t now);
    // Waits in real time, with the simulated clock held, while the program
    // computes passes or builds pictures.
    void waitWhileBusy(std::int64_t now);
    void settle(std::int64_t now, double seconds);
    void countFiles();
    void feedBlocks(long blocks, std::int64_t& now);
    void feedThroughPipe(long blocks, std::int64_t& now);

    const SoakOptions& o_;
    SoakResult& r_;
    std::unique_ptr<MainWindow> window_;
    ReceptionController* reception_ = nullptr;
    SchedulerController* scheduler_ = nullptr;
    std::vector<std::int16_t> noise_;
    std::map<std::int64_t, PassWindow> windows_;  // by start, UT seconds
    std::int64_t signalStart_ = -1;
    std::unique_ptr<PassSignal> signal_;
    bool wasActive_ = false;
    QString lastPanel0_;
    std::int64_t start_ = 0;
};

void SoakSession::makeNoise() {
    GaussianNoise noise(20190124);
    noise_.resize(std::size_t(kNoiseBlocks) * 2 * kFramesPerBlock);
    for (auto& s : noise_) s = toInt16(noise.next() * o_.noiseSigma);
}

void SoakSession::sample(const std::string& when) {
    const long kb = residentKilobytes();
    r_.rss.push_back({when, kb});
    r_.peakRssKb = std::max(r_.peakRssKb, kb);
    if (o_.verbose) std::fprintf(stderr, "[soak] RSS %s: %ld kB\n", when.c_str(), kb);
}

bool SoakSession::setUp() {
    const fs::path folder = o_.programFolder;
    std::error_code error;
    fs::copy_file(o_.elementFile, folder / "SatTle.txt", fs::copy_options::overwrite_existing, error);
    if (error) {
        r_.setupError = "cannot copy the element file: " + error.message();
        return false;
    }
    // No download: the element file above is all there is.
    std::ofstream(folder / "sorae-apt.ini") << "[Sat]\r\nAutoUpdate=0\r\n";

    start_ = o_.startUnix;
    setSimulatedClock(start_);
    MainWindowOptions options;
    options.programFolder = o_.programFolder;
    options.openSoundDevices = !o_.pipePath.empty();
    options.reportFailure = [this](const QString& m) { r_.failures.push_back("window: " + m.toStdString()); };
    window_ = std::make_unique<MainWindow>(options);
    createProgramForms(*window_);
    reception_ = window_->findChild<ReceptionController*>();
    scheduler_ = window_->findChild<SchedulerController*>();
    if (reception_ == nullptr || scheduler_ == nullptr) {
        r_.setupError = "the forms did not create the reception or the scheduler";
        return false;
    }
    reception_->setFailureReporter(
        [this](const QString& m) { r_.failures.push_back("reception: " + m.toStdString()); });
    scheduler_->setQuestion([this](const QString& text, std::function<void(bool)> answer) {
        r_.questions.push_back(clockText(programUnixSeconds()) + " " + text.toStdString());
        answer(false);
    });
    QObject::connect(scheduler_, &SchedulerController::passesComputed, [this](bool ok) {
        ++r_.passComputations;
        if (!ok) ++r_.failedComputations;
    });
    QObject::connect(reception_, &ReceptionController::picturesBuilt, [this] { ++r_.picturesBuilt; });
    window_->show();
    window_->speedButton(1)->setChecked(true);  // automatic reception

    makeNoise();
    return true;
}

void SoakSession::noteTable() {
    if (!scheduler_->passTableValid()) return;
    for (const PassInfo& p : scheduler_->passTable()) {
        if (p.satellite.empty()) continue;
        const std::int64_t start = unixFromStation(p.start);
        if (windows_.count(start) == 0) {
            windows_[start] = PassWindow{unixFromStation(p.end), p.satellite};
            ++r_.passesAnnounced;
        }
    }
}

const std::int16_t* SoakSession::blockFor(std::int64_t now) {
    auto it = windows_.upper_bound(now);
    if (it != windows_.begin()) {
        --it;
        if (now <= it->second.end) {
            if (signalStart_ != it->first) {
                const long lines = long(it->second.end - it->first) * 2 + 4;
                signal_ = std::make_unique<PassSignal>(lines, o_.passSnrDb, std::uint64_t(it->first));
                signalStart_ = it->first;
            }
            ++r_.signalBlocks;
            return signal_->next();
        }
    }
    signal_.reset();
    signalStart_ = -1;
    return noise_.data() + std::size_t(r_.blocks % kNoiseBlocks) * 2 * kFramesPerBlock;
}

void SoakSession::observe(std::int64_t now) {
    const bool active = window_->reception().receptionActive;
    if (active != wasActive_) {
        const PassInfo& pass = reception_->currentPass();
        if (active) {
            ++r_.passesStarted;
            r_.passLog.push_back(clockText(now) + " start " + pass.satellite);
        } else {
            ++r_.passesEnded;
            if (reception_->lineStore().lineCount < 100) ++r_.passesWithoutLines;
            r_.passLog.push_back(clockText(now) + " end   " + pass.satellite + " (" +
                                 std::to_string(reception_->lineStore().lineCount) + " lines)");
        }
        wasActive_ = active;
        if (!active && r_.passesEnded == 1) {
            waitWhileBusy(now);
            sample("after the first pass");
        }
    }
    const QString panel0 = window_->statusPanels().panelText(0);
    if (panel0 != lastPanel0_) {
        lastPanel0_ = panel0;
        if (!panel0.isEmpty()) r_.panel0.push_back(clockText(now) + " " + panel0.toStdString());
    }
}

void SoakSession::waitWhileBusy(std::int64_t now) {
    if (!scheduler_->passCalcBusy() && !window_->reception().picturesBusy) return;
    QElapsedTimer waited;
    waited.start();
    while ((scheduler_->passCalcBusy() || window_->reception().picturesBusy) && waited.elapsed() < 300000) {
        setSimulatedClock(now);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    r_.waitSeconds += waited.elapsed() / 1000.0;
}

void SoakSession::settle(std::int64_t now, double seconds) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < seconds * 1000) {
        setSimulatedClock(now);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

void SoakSession::countFiles() {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(o_.programFolder) / "pics", error)) {
        const std::string name = entry.path().filename().string();
        auto endsWith = [&name](const std::string& tail) {
            return name.size() >= tail.size() && name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
        };
        if (endsWith("A.jpg")) ++r_.picturesA;
        else if (endsWith("B.jpg")) ++r_.picturesB;
        else if (endsWith(".flac")) ++r_.soundFiles;
    }
}

void SoakSession::feedBlocks(long blocks, std::int64_t& now) {
    bool jumped = o_.leadBeforeFirstPass <= 0;
    for (long i = 0; i < blocks; ++i) {
        // The scheduler computes the first table a second after start-up;
        // a short run then goes to just before the first pass.
        if (!jumped && scheduler_->passTableValid()) {
            jumped = true;
            const std::int64_t first = unixFromStation(scheduler_->passTable()[0].start);
            start_ = std::max(now, first - o_.leadBeforeFirstPass) - i / 2;
        }
        now = start_ + i / 2;
        setSimulatedClock(now);
        noteTable();
        const std::int16_t* block = blockFor(now);
        window_->blockHandler().handleBlock(block, kFramesPerBlock);
        if (programUnixSeconds() != now) ++r_.clockSlips;
        ++r_.blocks;
        QCoreApplication::processEvents();
        observe(now);
        waitWhileBusy(now);
        if (i > 0 && i % 7200 == 0) sample("hour " + std::to_string(i / 7200));
    }
}

void SoakSession::feedThroughPipe(long blocks, std::int64_t& now) {
    PipeFeeder feeder;
    if (!feeder.start(o_.pipePath)) {
        r_.failures.push_back("soak: " + feeder.error());
        return;
    }
    // Each block the capture delivers is handled at the next half second.
    long handled = 0;
    window_->soundCapture().setBlockCallback([this, &handled, &now](const std::int16_t* frames, int count) {
        now = start_ + handled / 2;
        setSimulatedClock(now);
        window_->blockHandler().handleBlock(frames, count);
        if (programUnixSeconds() != now) ++r_.clockSlips;
        ++handled;
        ++r_.capturedBlocks;
    });
    bool jumped = o_.leadBeforeFirstPass <= 0;
    QElapsedTimer stalled;
    stalled.start();
    for (long i = 0; i < blocks; ++i) {
        // At most two blocks on their way, so that the signal follows the clock.
        while (i - handled >= 2 && stalled.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            observe(now);
            waitWhileBusy(now);
        }
        if (i - handled >= 2) {
            r_.failures.push_back("soak: the capture delivered nothing for 30 s");
            break;
        }
        stalled.restart();
        if (!jumped && scheduler_->passTableValid()) {
            jumped = true;
            const std::int64_t first = unixFromStation(scheduler_->passTable()[0].start);
            start_ = std::max(now, first - o_.leadBeforeFirstPass) - handled / 2;
        }
        noteTable();
        const std::int64_t blockTime = start_ + i / 2;
        feeder.push(blockFor(blockTime), std::size_t(2 * kFramesPerBlock));
        ++r_.blocks;
        if (i > 0 && i % 7200 == 0) sample("hour " + std::to_string(i / 7200));
    }
    QElapsedTimer drain;
    drain.start();
    while (handled < r_.blocks - 2 && drain.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        observe(now);
    }
    window_->soundCapture().setBlockCallback([](const std::int16_t*, int) {});
}

void SoakSession::run() {
    QElapsedTimer wall;
    wall.start();
    sample("before the window");
    r_.setupOk = setUp();
    if (!r_.setupOk) return;
    sample("start");

    const long blocks = long(o_.hours * 7200.0 + 0.5);
    std::int64_t now = start_;
    if (o_.pipePath.empty()) feedBlocks(blocks, now);
    else feedThroughPipe(blocks, now);
    r_.simulatedHours = double(r_.blocks) / 7200.0;
    // Let the last saves finish.
    waitWhileBusy(now);
    settle(now, 2.0);
    observe(now);
    r_.activeAtEnd = window_->reception().receptionActive;
    countFiles();
    sample("end");
    window_.reset();
    QCoreApplication::processEvents();
    sample("after closing");
    setClockOverrideSeconds(std::nullopt);
    r_.wallSeconds = wall.elapsed() / 1000.0;
}

}  // namespace

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

SoakResult runSoak(const SoakOptions& options) {
    SoakResult result;
    SoakSession(options, result).run();
    return result;
}

std::string formatSummary(const SoakOptions& options, const SoakResult& r) {
    std::ostringstream out;
    char line[200];
    auto row = [&](const char* name, const std::string& value) {
        std::snprintf(line, sizeof line, "  %-34s %s\n", name, value.c_str());
        out << line;
    };
    auto number = [](double v, int decimals) {
        char t[40];
        std::snprintf(t, sizeof t, "%.*f", decimals, v);
        return std::string(t);
    };
    out << "Soak summary\n";
    if (!r.setupOk) {
        row("set-up failed", r.setupError);
        return out.str();
    }
    row("simulated start (UT)", clockText(options.startUnix));
    row("simulated hours", number(r.simulatedHours, 2));
    row(options.pipePath.empty() ? "blocks through handleBlock" : "blocks written to the FIFO",
        std::to_string(r.blocks));
    if (!options.pipePath.empty()) row("blocks delivered by the capture", std::to_string(r.capturedBlocks));
    row("blocks carrying signal", std::to_string(r.signalBlocks));
    row("wall time, s", number(r.wallSeconds, 1));
    row("  of it waiting for the program, s", number(r.waitSeconds, 1));
    row("speed, simulated/wall", number(r.simulatedHours * 3600.0 / std::max(r.wallSeconds, 1e-3), 0) + "x");
    row("pass computations (failed)",
        std::to_string(r.passComputations) + " (" + std::to_string(r.failedComputations) + ")");
    row("passes announced", std::to_string(r.passesAnnounced));
    row("passes ended with < 100 lines", std::to_string(r.passesWithoutLines));
    row("blocks with the clock a second on", std::to_string(r.clockSlips));
    row("passes started / ended", std::to_string(r.passesStarted) + " / " + std::to_string(r.passesEnded));
    row("pictures built (signal)", std::to_string(r.picturesBuilt));
    row("files A.jpg / B.jpg / .flac", std::to_string(r.picturesA) + " / " + std::to_string(r.picturesB) + " / " +
                                           std::to_string(r.soundFiles));
    row("failure boxes", std::to_string(r.failures.size()));
    row("questions asked", std::to_string(r.questions.size()));
    row("status panel 0 texts", std::to_string(r.panel0.size()));
    for (const RssSample& s : r.rss) row(("RSS kB, " + s.when).c_str(), std::to_string(s.kilobytes));
    row("RSS kB, peak of samples", std::to_string(r.peakRssKb));
    if (!r.passLog.empty()) out << "Passes\n";
    for (const auto& p : r.passLog) out << "  " << p << "\n";
    if (!r.failures.empty()) out << "Failure boxes\n";
    for (const auto& f : r.failures) out << "  " << f << "\n";
    if (!r.questions.empty()) out << "Questions\n";
    for (const auto& q : r.questions) out << "  " << q << "\n";
    if (!r.panel0.empty()) out << "Status panel 0\n";
    for (const auto& p : r.panel0) out << "  " << p << "\n";
    return out.str();
}

}  // namespace sorae::soak
