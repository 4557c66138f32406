// Generated recordings through the file chain, measured against the
// pictures they were made from: the level holds still on a steady signal
// whatever the scene and follows a real fade, the sensors are named in
// noisy recordings with clock errors, and grey bars keep their greys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "apt/telemetry.h"
#include "common/scratch_folder.h"
#include "fidelity_support.h"

namespace sorae {
namespace {

using testsupport::ChannelFit;
using testsupport::FidelityRecording;
using testsupport::Scene;

struct Decoded {
    std::unique_ptr<LineStore> store = std::make_unique<LineStore>();
    RecordingDecodeResult result;
    ChannelFit fit[2];
};

constexpr long kFirstLineNumber = 40;

Decoded decode(const testsupport::ScratchFolder& folder, const FidelityRecording& recording,
               int stretchLines, int firstLine, bool coherent = true, bool autoLevel = true) {
    Decoded d;
    testsignal::AptLineSource source = testsupport::makeSource(recording);
    std::string error;
    const std::string path = testsupport::writeFidelityRecording(folder.file("pass.wav"), recording, source, &error);
    EXPECT_FALSE(path.empty()) << error;
    RecordingDecoder decoder(*d.store);
    RecordingDecodeOptions options;
    options.path = path;
    options.coherent = coherent;
    options.autoLevel = autoLevel;
    d.result = decoder.run(options);
    EXPECT_TRUE(d.result.ok) << d.result.error;
    for (int channel = 0; channel < 2; ++channel)
        d.fit[channel] = testsupport::fitChannel(*d.store, d.result, source, channel, kFirstLineNumber,
                                                 stretchLines, firstLine);
    return d;
}

FidelityRecording recordingAt(int rate, std::optional<double> snrDb, long lines) {
    FidelityRecording r;
    r.generator.sampleRate = rate;
    r.generator.snrDb = snrDb;
    r.generator.lines = lines;
    r.generator.startFraction = 0.3;
    r.generator.firstLineNumber = kFirstLineNumber;
    return r;
}

TEST(PictureFidelity, GeneratedRecordingsKeepLevelSensorsAndGreys) {
    testsupport::ScratchFolder folder("sorae-fidelity-");
    ASSERT_FALSE(folder.path().empty());

    enum class Check { SteadyLevel, ClippedLevel, Fade, Sensors, Greys, GreysThroughDropOuts };
    struct Case {
        const char* what;
        Check check;
        int rate;
        double snrDb;
        double level;        // times the design level
        double ppm;
        int sensorA, sensorB;
        std::uint64_t seed;
        Scene scene;
        long lines;
    };
    const Case cases[] = {
        // The level: the gain of 25-s stretches of the picture must not
        // wander, whatever the cloud does, at any level of the recording.
        {"steady bars", Check::SteadyLevel, 11025, 20, 1.0, 0, 2, 4, 1, Scene::Bars, 660},
        {"bright cloud", Check::SteadyLevel, 11025, 20, 1.0, 0, 2, 4, 2, Scene::CloudyLand, 660},
        {"quiet", Check::SteadyLevel, 11025, 20, 0.05, 0, 2, 4, 3, Scene::CloudyLand, 660},
        // Clipped in 16 bits: the picture's gain then depends on the scene
        // itself, so the level must only add nothing to that.
        {"loud, clipped", Check::ClippedLevel, 11025, 20, 10.0, 0, 2, 4, 4, Scene::CloudyLand, 660},
        {"10 dB fade", Check::Fade, 11025, 25, 1.0, 0, 2, 4, 5, Scene::CloudyLand, 660},
        // Every sensor number on either channel, noisy, with clock errors.
        {"1 and 2 at 11025", Check::Sensors, 11025, 10, 1.0, -100, 1, 2, 11, Scene::CloudyLand, 400},
        {"3A and 5 at 11025", Check::Sensors, 11025, 10, 1.0, 100, 3, 5, 12, Scene::CloudyLand, 400},
        {"3B and 4 at 11025", Check::Sensors, 11025, 10, 1.0, -80, 6, 4, 13, Scene::CloudyLand, 400},
        {"4 and 3A at 20800", Check::Sensors, 20800, 10, 1.0, 100, 4, 3, 14, Scene::CloudyLand, 400},
        {"5 and 1 at 20800", Check::Sensors, 20800, 10, 1.0, -100, 5, 1, 15, Scene::CloudyLand, 400},
        {"2 and 3B at 48000", Check::Sensors, 48000, 10, 1.0, -100, 2, 6, 16, Scene::CloudyLand, 400},
        {"3A and 5 at 48000, 15 dB", Check::Sensors, 48000, 15, 1.0, 80, 3, 5, 17, Scene::CloudyLand, 400},
        // Grey bars keep their greys in noise that biases an envelope.
        {"bars at 10 dB", Check::Greys, 48000, 10, 1.0, 0, 2, 4, 21, Scene::Bars, 400},
        {"bars at 10 dB, 11025", Check::Greys, 11025, 10, 1.0, 0, 2, 4, 22, Scene::Bars, 800},
        {"bars at 5 dB, 48000", Check::Greys, 48000, 5, 1.0, 100, 2, 4, 23, Scene::Bars, 800},
        // At 11025 Hz the noise of the whole band is 6 dB more in the
        // subcarrier's: most syncs drowned, single telemetry frames no
        // staircase. The lines are placed by the line rate, the frames
        // folded over the pass, and the detector's noise reaches well past
        // white: clipped there, white would read low against the mid greys.
        {"bars at 5 dB, 11025", Check::Greys, 11025, 5, 1.0, -100, 2, 4, 24, Scene::Bars, 800},
        // Silent drop-outs: the lines are placed through them by the line
        // rate, but their telemetry (silence) must not pull the calibration.
        {"bars at 10 dB with drop-outs", Check::GreysThroughDropOuts, 11025, 10, 1.0, 50, 2, 4, 25, Scene::Bars, 800},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FidelityRecording recording = recordingAt(c.rate, c.snrDb, c.lines);
        recording.generator.whiteAmplitude *= c.level;
        recording.generator.clockErrorPpm = c.ppm;
        recording.generator.seed = c.seed;
        recording.sensorA = c.sensorA;
        recording.sensorB = c.sensorB;
        recording.sceneA = recording.sceneB = c.scene;
        const double fadeSeconds = 200.0;
        if (c.check == Check::GreysThroughDropOuts) {
            recording.generator.dropoutEverySeconds = 30.0;
            recording.generator.dropoutSeconds = 4.0;
        }
        if (c.check == Check::Fade)
            recording.fade = [=](double t) { return t < fadeSeconds ? 1.0 : std::pow(10.0, -10.0 / 20.0); };

        // Stretches of 25 s after the first telemetry frame has calibrated;
        // for the fade, of 10 s.
        const int stretch = c.check == Check::Fade ? 20 : 50;
        const Decoded d = decode(folder, recording, stretch, 160);
        ASSERT_TRUE(d.result.ok);
        const Decoded fixed = c.check == Check::ClippedLevel ? decode(folder, recording, stretch, 160, true, false)
                                                              : Decoded{};
        for (int channel = 0; channel < 2; ++channel) {
            SCOPED_TRACE(channel == 0 ? "channel A" : "channel B");
            const ChannelFit& fit = d.fit[channel];
            switch (c.check) {
            case Check::SteadyLevel:
                EXPECT_LT(fit.gainWander, 0.005);
                EXPECT_GT(fit.correlation, 0.9);
                break;
            case Check::ClippedLevel: {
                EXPECT_LT(fit.gainWander, fixed.fit[channel].gainWander + 0.002);
                break;
            }
            case Check::Fade: {
                // The stretch with the fade in it may dip; every other one,
                // from the next on, has the gain of before.
                const int fadeStretch = int((fadeSeconds * 2 - 160 + 1) / stretch);
                ASSERT_GT(int(fit.stretchGain.size()), fadeStretch + 3);
                const double before = fit.stretchGain[std::size_t(fadeStretch - 1)];
                for (std::size_t s = std::size_t(fadeStretch) + 1; s < fit.stretchGain.size(); ++s)
                    EXPECT_NEAR(fit.stretchGain[s] / before, 1.0, 0.02) << "stretch " << s;
                break;
            }
            case Check::Sensors:
                EXPECT_EQ(channel == 0 ? d.result.sensorNameA : d.result.sensorNameB,
                          Telemetry::sensorName(channel == 0 ? c.sensorA : c.sensorB))
                    << (channel == 0 ? d.result.sensorUndecidedA : d.result.sensorUndecidedB);
                break;
            case Check::GreysThroughDropOuts:
                break;   // below
            case Check::Greys:
                EXPECT_EQ(channel == 0 ? d.result.sensorNameA : d.result.sensorNameB,
                          Telemetry::sensorName(channel == 0 ? c.sensorA : c.sensorB));
                for (std::size_t b = 0; b < fit.barError.size(); ++b)
                    EXPECT_LE(std::abs(fit.barError[b]), 2.0) << "bar " << b;
                break;
            }
        }
        if (c.check == Check::GreysThroughDropOuts) {
            // The calibration is the one the same recording without the
            // drop-outs gets, within a grey level or so from black to white.
            recording.generator.dropoutEverySeconds = 0.0;
            const Decoded whole = decode(folder, recording, stretch, 160);
            EXPECT_EQ(d.result.sensorNameA, whole.result.sensorNameA);
            EXPECT_EQ(d.result.sensorNameB, whole.result.sensorNameB);
            const RecordingDecodeResult &a = d.result, &b = whole.result;
            for (double raw : {b.calibrationOffset / b.calibrationGain, (1530.0 + b.calibrationOffset) / b.calibrationGain})
                EXPECT_NEAR((raw * a.calibrationGain - a.calibrationOffset) / 6.0,
                            (raw * b.calibrationGain - b.calibrationOffset) / 6.0, 1.5);
        }
        if (c.check == Check::Greys) {
            // No less like the truth than the envelope's picture.
            const Decoded envelope = decode(folder, recording, stretch, 160, false);
            for (int channel = 0; channel < 2; ++channel)
                EXPECT_GE(d.fit[channel].correlation, envelope.fit[channel].correlation - 0.001);
        }
    }
}

}  // namespace
}  // namespace sorae
