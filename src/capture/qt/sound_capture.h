// The recording device: opens the chosen source in the format of the signal
// type (48 or 96 kHz, stereo, 16-bit), cuts the stream into exact
// half-second blocks and hands each to the block callback on the GUI
// thread, in arrival order. The device is read straight from the sound
// server on the client library's thread into a ring of 32 blocks (16 s), so
// a GUI thread that is busy for a while loses no audio. Qt Multimedia only
// lists the devices and checks the format. Failures to open are told to the user through the
// failure reporter; closing is always safe. A device that stops by itself
// (the sound server restarted, the device unplugged) is opened again,
// quietly, after 1, 2, 4, 8 and 16 s and then every 30 s, until it records
// again or the capture is closed or opened anew.
#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "capture/qt/capture_messages.h"
#include "capture/qt/pulse_record_stream.h"

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

    // OpenCapture: the source with this id (QAudioDevice::id(); empty for
    // the sound server's default source), in the format of signalType.
    // Reports the failure and returns false when the device cannot be
    // opened. An open device is closed first.
    bool open(const QByteArray& deviceId, int signalType);
    // The same for a row of the device list as it is now.
    bool open(int inputDeviceIndex, int signalType);
    // CloseCapture: stops and releases the device; nothing when none is open.
    // Ends any reconnecting.
    bool close();

    // The wait in seconds before attempt n (0, 1, ...) to open a lost
    // device again: 1, 2, 4, 8, 16, then 30 for every later one.
    static int reconnectDelaySeconds(int attempt);

    bool isOpen() const { return open_; }
    // Waiting to open a lost device again.
    bool isReconnecting() const { return reconnectTimer_.isActive(); }
    // The id last asked to open (empty for the default source).
    QByteArray requestedId() const { return requestedId_; }
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
    // was unplugged). The capture is closed by then and tries to open the
    // same device again by itself.
    void deviceLost();
    // The lost device records again.
    void deviceRestored();

private:
    void deliverPending();
    void readerLost(int generation);
    void pushBlock(const char* block);
    void checkBlocksArrive();
    // Opens device_ in format_ with an empty ring; false when it does not start.
    bool startReader();
    void stopReader();
    void reconnect();

    BlockCallback onBlock_;
    FailureReporter report_;
    std::unique_ptr<PulseRecordStream> reader_;
    int generation_ = 0;  // counts the readers started, so a late loss of an old one is ignored
    QTimer watchdog_;
    QElapsedTimer sinceBlock_;
    long long watchedWritten_ = 0;
    QAudioDevice device_;
    QByteArray requestedId_;
    QAudioFormat format_;
    QTimer reconnectTimer_;
    int reconnectAttempt_ = 0;
    int framesPerBlock_ = 0;
    int blockBytes_ = 0;
    bool open_ = false;
    bool delivering_ = false;

    // Ring of complete blocks: the server's thread fills slot written % N and
    // then advances written_; the GUI thread hands out slot delivered_ % N.
    std::vector<char> ring_;
    std::atomic<long long> written_{0};
    long long delivered_ = 0;
    std::atomic<long long> deliveredShared_{0};  // delivered_, for the reader
    std::atomic<long long> dropped_{0};
};

}  // namespace sorae
