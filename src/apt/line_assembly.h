// Cutting one line out of two consecutive envelope blocks and averaging it
// in place to the 2080 words of an APT line.
#pragma once

namespace sorae {

// line[0 .. 11999-o] = previous[o .. 11999], line[12000-o .. 11999] = current[0 .. o-1].
void assembleLine(const double* previous, const double* current, int offset, double* line);

// Word i (1..2079) becomes the mean of samples [floor(75(i-1)/13), floor(75i/13));
// word 0 keeps the first sample. Runs in place over the 12000 samples.
void averageToWords(double* line);

}  // namespace sorae
