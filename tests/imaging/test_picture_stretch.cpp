// The contrast stretch of an uncalibrated channel.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "imaging/picture_buffer.h"
#include "imaging/picture_stretch.h"

using namespace sorae;

TEST(PictureStretch, PercentilesOfThePicturePartBecomeBlackAndWhite) {
    struct Case {
        double low, high;  // levels the picture part spans, evenly
        bool click;        // a few words far outside, and sync/space beyond the range
        bool flat;
    };
    const Case cases[] = {
        {9000.0, 15000.0, false, false},  // far above white: would be all white unstretched
        {2.0, 40.0, true, false},         // far below: would be all black
        {700.0, 700.0, false, true},      // no spread at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.low);
        auto store = std::make_unique<LineStore>();
        const int rows = 100;
        for (int line = 0; line < rows; ++line)
            for (int x = 0; x < kWordsPerChannel; ++x) {
                const double t = double((line * 7 + x) % 1000) / 999.0;
                double v = c.low + t * (c.high - c.low);
                if (x < kPictureFirstWord || x >= kPictureFirstWord + kPictureWords) v = 1e6;
                store->at(1, x, line) = v;
            }
        if (c.click)
            for (int x = 200; x < 260; ++x) store->at(1, x, 50) = 1e7;
        std::vector<double> scratch;
        const ChannelStretch s = StretchChannel(*store, 1, 0, rows, scratch);
        EXPECT_EQ(s.flat, c.flat);
        const auto grey = [&](double level) { return int(LevelToGrey(level * s.gain - s.offset) & 0xFF); };
        if (c.flat) {
            EXPECT_EQ(grey(c.low), 127);
            continue;
        }
        const double span = c.high - c.low;
        EXPECT_EQ(grey(c.low), 0);
        EXPECT_EQ(grey(c.high), 255);
        EXPECT_NEAR(grey(c.low + 0.5 * span), 127, 4);
        EXPECT_NEAR(grey(c.low + 0.015 * span), 1, 2);  // only the lowest 1 % are cut off
    }
}
