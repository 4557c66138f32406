// Runs the reception scheduler inside the main window: it answers the
// scheduler's questions from the window's buttons, settings and reception
// state, keeps the pass table (computed on a worker thread, applied on the
// GUI thread), fetches the element file, switches the receiver and hands the
// map and the pictures to their owners. The scheduler is driven by every
// captured block and, while no block arrives, by a one-second timer.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

#include "orbit/pass_computation.h"
#include "orbit/reception_scheduler.h"

class QThread;

namespace sorae {

class ElementDownloader;
class MainWindow;
class MapController;
class PassReception;
class ReceiverController;

class SchedulerController : public QObject, public SchedulerHost {
    Q_OBJECT
public:
    // Asks a yes/no question without waiting for it: the answer arrives
    // through the callback (the default shows a question box with open()).
    using Question = std::function<void(const QString& text, std::function<void(bool yes)> answer)>;

    SchedulerController(MainWindow& window, PassReception& reception, ReceiverController& receiver,
                        MapController& map, QObject* parent = nullptr);
    ~SchedulerController() override;

    ReceptionScheduler& scheduler() { return scheduler_; }
    ElementDownloader& downloader() { return *downloader_; }
    void setQuestion(Question question) { question_ = std::move(question); }

    // The pass table as last computed and whether it may be used.
    const PassMemory& passMemory() const { return memory_; }
    bool passCalcBusy() const { return calcBusy_; }
    // Scheduler calls made by the one-second timer (none while blocks arrive).
    int timerTicks() const { return timerTicks_; }

    // DownloadElements: fetches Sat/Address into the element file; with
    // thenCompute the passes are computed once the transfer has ended. A
    // request made while a transfer runs joins it.
    void downloadElements(bool thenCompute);
    // While a recording is replayed the scheduler neither starts nor ends an
    // automatic pass (the replay owns the reception); with mapHeld it also
    // leaves the map to the replay, which draws its own pass.
    void setReplayRunning(bool running, bool mapHeld);
    // The orbit settings dialog closed with changed pass settings.
    void resetSkippedPassEnd();

    // --- SchedulerHost ---
    DayTime stationNow() override;
    bool passTableValid() override { return tableValid_; }
    const PassTable& passTable() override { return memory_.table; }
    bool autoReceptionOn() override;
    bool manualReceptionOn() override;
    bool orbitViewOn() override;
    bool autoCont() override;
    int radioType() override;
    bool receptionActive() override;
    void setReceptionActive(bool active) override;
    bool syncConfirmed() override;
    bool picturesBusy() override;
    void setCurrentPass(const PassInfo& slot0, const PassInfo& slot1, int direction) override;
    bool elementFileExists() override;
    bool askDownloadMissingElements() override;
    void downloadElementsThenComputePasses() override;
    void closeMainWindow() override;
    bool computePasses() override;
    void powerOn(int radioType) override;
    void powerOff(int radioType) override;
    void resetForNewPass() override;
    void buildPassPictures() override;
    void redrawMap(bool mapPassMode) override;
    void showPassPosition(const std::string& satellite) override;
    void showStatus(int panel, const std::string& text) override;

    // Puts the next-pass line of the last computation back on panel 1
    // (after the line of a pass under way).
    void restoreNextPassLine();

signals:
    // A pass computation has been applied (ok: the element file was read).
    void passesComputed(bool ok);
    void downloadFinished(bool ok);

private:
    struct Computation;
    void tickFromBlock();
    void tickFromTimer();
    void applyComputation(const std::shared_ptr<Computation>& job);
    void showNextPassLine();
    // The time left until the next pass (or its end), right in panel 0.
    void showCountdown();
    void actOnOldElements(const PassComputation& result, int startupCountdown);
    void autoReceptionToggled(bool down);

    MainWindow& window_;
    PassReception& reception_;
    ReceiverController& receiver_;
    MapController& map_;
    ReceptionScheduler scheduler_;
    ElementDownloader* downloader_;
    Question question_;

    PassMemory memory_;
    bool tableValid_ = false;
    bool calcBusy_ = false;
    bool computeAfterDownload_ = false;
    bool missingQuestionAsked_ = false;
    bool startupComputation_ = false;  // the next computation is the start-up's
    // The computation after a download that an old-elements decision
    // started: it must not start another one.
    bool oldElementsHandled_ = false;
    bool nextComputeHandlesOld_ = false;
    bool skipResetPending_ = false;
    bool replayRunning_ = false;
    bool mapHeldByReplay_ = false;
    QPointer<QThread> worker_;

    QTimer timer_;
    QElapsedTimer sinceBlockTick_;
    int timerTicks_ = 0;
    QString nextPassLine_;
    QString nextPassToolTip_;
    bool nextPassWarning_ = false;
};

}  // namespace sorae
