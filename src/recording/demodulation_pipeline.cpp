#include "recording/demodulation_pipeline.h"

#include <algorithm>

namespace sorae {

namespace {

DemodulatedBlock emptyBlock(int framesPerBlock) {
    DemodulatedBlock b;
    b.frames.assign(std::size_t(framesPerBlock) * 2, 0);
    b.audio.assign(Demodulator::kFramesPerBlock48k, 0.0);
    b.envelope.assign(Demodulator::kEnvelopeSamples, 0.0);
    b.decimated.assign(Demodulator::kDecimatedSamples, 0.0);
    return b;
}

}  // namespace

DemodulationPipeline::DemodulationPipeline(RecordingReader& reader, Demodulator& demodulator, double gainLinear,
                                           int depth)
    : reader_(reader) {
    const int framesPerBlock = reader.framesPerBlock();
    const bool quadrature = reader.kind() == RecordingKind::Quadrature;
    std::vector<DemodulatedBlock> ring;
    for (int i = 0; i < std::max(depth, 2); ++i) {
        ring.push_back(emptyBlock(framesPerBlock));
        if (quadrature) {
            ring.back().decimatedI.assign(Demodulator::kFramesPerBlock48k, 0.0);
            ring.back().decimatedQ.assign(Demodulator::kFramesPerBlock48k, 0.0);
        }
    }

    // Reading; for audio the block handler's audio path too (the left
    // channel times the gain).
    auto read = [&reader, quadrature, gainLinear](DemodulatedBlock& b) {
        if (!reader.nextBlock(b.frames.data())) return false;
        if (!quadrature) {
            for (int k = 0; k < Demodulator::kFramesPerBlock48k; ++k)
                b.audio[std::size_t(k)] = double(b.frames[std::size_t(2 * k)]) * gainLinear;
        }
        return true;
    };
    std::vector<StagedRing<DemodulatedBlock>::Step> steps;
    if (quadrature) {
        steps.push_back([&demodulator, framesPerBlock](DemodulatedBlock& b) {
            demodulator.mixAndDecimateInterleaved(b.frames.data(), framesPerBlock, b.decimatedI.data(),
                                                  b.decimatedQ.data());
        });
        steps.push_back([&demodulator, framesPerBlock, gainLinear](DemodulatedBlock& b) {
            demodulator.discriminate(b.decimatedI.data(), b.decimatedQ.data(), (framesPerBlock + 1) / 2, gainLinear,
                                     b.audio.data());
        });
    }
    steps.push_back([&demodulator](DemodulatedBlock& b) { demodulator.decimateAudio(b.audio.data(), b.decimated.data()); });
    steps.push_back(
        [&demodulator](DemodulatedBlock& b) { demodulator.envelopeOfDecimated(b.decimated.data(), b.envelope.data()); });
    ring_ = std::make_unique<StagedRing<DemodulatedBlock>>(std::move(ring), std::move(read), std::move(steps));
}

DemodulationPipeline::~DemodulationPipeline() { stop(); }

const DemodulatedBlock* DemodulationPipeline::next() { return stopped_ ? nullptr : ring_->next(); }

void DemodulationPipeline::stop() {
    ring_->stop();
    stopped_ = true;
}

RecordingError DemodulationPipeline::error() const {
    return ring_->reachedEnd() ? reader_.error() : RecordingError::None;
}

const std::string& DemodulationPipeline::errorMessage() const {
    static const std::string none;
    return ring_->reachedEnd() ? reader_.errorMessage() : none;
}

}  // namespace sorae
