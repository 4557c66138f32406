// Recordings and pictures on disk: what libsndfile reads back is what the
// generator made, and failures name the file.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <unistd.h>

#include <QImage>

#include <filesystem>
#include <string>

#include "signal_probe.h"
#include "common/scratch_folder.h"
#include "testsignal/picture_files.h"
#include "testsignal/recording_writer.h"
#include "testsignal/test_patterns.h"

using namespace sorae::testsignal;
namespace fs = std::filesystem;

namespace {

class RecordingFiles : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return scratch_.file(name); }

    sorae::testsupport::ScratchFolder scratch_{"sorae-testsignal-"};
};

AptLineSource source() {
    return AptLineSource(makeTestCard(100, 'A', false), makeBarsPattern(100), 1, 5);
}

struct ReadBack {
    SF_INFO info{};
    std::vector<short> shorts;
    std::vector<float> floats;
};

ReadBack readFile(const std::string& path, bool asFloat) {
    ReadBack r;
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &r.info);
    if (!f) return r;
    const std::size_t n = std::size_t(r.info.frames) * r.info.channels;
    if (asFloat) {
        r.floats.resize(n);
        r.floats.resize(std::size_t(sf_readf_float(f, r.floats.data(), r.info.frames)) * r.info.channels);
    } else {
        r.shorts.resize(n);
        r.shorts.resize(std::size_t(sf_readf_short(f, r.shorts.data(), r.info.frames)) * r.info.channels);
    }
    sf_close(f);
    return r;
}

}  // namespace

TEST_F(RecordingFiles, SixteenBitFilesHoldTheRoundedSamples) {
    struct Case { std::string name; SignalKind kind; int rate; };
    for (const Case& c : {Case{"audio.wav", SignalKind::Audio, 11025}, Case{"iq.flac", SignalKind::IQ, 96000},
                          Case{"audio.flac", SignalKind::Audio, 48000}}) {
        GeneratorOptions o;
        o.kind = c.kind;
        o.sampleRate = c.rate;
        o.lines = 3;
        o.snrDb = 0.0;  // loud noise, so saturation is exercised too
        o.whiteAmplitude = 30000.0;
        AptSignalGenerator g(source(), o);
        const RecordingResult written = writeRecording(path(c.name), g, SampleFormat::Int16);
        ASSERT_TRUE(written.ok) << written.error;
        EXPECT_EQ(written.frames, g.totalFrames());

        const ReadBack r = readFile(path(c.name), false);
        EXPECT_EQ(r.info.samplerate, c.rate) << c.name;
        EXPECT_EQ(r.info.channels, c.kind == SignalKind::IQ ? 2 : 1) << c.name;
        const std::vector<double> expected = probe::generateAll(g);
        ASSERT_EQ(r.shorts.size(), expected.size()) << c.name;
        bool saturated = false;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(r.shorts[i], toInt16(expected[i])) << c.name << " sample " << i;
            saturated |= std::abs(expected[i]) > 32767.5;
        }
        if (c.kind == SignalKind::Audio) {
            EXPECT_TRUE(saturated) << c.name;
        }
    }
}

TEST_F(RecordingFiles, FloatFilesHoldCountsOver32768) {
    GeneratorOptions o;
    o.lines = 2;
    AptSignalGenerator g(source(), o);
    ASSERT_TRUE(writeRecording(path("f.wav"), g, SampleFormat::Float).ok);
    const ReadBack r = readFile(path("f.wav"), true);
    EXPECT_EQ(r.info.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
    const std::vector<double> expected = probe::generateAll(g);
    ASSERT_EQ(r.floats.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(r.floats[i], float(expected[i] / 32768.0)) << i;
}

TEST_F(RecordingFiles, FailuresNameTheFileAndTheReason) {
    GeneratorOptions o;
    o.lines = 1;
    AptSignalGenerator g(source(), o);
    const std::string missingDir = path("no/such/dir/x.wav");
    RecordingResult r = writeRecording(missingDir, g, SampleFormat::Int16);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(missingDir), std::string::npos) << r.error;
    r = writeRecording(path("x.mp3"), g, SampleFormat::Int16);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("x.mp3"), std::string::npos);
    r = writeRecording(path("x.flac"), g, SampleFormat::Float);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(fs::exists(path("x.flac")));
}

TEST_F(RecordingFiles, SaturationAndRounding) {
    EXPECT_EQ(toInt16(40000.0), 32767);
    EXPECT_EQ(toInt16(-40000.0), -32768);
    EXPECT_EQ(toInt16(std::nan("")), -32768);
    EXPECT_EQ(toInt16(-3.7), -4);
    EXPECT_EQ(toInt16(3.7), 4);
}

TEST_F(RecordingFiles, PicturesGoOutAndComeBackAsGrey) {
    const GreyPicture truth = source().truthPicture(0, 10, 30);
    ASSERT_EQ(saveGreyPng(truth, path("t_A.png")), "");
    const QImage back(QString::fromStdString(path("t_A.png")));
    ASSERT_EQ(back.width(), 1040);
    ASSERT_EQ(back.height(), 30);
    ASSERT_EQ(back.format(), QImage::Format_Grayscale8);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 1040; ++x) ASSERT_EQ(back.constScanLine(y)[x], truth.at(x, y));

    // A source picture of 909 columns comes in unchanged; others are scaled
    // to 909 columns with their aspect.
    const GreyPicture card = makeTestCard(40, 'B', true);
    ASSERT_EQ(saveGreyPng(card, path("card.png")), "");
    const PictureLoad same = loadSourcePicture(path("card.png"));
    ASSERT_TRUE(same.picture.has_value()) << same.error;
    EXPECT_EQ(same.picture->pixels, card.pixels);
    QImage small(303, 20, QImage::Format_RGB32);
    small.fill(QColor(200, 200, 200));
    ASSERT_TRUE(small.save(QString::fromStdString(path("small.png"))));
    const PictureLoad scaled = loadSourcePicture(path("small.png"));
    ASSERT_TRUE(scaled.picture.has_value());
    EXPECT_EQ(scaled.picture->width, 909);
    EXPECT_EQ(scaled.picture->height, 60);
    EXPECT_NEAR(scaled.picture->at(450, 30), 200, 1);

    // Not a picture: an error naming the file.
    { std::FILE* f = std::fopen(path("bad.png").c_str(), "wb"); std::fputs("not a png", f); std::fclose(f); }
    const PictureLoad bad = loadSourcePicture(path("bad.png"));
    EXPECT_FALSE(bad.picture.has_value());
    EXPECT_NE(bad.error.find("bad.png"), std::string::npos);
    EXPECT_FALSE(loadSourcePicture(path("missing.png")).picture.has_value());
}
