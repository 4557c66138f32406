// Reads an opened recording and demodulates it ahead of the line decoding,
// on threads of their own: reading (and resampling), for I/Q the mixer and
// low-pass and then the discriminator, the audio low-pass and decimation,
// and the rest of the envelope. Each block comes out with the frames as
// read, the 48 kHz audio the block handler's audio path gives, and the
// envelope its envelope stage gives, to the bit: the steps are those of the
// block handler and the demodulator, in the same order, only spread over
// the cores.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "capture/demodulator.h"
#include "capture/recording_reader.h"
#include "recording/staged_ring.h"

namespace sorae {

struct DemodulatedBlock {
    std::vector<std::int16_t> frames;  // 2 * framesPerBlock, interleaved, as read
    std::vector<double> audio;         // Demodulator::kFramesPerBlock48k at 48 kHz
    std::vector<double> envelope;      // Demodulator::kEnvelopeSamples at 24 kHz
    // Between the steps.
    std::vector<double> decimatedI, decimatedQ;
    std::vector<double> decimated;     // Demodulator::kDecimatedSamples
};

class DemodulationPipeline {
public:
    static constexpr int kDefaultDepth = 4;

    // Starts at once. The reader, opened, and the demodulator belong to the
    // pipeline's threads until stop() (or the destructor) returns. The gain
    // is the block handler's (its audio path and quadrature stage).
    DemodulationPipeline(RecordingReader& reader, Demodulator& demodulator, double gainLinear,
                         int depth = kDefaultDepth);
    ~DemodulationPipeline();
    DemodulationPipeline(const DemodulationPipeline&) = delete;
    DemodulationPipeline& operator=(const DemodulationPipeline&) = delete;

    // The next block, valid until the next call; null at the end of the
    // recording (or a read error), or after stop().
    const DemodulatedBlock* next();
    // Ends the threads and waits for them.
    void stop();

    // The reader's error once next() has returned null at the end of what
    // was read; None for a recording read to its end, or stopped before.
    RecordingError error() const;
    const std::string& errorMessage() const;

private:
    RecordingReader& reader_;
    std::unique_ptr<StagedRing<DemodulatedBlock>> ring_;
    bool stopped_ = false;
};

}  // namespace sorae
