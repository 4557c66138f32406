// A recording stream straight from the PulseAudio server, on the client
// library's own thread. Every stream gets a connection of its own, so a
// server that was restarted is reached again simply by opening anew (Qt
// Multimedia 6.4 keeps one connection per process and never makes a new one
// once the server went away).
//
// Bytes arrive in whatever pieces the server sends; they are cut into whole
// blocks of the size asked for and handed to the block sink on the library's
// thread. When the server goes away or the source is removed, the lost sink
// is called once, on that thread too.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace sorae {

class PulseRecordStream {
public:
    using BlockSink = std::function<void(const char* block)>;
    using LostSink = std::function<void()>;

    PulseRecordStream() = default;
    ~PulseRecordStream();
    PulseRecordStream(const PulseRecordStream&) = delete;
    PulseRecordStream& operator=(const PulseRecordStream&) = delete;

    // Records 16-bit samples from the source with this server name (empty:
    // the server's default source) and hands out blocks of blockBytes.
    // False, with the server's reason in `error`, when the server cannot be
    // reached or the source is not there.
    bool open(const std::string& source, int sampleRate, int channels, int blockBytes, BlockSink onBlock,
              LostSink onLost, std::string* error);
    // Stops recording and leaves the server; safe to call at any time.
    void close();
    bool isOpen() const { return mainloop_ != nullptr; }

private:
    static void contextStateChanged(pa_context* context, void* self);
    static void streamStateChanged(pa_stream* stream, void* self);
    static void streamReadable(pa_stream* stream, std::size_t bytes, void* self);
    void take(const char* data, std::size_t bytes);
    void reportLost();

    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    BlockSink onBlock_;
    LostSink onLost_;
    std::vector<char> block_;
    std::size_t filled_ = 0;
    bool ready_ = false;           // the stream has recorded; a failure now is a loss
    std::atomic<bool> lost_{false};
};

}  // namespace sorae
