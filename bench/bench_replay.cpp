// A 15-minute 48 kHz recording replayed in the main window at the fastest
// speed (block handler, live view, status texts, pictures saved), against
// the chain of `sorae-apt decode` on the same file (block handler and
// decoder without a window, then the same pictures). The replay should
// take at most twice as long: the window's drawing is what it adds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/main_window.h"
#include "app/reception_controller.h"
#include "recording/recording_decoder.h"
#include "app/replay_controller.h"
#include "imaging/pass_pictures.h"
#include "imaging/qt/picture_image.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"
#include "testsignal/test_patterns.h"

namespace {

using namespace sorae;
using namespace sorae::testsignal;

constexpr long kLines = 1800;  // 15 minutes, two lines a second

struct Fixture {
    QTemporaryDir dir;
    std::string recording;

    Fixture() {
        GeneratorOptions options;
        options.kind = SignalKind::Audio;
        options.sampleRate = 48000;
        options.lines = kLines;
        options.snrDb = 25.0;
        AptSignalGenerator generator(AptLineSource(makeBarsPattern(600), makeGradientPattern(600), 4, 2), options);
        recording = (std::filesystem::path(dir.path().toStdString()) / "pass.wav").string();
        writeRecording(recording, generator, SampleFormat::Int16);
        std::ofstream(std::filesystem::path(dir.path().toStdString()) / "sorae-apt.ini") << "[Pic]\r\n";
    }
    std::string folder() const { return dir.path().toStdString(); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_DecodeCommandChain(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        auto store = std::make_unique<LineStore>();
        RecordingDecoder decoder(*store);
        RecordingDecodeOptions options;
        options.path = f.recording;
        const RecordingDecodeResult decoded = decoder.run(options);
        PassPictureInputs in;
        in.store = store.get();
        in.sensorNameA = decoded.sensorNameA;
        in.sensorNameB = decoded.sensorNameB;
        in.calibrationGain = decoded.calibrationGain;
        in.calibrationOffset = decoded.calibrationOffset;
        in.manual = true;
        in.processingTime = 45000.0;
        in.picsFolder = f.folder() + "/decoded";
        const PassPictureResult pictures = BuildPassPictures(in, {}, MakeTitleDrawer());
        benchmark::DoNotOptimize(pictures.rows);
        state.counters["lines"] = decoded.linesStored;
    }
}
BENCHMARK(BM_DecodeCommandChain)->Unit(benchmark::kSecond)->Iterations(2);

void BM_ReplayInWindowFastest(benchmark::State& state) {
    Fixture& f = fixture();
    MainWindowOptions options;
    options.programFolder = f.folder();
    options.openSoundDevices = false;
    options.reportFailure = [](const QString&) {};
    MainWindow window(options);
    auto* reception = new ReceptionController(window);
    auto* replay = new ReplayController(window, *reception, nullptr, nullptr);
    replay->setFailureReporter([](const QString&) {});
    window.show();
    for (auto _ : state) {
        ReplayRequest request;
        request.path = QString::fromStdString(f.recording);
        request.startTime = 45000.0;
        request.speed = ReplaySpeed::Fastest;
        // The benchmark runs outside any event loop: this is the only one.
        QEventLoop loop;
        QObject::connect(replay, &ReplayController::finished, &loop, &QEventLoop::quit);
        if (!replay->start(request)) {
            state.SkipWithError("the replay did not start");
            break;
        }
        loop.exec();
        state.counters["lines"] = reception->lineStore().lineCount;
    }
}
BENCHMARK(BM_ReplayInWindowFastest)->Unit(benchmark::kSecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
