// The monitor: plays the demodulated 48 kHz signal, mono 16-bit, on the
// default playback device. Each write queues one half-second buffer; up to
// eight are kept queued (4 s), and a buffer that finds the queue full is
// dropped rather than waited for.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>

#include "capture/qt/capture_messages.h"

class QAudioSink;
class QIODevice;

namespace sorae {

class MonitorOutput : public QObject {
    Q_OBJECT
public:
    static constexpr int kSampleRate = 48000;
    static constexpr int kSamplesPerBuffer = 24000;  // half a second
    static constexpr int kQueuedBuffers = 8;

    explicit MonitorOutput(QObject* parent = nullptr);
    ~MonitorOutput() override;

    void setFailureReporter(FailureReporter reporter) { report_ = std::move(reporter); }

    // OpenPlayback: reports the failure and returns false when the default
    // playback device cannot be used.
    bool open();
    // ClosePlayback: nothing when no device is open.
    void close();
    bool isOpen() const { return sink_ != nullptr; }

    // Queues count samples (normally kSamplesPerBuffer); nothing when closed.
    void play(const std::int16_t* samples, int count);
    // Queues half a second of silence (the monitor button's click).
    void playSilence();

    // Buffers handed to the device since it was opened.
    long long buffersWritten() const { return buffersWritten_; }

private:
    FailureReporter report_;
    std::unique_ptr<QAudioSink> sink_;
    QPointer<QIODevice> stream_;
    long long buffersWritten_ = 0;
};

}  // namespace sorae
