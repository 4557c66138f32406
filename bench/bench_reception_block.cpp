// Cost of one captured half-second block while a pass is received in the
// main window (offscreen): demodulation, line decoding, the live view and
// its screen, and, with the sound file on, appending the block to the FLAC.
// A block arrives every 500 ms, so this is the share of the GUI thread that
// reception takes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "app/reception_controller.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"

namespace {

using namespace sorae;
using namespace sorae::testsignal;

void ensureApp() {
    if (QCoreApplication::instance() != nullptr) return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "bench_reception_block";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// 60 blocks of a generated pass as stereo frames.
std::vector<std::vector<std::int16_t>> passBlocks(SignalKind kind) {
    GreyPicture a(AptLayout::kImageWords, 200), b(AptLayout::kImageWords, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < a.width; ++x) {
            a.at(x, y) = std::uint8_t((x + y) & 0xFF);
            b.at(x, y) = std::uint8_t((x * 3 + y) & 0xFF);
        }
    GeneratorOptions options;
    options.kind = kind;
    options.sampleRate = kind == SignalKind::IQ ? 96000 : 48000;
    options.lines = 60;
    options.snrDb = 25.0;
    AptSignalGenerator generator(AptLineSource(a, b, 2, 4), options);
    const int frames = options.sampleRate / 2;
    std::vector<std::vector<std::int16_t>> blocks;
    std::vector<std::int16_t> samples(std::size_t(frames) * std::size_t(generator.channels()));
    while (generator.generateInt16(samples) > 0) {
        std::vector<std::int16_t> block(std::size_t(frames) * 2);
        for (int i = 0; i < frames; ++i) {
            if (generator.channels() == 2) {
                block[std::size_t(2 * i)] = samples[std::size_t(2 * i)];
                block[std::size_t(2 * i + 1)] = samples[std::size_t(2 * i + 1)];
            } else {
                block[std::size_t(2 * i)] = block[std::size_t(2 * i + 1)] = samples[std::size_t(i)];
            }
        }
        blocks.push_back(std::move(block));
    }
    return blocks;
}

void runReception(benchmark::State& state, SignalKind kind, bool saveAudio) {
    ensureApp();
    QTemporaryDir dir;
    MainWindowOptions options;
    options.programFolder = dir.path().toStdString();
    options.openSoundDevices = false;
    options.reportFailure = [](const QString&) {};
    auto window = std::make_unique<MainWindow>(options);
    auto* reception = new ReceptionController(*window);
    reception->setFailureReporter([](const QString&) {});
    window->show();
    window->settings().saveAudio = saveAudio;
    BlockHandler& handler = window->blockHandler();
    handler.setSignalType(kind == SignalKind::IQ ? 1 : 0);
    handler.setWarmUpCounter(BlockHandler::kWarmUpLimit + 1);
    const auto blocks = passBlocks(kind);
    const int frames = handler.format().framesPerBlock;

    auto startPass = [&] {
        reception->resetForNewPass();
        reception->setReceptionActive(true);
    };
    startPass();
    std::size_t next = 0;
    for (auto _ : state) {
        if (reception->lineStore().lineCount >= 2000) {
            state.PauseTiming();
            startPass();
            state.ResumeTiming();
        }
        handler.handleBlock(blocks[next].data(), frames);
        next = (next + 1) % blocks.size();
    }
    reception->setReceptionActive(false);
    window.reset();
}

void BM_AudioBlockReceived(benchmark::State& s) { runReception(s, SignalKind::Audio, false); }
void BM_AudioBlockReceivedWithSound(benchmark::State& s) { runReception(s, SignalKind::Audio, true); }
void BM_QuadratureBlockReceived(benchmark::State& s) { runReception(s, SignalKind::IQ, false); }
void BM_QuadratureBlockReceivedWithSound(benchmark::State& s) { runReception(s, SignalKind::IQ, true); }

}  // namespace

BENCHMARK(BM_AudioBlockReceived)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AudioBlockReceivedWithSound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuadratureBlockReceived)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuadratureBlockReceivedWithSound)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
