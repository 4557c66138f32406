// The decoded lines of the pass being received: two channels of 1040 words
// by up to 2400 lines, addressed [word][line] so that the values of one word
// position lie together. Allocated once; nothing is allocated during a pass.
//
// The 38 MB are taken from the system as they are, without being written:
// the system hands out pages of zeros on first touch, so a short recording
// costs only the pages its lines reach, and a line never written still reads
// as 0.
//
// Each line also keeps when its sync A began, in seconds after the first
// sample of the recording (or reception), taken from the sample position at
// which the line was cut; NaN where that is unknown.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>

namespace sorae {

constexpr int kWordsPerChannel = 1040;
constexpr int kWordsPerLine = 2080;
constexpr int kMaxLines = 2400;
constexpr int kNoSyncLine = -999;
// The picture words of a channel line (the image area between space and telemetry).
inline constexpr int kImageWords = 909;

class LineStore {
public:
    static constexpr std::size_t kValuesPerChannel = std::size_t(kWordsPerChannel) * kMaxLines;

    // calloc, not new + fill: a block this large comes straight from the
    // system as zero pages, and calloc knows not to clear them again.
    LineStore() : values_(static_cast<double*>(std::calloc(2 * kValuesPerChannel, sizeof(double)))) {
        if (!values_) throw std::bad_alloc();
        clearLineSeconds();
    }

    // channel 0 is A, 1 is B
    double& at(int channel, int word, int line) {
        return values_.get()[index(channel, word, line)];
    }
    double at(int channel, int word, int line) const {
        return values_.get()[index(channel, word, line)];
    }

    // Seconds after the first sample at which line `line`'s sync A began;
    // NaN when unknown or outside the store.
    double lineSeconds(int line) const {
        return line >= 0 && line < kMaxLines ? lineSeconds_[std::size_t(line)]
                                             : std::numeric_limits<double>::quiet_NaN();
    }
    void setLineSeconds(int line, double seconds) {
        if (line >= 0 && line < kMaxLines) lineSeconds_[std::size_t(line)] = seconds;
    }
    void clearLineSeconds() {
        std::fill(lineSeconds_.get(), lineSeconds_.get() + kMaxLines,
                  std::numeric_limits<double>::quiet_NaN());
    }

    int lineCount = 0;                  // LineCount: the next line goes to this column
    int firstSyncLine = kNoSyncLine;    // FirstSyncLine
    int lastSyncLine = 0;               // LastSyncLine

private:
    struct Free {
        void operator()(double* p) const { std::free(p); }
    };
    static std::size_t index(int channel, int word, int line) {
        return (channel == 0 ? 0 : kValuesPerChannel) + std::size_t(word) * kMaxLines + line;
    }
    std::unique_ptr<double[], Free> values_;
    std::unique_ptr<double[]> lineSeconds_ = std::make_unique<double[]>(kMaxLines);
};

}  // namespace sorae
