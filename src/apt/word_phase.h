// Where the decoded words lie against the words the satellite sent.
//
// A line is cut at the sync position the correlator finds and averaged over
// fixed groups of envelope samples; with the detectors' filtering, the
// decoded image words come out a fraction of a word ahead of the words as
// sent: decoded word c holds what was sent at c + kDecodedWordLeadWords.
// Measured on generated recordings at 11025 to 48000 Hz and as 96 kHz I/Q,
// with both the coherent and the envelope detector: 0.28 to 0.41 words.
// Within a tenth of a word this is a property of the chain, not of the
// recording, and the picture geometry counts with it (about 1.3 km at nadir).
#pragma once

namespace sorae {

inline constexpr double kDecodedWordLeadWords = 0.33;

}  // namespace sorae
