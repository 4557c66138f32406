// The recording device: opens the chosen source in the format of the signal
// type (48 or 96 kHz, stereo, 16-bit), keeps 16 s of audio buffered, cuts
// the stream into exact half-second blocks and hands each to the block
// callback on the GUI thread, in arrival order. Failures to open are told to
// the user through the failure reporter; closing is always safe.
#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "capture/qt/capture_messages.h"

class QAudioSource;
class QIODevice;

namespace sorae {

class SoundCapture : public QObject {
    Q_OBJECT
public:
    // Called with one block of interleaved stereo frames.
    using BlockCallback = std::function<void(const std::int16_t* interleaved, int frames)>;

    static constexpr int kBufferedBlocks = 32;  // 16 s of audio

    explicit SoundCapture(QObject* parent = nullptr);
    ~SoundCapture() override;

    void setBlockCallback(BlockCallback callback) { onBlock_ = std::move(callback); }
    void setFailureReporter(FailureReporter reporter) { report_ = std::move(reporter); }

    // OpenCapture: the source of row inputDeviceIndex of the device list, in
    // the format of signalType. Reports the failure and returns false when
    // the device cannot be opened. An open device is closed first.
    bool open(int inputDeviceIndex, int signalType);
    // CloseCapture: stops and releases the device; nothing when none is open.
    bool close();

    bool isOpen() const { return source_ != nullptr; }
    int framesPerBlock() const { return framesPerBlock_; }
    QAudioFormat format() const { return format_; }
    QAudioDevice device() const { return device_; }
    // Blocks delivered since the device was opened.
    long long blocksDelivered() const { return blocksDelivered_; }

signals:
    // The device stopped by itself (the sound server went away, the device
    // was unplugged). The capture is closed by then.
    void deviceLost();

private:
    void readAvailable();
    void stateChanged();

    BlockCallback onBlock_;
    FailureReporter report_;
    std::unique_ptr<QAudioSource> source_;
    QPointer<QIODevice> stream_;  // owned by the source; may vanish on a fatal error
    QAudioDevice device_;
    QAudioFormat format_;
    int framesPerBlock_ = 0;
    std::vector<char> block_;  // one block of bytes being filled
    int filled_ = 0;
    long long blocksDelivered_ = 0;
    bool delivering_ = false;
};

}  // namespace sorae
