#include "capture/qt/sound_capture.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <new>

#include "capture/block_handler.h"
#include "capture/qt/recording_devices.h"

namespace sorae {

namespace {
// A source that sends nothing for this long is taken as gone, whatever the
// server says.
constexpr int kWatchdogMilliseconds = 1000;
constexpr qint64 kSilentMilliseconds = 5000;
}  // namespace

SoundCapture::SoundCapture(QObject* parent) : QObject(parent), report_(showFailureBox) {
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &SoundCapture::reconnect);
    connect(&watchdog_, &QTimer::timeout, this, &SoundCapture::checkBlocksArrive);
}

SoundCapture::~SoundCapture() { close(); }

int SoundCapture::reconnectDelaySeconds(int attempt) {
    constexpr int kDoubling[] = {1, 2, 4, 8, 16};
    constexpr int kSteady = 30;
    if (attempt < 0) return kDoubling[0];
    if (attempt < int(std::size(kDoubling))) return kDoubling[attempt];
    return kSteady;
}

bool SoundCapture::open(int inputDeviceIndex, int signalType) {
    if (inputDeviceIndex == 0) return open(QByteArray(), signalType);
    const QAudioDevice device = recordingDeviceForRow(inputDeviceIndex);
    if (device.isNull()) {
        close();
        report_(captureOpenFailedMessage());
        return false;
    }
    return open(device.id(), signalType);
}

bool SoundCapture::open(const QByteArray& deviceId, int signalType) {
    close();
    requestedId_ = deviceId;
    const CaptureFormat cf = captureFormatFor(signalType);
    format_ = QAudioFormat();
    format_.setSampleRate(cf.sampleRate);
    format_.setChannelCount(cf.channels);
    format_.setSampleFormat(QAudioFormat::Int16);
    framesPerBlock_ = cf.framesPerBlock;
    blockBytes_ = cf.bytesPerBlock();

    // Qt's list only describes the device here: after the sound server
    // restarted it stays empty for good, and the server itself is asked
    // below whether the source is there.
    device_ = recordingDeviceById(deviceId);
    if (!device_.isNull() && !device_.isFormatSupported(format_)) {
        report_(captureOpenFailedMessage());
        return false;
    }
    try {
        ring_.assign(std::size_t(blockBytes_) * kBufferedBlocks, 0);
    } catch (const std::bad_alloc&) {
        ring_ = {};
        report_(outOfMemoryMessage());
        return false;
    }
    if (!startReader()) {
        // A sound server that is not running yet (started after the
        // program, or restarting) is tried again as after a loss, and
        // recorded from as soon as it is there.
        reconnectAttempt_ = 0;
        reconnectTimer_.start(reconnectDelaySeconds(0) * 1000);
        report_(captureOpenFailedMessage());
        return false;
    }
    return true;
}

bool SoundCapture::startReader() {
    written_.store(0);
    deliveredShared_.store(0);
    delivered_ = 0;
    dropped_.store(0);

    auto reader = std::make_unique<PulseRecordStream>();
    const int generation = ++generation_;
    std::string why;
    const bool started = reader->open(
        requestedId_.toStdString(), format_.sampleRate(), format_.channelCount(), blockBytes_,
        [this](const char* block) { pushBlock(block); },
        [this, generation] {
            QMetaObject::invokeMethod(this, [this, generation] { readerLost(generation); }, Qt::QueuedConnection);
        },
        &why);
    if (!started) return false;
    reader_ = std::move(reader);
    open_ = true;
    watchedWritten_ = 0;
    sinceBlock_.start();
    watchdog_.start(kWatchdogMilliseconds);
    return true;
}

void SoundCapture::stopReader() {
    open_ = false;
    watchdog_.stop();
    // After this no block and no loss of this reader comes any more.
    if (reader_) reader_->close();
    reader_.reset();
}

// On the sound server's thread.
void SoundCapture::pushBlock(const char* block) {
    const long long written = written_.load(std::memory_order_relaxed);
    const long long delivered = deliveredShared_.load(std::memory_order_acquire);
    if (written - delivered >= kBufferedBlocks) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    const std::size_t slot = std::size_t(written % kBufferedBlocks);
    std::memcpy(ring_.data() + slot * std::size_t(blockBytes_), block, std::size_t(blockBytes_));
    written_.store(written + 1, std::memory_order_release);
    QMetaObject::invokeMethod(this, &SoundCapture::deliverPending, Qt::QueuedConnection);
}

void SoundCapture::checkBlocksArrive() {
    const long long written = written_.load(std::memory_order_acquire) + dropped_.load(std::memory_order_relaxed);
    if (written != watchedWritten_) {
        watchedWritten_ = written;
        sinceBlock_.start();
    } else if (sinceBlock_.elapsed() > kSilentMilliseconds) {
        readerLost(generation_);
    }
}

bool SoundCapture::close() {
    reconnectTimer_.stop();
    if (open_) stopReader();
    return true;
}

qsizetype SoundCapture::bufferBytes() const { return open_ ? qsizetype(ring_.size()) : 0; }

long long SoundCapture::blocksDropped() const { return dropped_.load(); }

void SoundCapture::deliverPending() {
    // A block callback may run a long while; blocks that arrive meanwhile
    // are handed out by this loop, not by a nested call.
    if (delivering_) return;
    delivering_ = true;
    while (open_ && delivered_ < written_.load(std::memory_order_acquire)) {
        const std::size_t slot = std::size_t(delivered_ % kBufferedBlocks);
        if (onBlock_) {
            onBlock_(reinterpret_cast<const std::int16_t*>(ring_.data() + slot * std::size_t(blockBytes_)),
                     framesPerBlock_);
        }
        ++delivered_;
        deliveredShared_.store(delivered_, std::memory_order_release);
    }
    delivering_ = false;
}

void SoundCapture::readerLost(int generation) {
    if (!open_ || generation != generation_) return;
    stopReader();
    reconnectAttempt_ = 0;
    reconnectTimer_.start(reconnectDelaySeconds(0) * 1000);
    emit deviceLost();
}

void SoundCapture::reconnect() {
    // The same device by its name (the default source for an empty one), in
    // the same format, asked of the server itself: Qt's device list does not
    // come back after the server restarted.
    if (startReader()) {
        emit deviceRestored();
        return;
    }
    ++reconnectAttempt_;
    reconnectTimer_.start(reconnectDelaySeconds(reconnectAttempt_) * 1000);
}

}  // namespace sorae
