#include "apt/line_assembly.h"

#include <algorithm>

#include "apt/line_store.h"
#include "apt/sync_pattern.h"

namespace sorae {

void assembleLine(const double* previous, const double* current, int offset, double* line) {
    const int fromPrevious = kEnvelopeBlockSamples - offset;
    std::copy(previous + offset, previous + kEnvelopeBlockSamples, line);
    std::copy(current, current + offset, line + fromPrevious);
}

void averageToWords(double* line) {
    // Every group starts at or after the word it is written to, so the
    // samples are read before anything overwrites them.
    int start = 0;
    for (int i = 1; i < kWordsPerLine; ++i) {
        const int end = (75 * i) / 13;   // floor(i * 12000 / 2080)
        double sum = 0.0;
        for (int k = start; k < end; ++k) sum += line[k];
        line[i] = sum / (end - start);
        start = end;
    }
}

}  // namespace sorae
