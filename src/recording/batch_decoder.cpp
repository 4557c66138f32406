#include "recording/batch_decoder.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace sorae {

namespace {

struct Event {
    enum class Kind { Started, Progress, Finished } kind;
    std::size_t file = 0;
    int percent = 0;
    std::optional<PassFileReport> report;
};

// Events from the workers, handed to the caller's thread in arrival order.
class EventQueue {
public:
    void post(Event event) {
        {
            std::lock_guard lock(mutex_);
            events_.push_back(std::move(event));
        }
        ready_.notify_one();
    }
    Event take() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return !events_.empty(); });
        Event event = std::move(events_.front());
        events_.pop_front();
        return event;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Event> events_;
};

PassFileReport runGuarded(const BatchJob& job, const std::string& path, LineStore& store,
                          const DecodeProgress& progress) {
    try {
        return job(path, store, progress);
    } catch (const std::exception& e) {
        PassFileReport failed;
        failed.path = path;
        failed.error = path + ": " + e.what();
        return failed;
    }
}

}  // namespace

std::vector<PassFileReport> RunBatch(const std::vector<std::string>& files, int jobs,
                                     const BatchJob& job, const BatchEvents& events) {
    std::vector<PassFileReport> reports(files.size());
    if (files.empty()) return reports;
    const std::size_t workers = std::clamp<std::size_t>(std::size_t(std::max(jobs, 1)), 1, files.size());

    EventQueue queue;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        std::unique_ptr<LineStore> store;
        try {
            store = std::make_unique<LineStore>();
        } catch (const std::bad_alloc&) {
            store.reset();
        }
        for (std::size_t i = next++; i < files.size(); i = next++) {
            queue.post({Event::Kind::Started, i, 0, std::nullopt});
            int shown = -1;
            const DecodeProgress progress = [&](long done, long expected) {
                if (expected <= 0) return;
                const int percent = int(std::min(100L, done * 100 / expected));
                if (percent == shown) return;
                shown = percent;
                queue.post({Event::Kind::Progress, i, percent, std::nullopt});
            };
            PassFileReport report;
            if (store) {
                report = runGuarded(job, files[i], *store, progress);
            } else {
                report.path = files[i];
                report.error = files[i] + ": not enough memory for a line store";
            }
            queue.post({Event::Kind::Finished, i, 100, std::move(report)});
        }
    };

    std::vector<std::thread> threads;
    threads.reserve(workers);
    for (std::size_t w = 0; w < workers; ++w) threads.emplace_back(work);

    for (std::size_t finished = 0; finished < files.size();) {
        Event event = queue.take();
        switch (event.kind) {
            case Event::Kind::Started:
                if (events.started) events.started(event.file);
                break;
            case Event::Kind::Progress:
                if (events.progress) events.progress(event.file, event.percent);
                break;
            case Event::Kind::Finished:
                reports[event.file] = std::move(*event.report);
                if (events.finished) events.finished(event.file, reports[event.file]);
                ++finished;
                break;
        }
    }
    for (std::thread& t : threads) t.join();
    return reports;
}

}  // namespace sorae
