// Replays a recording in the main window: the "録音再生" button (and a file
// dropped onto the window) opens the replay dialog; the chosen recording is
// then read block by block and fed, by a timer on the GUI thread, to the
// same block handler the sound card feeds, at the chosen speed. So the
// status texts, the live view, the monitor (at real speed) and, at the end,
// the pictures are those of a live pass; the map shows the replayed pass at
// its own time when its satellite, start time and elements are known. A
// pass of the table that comes due meanwhile is settled by the replay-pass
// rule: the replay yields, or the user is asked.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/replay_dialog.h"
#include "capture/qt/capture_messages.h"
#include "recording/recording_start_time.h"
#include "capture/recording_reader.h"
#include "capture/replay_pacing.h"
#include "orbit/day_time.h"
#include "recording/demodulation_pipeline.h"

class QComboBox;

namespace sorae {

class MainWindow;
class MapController;
class ReceptionController;
class SchedulerController;

class ReplayController : public QObject {
    Q_OBJECT
public:
    static constexpr int kButton = 12;
    // Time a tick at the fastest speed may take before the window gets its turn.
    static constexpr int kFastestSliceMilliseconds = 40;

    // Asks yes/no without waiting; the answer comes through the callback.
    using Question = std::function<void(const QString& text, std::function<void(bool yes)> answer)>;

    // scheduler and map may be null (then no pass can collide, no map is drawn).
    ReplayController(MainWindow& window, ReceptionController& reception, SchedulerController* scheduler,
                     MapController* map);
    ~ReplayController() override;

    ReplayDialog& dialog() { return *dialog_; }
    void setQuestion(Question question) { question_ = std::move(question); }
    void setFailureReporter(FailureReporter reporter) { report_ = std::move(reporter); }

    // Starts the replay; false (and the user told why) when it cannot.
    bool start(const ReplayRequest& request);
    // Stops it: the pictures are built from what was received.
    void stop();
    bool running() const { return running_; }
    void setSpeed(ReplaySpeed speed);
    ReplaySpeed speed() const { return pacer_.speed(); }

    // Blocks fed so far and the recording's length in seconds.
    long long blocksFed() const { return fed_; }
    double lengthSeconds() const { return lengthSeconds_; }

signals:
    // The replay is over and its pictures are built (or none were due).
    void finished();

private:
    void buttonClicked();
    void tick();
    bool feedOne();
    void finish(const QString& failure);
    void settlePassDue();
    void showProgress();
    void drawMap(bool force);
    double positionSeconds() const;
    double startTimeOf(const ReplayRequest& request, bool& known) const;
    // 1 (S>N) or 0 (N>S) as the satellite flew over the recording, when its
    // start and an element set are known and it does not go over a pole.
    std::optional<int> directionFromOrbit(const std::string& satellite) const;

    MainWindow& window_;
    ReceptionController& reception_;
    std::optional<RecordingStart> replayStart_;  // UTC of the recording's first sample
    SchedulerController* scheduler_;
    MapController* map_;
    ReplayDialog* dialog_ = nullptr;
    QComboBox* speedBox_ = nullptr;
    Question question_;
    FailureReporter report_;

    RecordingReader reader_;
    // Reads and demodulates the recording ahead on threads of its own, with
    // a demodulator of the replay's own.
    std::unique_ptr<Demodulator> demodulator_;
    std::unique_ptr<DemodulationPipeline> pipeline_;
    ReplayPacer pacer_;
    QTimer timer_;
    QElapsedTimer clock_;
    QElapsedTimer sinceMapDrawn_;
    bool running_ = false;
    bool drawsMap_ = false;
    long long fed_ = 0;
    double lengthSeconds_ = 0.0;
    double startStation_ = 0.0;  // day count, station time
    int savedSignalType_ = 0;
    int savedWarmUp_ = 0;
    bool savedAutoLevel_ = false;
    std::optional<double> askedPassStart_;  // the pass the user was asked about
};

}  // namespace sorae
