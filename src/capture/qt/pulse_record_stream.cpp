#include "capture/qt/pulse_record_stream.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/sample.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <cstring>

namespace sorae {

namespace {
// How much the server gathers before it sends: small against a block, so
// that the reading keeps pace and a stop never waits long.
constexpr pa_usec_t kFragmentMicroseconds = 100000;
}  // namespace

PulseRecordStream::~PulseRecordStream() { close(); }

bool PulseRecordStream::open(const std::string& source, int sampleRate, int channels, int blockBytes,
                             BlockSink onBlock, LostSink onLost, std::string* error) {
    close();
    block_.assign(std::size_t(std::max(blockBytes, 1)), 0);
    filled_ = 0;
    ready_ = false;
    lost_.store(false);
    onBlock_ = std::move(onBlock);
    onLost_ = std::move(onLost);

    const auto fail = [&](const char* step, bool locked) {
        if (error != nullptr) {
            *error = step;
            if (context_ != nullptr) *error += std::string(": ") + pa_strerror(pa_context_errno(context_));
        }
        if (locked) pa_threaded_mainloop_unlock(mainloop_);
        close();
        return false;
    };

    mainloop_ = pa_threaded_mainloop_new();
    if (mainloop_ == nullptr) return fail("no main loop", false);
    context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), "SORAE-APT");
    if (context_ == nullptr) return fail("no context", false);
    pa_context_set_state_callback(context_, &PulseRecordStream::contextStateChanged, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return fail("cannot reach the sound server", false);

    pa_threaded_mainloop_lock(mainloop_);
    if (pa_threaded_mainloop_start(mainloop_) < 0) return fail("no main loop thread", true);
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context_);
        if (state == PA_CONTEXT_READY) break;
        if (!PA_CONTEXT_IS_GOOD(state)) return fail("cannot reach the sound server", true);
        pa_threaded_mainloop_wait(mainloop_);
    }

    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.rate = std::uint32_t(sampleRate);
    sampleFormat.channels = std::uint8_t(channels);
    stream_ = pa_stream_new(context_, "APT", &sampleFormat, nullptr);
    if (stream_ == nullptr) return fail("cannot make a recording stream", true);
    pa_stream_set_state_callback(stream_, &PulseRecordStream::streamStateChanged, this);
    pa_stream_set_read_callback(stream_, &PulseRecordStream::streamReadable, this);
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(-1);
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = std::uint32_t(-1);
    attr.fragsize = std::uint32_t(pa_usec_to_bytes(kFragmentMicroseconds, &sampleFormat));
    if (pa_stream_connect_record(stream_, source.empty() ? nullptr : source.c_str(), &attr,
                                 PA_STREAM_ADJUST_LATENCY) < 0)
        return fail("cannot record from the source", true);
    for (;;) {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        if (state == PA_STREAM_READY) break;
        if (!PA_STREAM_IS_GOOD(state)) return fail("cannot record from the source", true);
        pa_threaded_mainloop_wait(mainloop_);
    }
    ready_ = true;
    pa_threaded_mainloop_unlock(mainloop_);
    return true;
}

void PulseRecordStream::close() {
    if (mainloop_ == nullptr) return;
    pa_threaded_mainloop_lock(mainloop_);
    if (stream_ != nullptr) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    if (context_ != nullptr) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    ready_ = false;
    pa_threaded_mainloop_unlock(mainloop_);
    pa_threaded_mainloop_stop(mainloop_);
    pa_threaded_mainloop_free(mainloop_);
    mainloop_ = nullptr;
}

void PulseRecordStream::contextStateChanged(pa_context* context, void* self) {
    auto* me = static_cast<PulseRecordStream*>(self);
    if (me->ready_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) me->reportLost();
    pa_threaded_mainloop_signal(me->mainloop_, 0);
}

void PulseRecordStream::streamStateChanged(pa_stream* stream, void* self) {
    auto* me = static_cast<PulseRecordStream*>(self);
    if (me->ready_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) me->reportLost();
    pa_threaded_mainloop_signal(me->mainloop_, 0);
}

void PulseRecordStream::streamReadable(pa_stream* stream, std::size_t, void* self) {
    auto* me = static_cast<PulseRecordStream*>(self);
    while (pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0) {
            me->reportLost();
            return;
        }
        if (bytes == 0) break;
        me->take(static_cast<const char*>(data), bytes);  // no data: a hole, taken as silence
        pa_stream_drop(stream);
    }
}

void PulseRecordStream::take(const char* data, std::size_t bytes) {
    while (bytes > 0) {
        const std::size_t n = std::min(bytes, block_.size() - filled_);
        if (data != nullptr) {
            std::memcpy(block_.data() + filled_, data, n);
            data += n;
        } else {
            std::memset(block_.data() + filled_, 0, n);
        }
        filled_ += n;
        bytes -= n;
        if (filled_ == block_.size()) {
            filled_ = 0;
            if (onBlock_) onBlock_(block_.data());
        }
    }
}

void PulseRecordStream::reportLost() {
    if (!lost_.exchange(true) && onLost_) onLost_();
}

}  // namespace sorae
