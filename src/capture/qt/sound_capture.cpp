#include "capture/qt/sound_capture.h"

#include <QAudioSource>
#include <QElapsedTimer>
#include <QIODevice>
#include <QPointer>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

#include "capture/block_handler.h"
#include "capture/qt/recording_devices.h"

namespace sorae {

// Lives on the capture thread: owns the QAudioSource, gathers bytes into
// whole blocks and puts them into the owner's ring.
class CaptureReader : public QObject {
public:
    explicit CaptureReader(SoundCapture& owner) : owner_(owner) {}

    bool start(const QAudioDevice& device, const QAudioFormat& format, int blockBytes) {
        block_.assign(std::size_t(blockBytes), 0);
        filled_ = 0;
        source_ = std::make_unique<QAudioSource>(device, format);
        // The backend's own buffer is kept modest; the ring does the waiting.
        source_->setBufferSize(qsizetype(blockBytes) * 2);
        QIODevice* stream = source_->start();
        if (stream == nullptr || source_->error() != QAudio::NoError ||
            source_->state() == QAudio::StoppedState) {
            source_->stop();
            source_.reset();
            return false;
        }
        stream_ = stream;
        connect(stream, &QIODevice::readyRead, this, &CaptureReader::readAvailable);
        connect(source_.get(), &QAudioSource::stateChanged, this, [this] {
            if (source_ && source_->state() == QAudio::StoppedState && source_->error() != QAudio::NoError) lost();
        });
        // A server that dies does not always stop the source: a running
        // source that delivers nothing for seconds is gone as well.
        sinceData_.start();
        watchdog_ = new QTimer(this);
        connect(watchdog_, &QTimer::timeout, this, [this] {
            if (source_ && sinceData_.elapsed() > kSilentMilliseconds) lost();
        });
        watchdog_->start(kWatchdogMilliseconds);
        return true;
    }

    void stop() {
        if (watchdog_) watchdog_->stop();
        if (!source_) return;
        if (stream_) stream_->disconnect(this);
        source_->disconnect(this);
        source_->stop();
        source_.reset();
        stream_ = nullptr;
    }

private:
    static constexpr int kWatchdogMilliseconds = 1000;
    static constexpr qint64 kSilentMilliseconds = 5000;

    void lost() {
        stop();
        QMetaObject::invokeMethod(&owner_, [o = &owner_] { o->readerLost(); }, Qt::QueuedConnection);
    }

    void readAvailable() {
        while (stream_) {
            const qint64 n = stream_->read(block_.data() + filled_, qint64(block_.size()) - filled_);
            if (n <= 0) break;
            sinceData_.start();
            filled_ += int(n);
            if (filled_ < int(block_.size())) continue;
            filled_ = 0;
            pushBlock();
        }
    }

    void pushBlock() {
        const long long written = owner_.written_.load(std::memory_order_relaxed);
        const long long delivered = owner_.deliveredShared_.load(std::memory_order_acquire);
        if (written - delivered >= SoundCapture::kBufferedBlocks) {
            owner_.dropped_.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        const std::size_t slot = std::size_t(written % SoundCapture::kBufferedBlocks);
        std::memcpy(owner_.ring_.data() + slot * block_.size(), block_.data(), block_.size());
        owner_.written_.store(written + 1, std::memory_order_release);
        QMetaObject::invokeMethod(&owner_, [o = &owner_] { o->deliverPending(); }, Qt::QueuedConnection);
    }

    SoundCapture& owner_;
    std::unique_ptr<QAudioSource> source_;
    QPointer<QIODevice> stream_;  // owned by the source; may vanish on a fatal error
    std::vector<char> block_;
    int filled_ = 0;
    QTimer* watchdog_ = nullptr;
    QElapsedTimer sinceData_;
};

SoundCapture::SoundCapture(QObject* parent) : QObject(parent), report_(showFailureBox) {
    thread_.setObjectName(QStringLiteral("sound capture"));
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &SoundCapture::reconnect);
}

SoundCapture::~SoundCapture() {
    close();
    if (thread_.isRunning()) {
        thread_.quit();
        thread_.wait();
    }
}

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

    device_ = recordingDeviceById(deviceId);
    if (device_.isNull() || !device_.isFormatSupported(format_)) {
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

    if (!thread_.isRunning()) thread_.start();
    reader_ = new CaptureReader(*this);
    reader_->moveToThread(&thread_);
    bool started = false;
    QMetaObject::invokeMethod(
        reader_, [&] { started = reader_->start(device_, format_, blockBytes_); },
        Qt::BlockingQueuedConnection);
    if (!started) {
        QMetaObject::invokeMethod(reader_, [r = reader_] { delete r; }, Qt::BlockingQueuedConnection);
        reader_ = nullptr;
        return false;
    }
    open_ = true;
    return true;
}

void SoundCapture::stopReader() {
    open_ = false;
    if (reader_ != nullptr) {
        QMetaObject::invokeMethod(
            reader_, [r = reader_] {
                r->stop();
                delete r;
            },
            Qt::BlockingQueuedConnection);
        reader_ = nullptr;
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

void SoundCapture::readerLost() {
    if (!open_) return;
    stopReader();
    reconnectAttempt_ = 0;
    reconnectTimer_.start(reconnectDelaySeconds(0) * 1000);
    emit deviceLost();
}

void SoundCapture::reconnect() {
    // The same device by its id (the default source for an empty one), in
    // the same format; the sound server may list it again only after a while.
    device_ = recordingDeviceById(requestedId_);
    if (!device_.isNull() && device_.isFormatSupported(format_) && startReader()) {
        emit deviceRestored();
        return;
    }
    ++reconnectAttempt_;
    reconnectTimer_.start(reconnectDelaySeconds(reconnectAttempt_) * 1000);
}

}  // namespace sorae
