// The decoded lines of the pass being received: two channels of 1040 words
// by up to 2400 lines, addressed [word][line] so that the values of one word
// position lie together. Allocated once; nothing is allocated during a pass.
#pragma once

#include <cstddef>
#include <vector>

namespace sorae {

constexpr int kWordsPerChannel = 1040;
constexpr int kWordsPerLine = 2080;
constexpr int kMaxLines = 2400;
constexpr int kNoSyncLine = -999;

class LineStore {
public:
    LineStore()
        : channelA_(std::size_t(kWordsPerChannel) * kMaxLines, 0.0),
          channelB_(std::size_t(kWordsPerChannel) * kMaxLines, 0.0) {}

    // channel 0 is A, 1 is B
    double& at(int channel, int word, int line) {
        return (channel == 0 ? channelA_ : channelB_)[std::size_t(word) * kMaxLines + line];
    }
    double at(int channel, int word, int line) const {
        return (channel == 0 ? channelA_ : channelB_)[std::size_t(word) * kMaxLines + line];
    }

    int lineCount = 0;                  // LineCount: the next line goes to this column
    int firstSyncLine = kNoSyncLine;    // FirstSyncLine
    int lastSyncLine = 0;               // LastSyncLine

private:
    std::vector<double> channelA_;
    std::vector<double> channelB_;
};

}  // namespace sorae
