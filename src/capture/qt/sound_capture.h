// The recording device: opens the chosen source in the format of the signal
// type (48 or 96 kHz, stereo, 16-bit), cuts the stream into exact
// half-second blocks and hands each to the block callback on the GUI
// thread, in arrival order. The device is read on a thread of its own into
// a ring of 32 blocks (16 s), so a GUI thread that is busy for a while
// loses no audio. Failures to open are told to the user through the
// failure reporter; closing is always safe.
#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "capture/qt/capture_messages.h"

namespace sorae {

class CaptureReader;

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

    bool isOpen() const { return open_; }
    int framesPerBlock() const { return framesPerBlock_; }
    QAudioFormat format() const { return format_; }
    QAudioDevice device() const { return device_; }
    // Audio that can wait for the GUI thread, in bytes (0 when closed).
    qsizetype bufferBytes() const;
    // Blocks delivered since the device was opened.
    long long blocksDelivered() const { return delivered_; }
    // Blocks dropped because the GUI thread fell more than 16 s behind.
    long long blocksDropped() const;

signals:
    // The device stopped by itself (the sound server went away, the device
    // was unplugged). The capture is closed by then.
    void deviceLost();

private:
    friend class CaptureReader;
    void deliverPending();
    void readerLost();

    BlockCallback onBlock_;
    FailureReporter report_;
    QThread thread_;
    CaptureReader* reader_ = nullptr;
    QAudioDevice device_;
    QAudioFormat format_;
    int framesPerBlock_ = 0;
    int blockBytes_ = 0;
    bool open_ = false;
    bool delivering_ = false;

    // Ring of complete blocks: the reader thread fills slot written % N and
    // then advances written_; the GUI thread hands out slot delivered_ % N.
    std::vector<char> ring_;
    std::atomic<long long> written_{0};
    long long delivered_ = 0;
    std::atomic<long long> deliveredShared_{0};  // delivered_, for the reader
    std::atomic<long long> dropped_{0};
};

}  // namespace sorae
