#include "capture/qt/monitor_output.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <array>

namespace sorae {

MonitorOutput::MonitorOutput(QObject* parent) : QObject(parent), report_(showFailureBox) {}

MonitorOutput::~MonitorOutput() { close(); }

bool MonitorOutput::open() {
    close();
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format)) {
        report_(playbackOpenFailedMessage());
        return false;
    }
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->setBufferSize(qsizetype(kSamplesPerBuffer) * 2 * kQueuedBuffers);
    QIODevice* stream = sink_->start();
    if (stream == nullptr || sink_->error() != QAudio::NoError ||
        sink_->state() == QAudio::StoppedState) {
        sink_->stop();
        sink_.reset();
        report_(playbackOpenFailedMessage());
        return false;
    }
    stream_ = stream;
    buffersWritten_ = 0;
    return true;
}

void MonitorOutput::close() {
    if (!sink_) {
        return;
    }
    auto sink = std::move(sink_);
    sink->stop();
    sink.reset();
    stream_ = nullptr;
}

void MonitorOutput::play(const std::int16_t* samples, int count) {
    if (!sink_ || !stream_ || count <= 0) {
        return;
    }
    stream_->write(reinterpret_cast<const char*>(samples), qint64(count) * 2);
    ++buffersWritten_;
}

void MonitorOutput::playSilence() {
    static const std::array<std::int16_t, kSamplesPerBuffer> silence{};
    play(silence.data(), kSamplesPerBuffer);
}

}  // namespace sorae
