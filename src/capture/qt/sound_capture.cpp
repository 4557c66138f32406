#include "capture/qt/sound_capture.h"

#include <QAudioSource>
#include <QIODevice>

#include "capture/block_handler.h"
#include "capture/qt/recording_devices.h"

namespace sorae {

SoundCapture::SoundCapture(QObject* parent) : QObject(parent), report_(showFailureBox) {}

SoundCapture::~SoundCapture() { close(); }

bool SoundCapture::open(int inputDeviceIndex, int signalType) {
    close();
    const CaptureFormat cf = captureFormatFor(signalType);
    format_ = QAudioFormat();
    format_.setSampleRate(cf.sampleRate);
    format_.setChannelCount(cf.channels);
    format_.setSampleFormat(QAudioFormat::Int16);
    framesPerBlock_ = cf.framesPerBlock;

    device_ = recordingDeviceForRow(inputDeviceIndex);
    if (device_.isNull() || !device_.isFormatSupported(format_)) {
        report_(captureOpenFailedMessage());
        return false;
    }
    const int blockBytes = cf.bytesPerBlock();
    block_.assign(std::size_t(blockBytes), 0);
    filled_ = 0;
    blocksDelivered_ = 0;

    source_ = std::make_unique<QAudioSource>(device_, format_);
    source_->setBufferSize(qsizetype(blockBytes) * kBufferedBlocks);
    QIODevice* stream = source_->start();
    if (stream == nullptr || source_->error() != QAudio::NoError ||
        source_->state() == QAudio::StoppedState) {
        source_->stop();
        source_.reset();
        report_(captureOpenFailedMessage());
        return false;
    }
    stream_ = stream;
    connect(stream, &QIODevice::readyRead, this, &SoundCapture::readAvailable);
    connect(source_.get(), &QAudioSource::stateChanged, this, &SoundCapture::stateChanged);
    return true;
}

bool SoundCapture::close() {
    if (!source_) {
        return true;
    }
    auto source = std::move(source_);
    if (stream_) {
        stream_->disconnect(this);
    }
    source->disconnect(this);
    source->stop();
    source.reset();
    stream_ = nullptr;
    filled_ = 0;
    return true;
}

void SoundCapture::readAvailable() {
    // A block callback may run a long while; bytes that arrive meanwhile are
    // read by the loop below, not by a nested call.
    if (delivering_) {
        return;
    }
    QAudioSource* const source = source_.get();
    while (source_.get() == source && stream_) {
        const qint64 n = stream_->read(block_.data() + filled_, qint64(block_.size()) - filled_);
        if (n <= 0) {
            break;
        }
        filled_ += int(n);
        if (filled_ < int(block_.size())) {
            continue;
        }
        filled_ = 0;
        ++blocksDelivered_;
        if (onBlock_) {
            delivering_ = true;
            onBlock_(reinterpret_cast<const std::int16_t*>(block_.data()), framesPerBlock_);
            delivering_ = false;
        }
    }
}

void SoundCapture::stateChanged() {
    if (source_ && source_->state() == QAudio::StoppedState && source_->error() != QAudio::NoError) {
        close();
        emit deviceLost();
    }
}

}  // namespace sorae
