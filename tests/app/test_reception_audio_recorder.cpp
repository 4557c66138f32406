// The pass sound against a filling disk: it starts only with room to spare,
// stops cleanly when the reserve is reached, and keeps what it had.
#include "app/reception_audio_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "capture/recording_reader.h"
#include "common/scratch_folder.h"

namespace sorae {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kReserve = 1000;

TEST(ReceptionAudioRecorder, SoundGivesWayToThePicturesWhenTheDiskFills) {
    testsupport::ScratchFolder scratch("sorae-recorder-");
    const std::string pics = scratch.file("pics");
    std::uint64_t freeBytes = kReserve;
    ReceptionAudioRecorder recorder(FreeSpaceGuard(kReserve, [&](const std::string& folder) {
        EXPECT_EQ(folder, pics);
        return std::optional<std::uint64_t>(freeBytes);
    }));
    const std::vector<double> left(24000, 1000.0), right(24000, -1000.0);

    // No more than the reserve free: the pass is received without sound.
    EXPECT_FALSE(recorder.start(pics, 48000, "202612081630NOAA19"));
    EXPECT_NE(recorder.errorMessage().find("空き容量"), std::string::npos) << recorder.errorMessage();
    EXPECT_FALSE(recorder.active());
    EXPECT_TRUE(fs::is_empty(pics));

    freeBytes = kReserve + 1;
    ASSERT_TRUE(recorder.start(pics, 48000, "202612081630NOAA19")) << recorder.errorMessage();
    EXPECT_EQ(recorder.workingPath(), pics + "/202612081630NOAA19.flac.part");
    EXPECT_TRUE(recorder.append(left.data(), right.data(), 24000));
    EXPECT_TRUE(recorder.append(left.data(), right.data(), 24000));
    freeBytes = kReserve;
    EXPECT_FALSE(recorder.append(left.data(), right.data(), 24000)) << "told once";
    const std::string told = recorder.errorMessage();
    EXPECT_NE(told.find("止めました"), std::string::npos) << told;
    freeBytes = kReserve * 10;  // room again: the file stays stopped
    EXPECT_TRUE(recorder.append(left.data(), right.data(), 24000));

    const ReceptionAudioRecorder::Finish done = recorder.finish("202612081631NOAA19");
    ASSERT_TRUE(done.ok) << recorder.errorMessage();
    EXPECT_EQ(done.path, pics + "/202612081631NOAA19.flac");
    EXPECT_EQ(done.note, told);
    RecordingReader r;
    ASSERT_TRUE(r.open(done.path, RecordingKind::Audio)) << r.errorMessage();
    std::vector<int16_t> block(2 * 24000);
    while (r.nextBlock(block.data())) {
    }
    EXPECT_EQ(r.blocksDelivered(), 2);

    // A later pass of the same name never replaces the first; one that
    // holds sound is kept (synchronised or not), one that holds none is not.
    for (const bool holdsSound : {true, false}) {
        ASSERT_TRUE(recorder.start(pics, 48000, "202612081630NOAA19"));
        if (holdsSound) {
            EXPECT_TRUE(recorder.append(left.data(), right.data(), 24000));
        }
        const ReceptionAudioRecorder::Finish again = recorder.finish("202612081631NOAA19");
        EXPECT_TRUE(again.ok);
        EXPECT_EQ(again.path, holdsSound ? pics + "/202612081631NOAA19_2.flac" : "");
        EXPECT_TRUE(again.note.empty());
    }
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(pics)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"202612081631NOAA19.flac", "202612081631NOAA19_2.flac"}));
}

}  // namespace
}  // namespace sorae
