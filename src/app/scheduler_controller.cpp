#include "app/scheduler_controller.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QToolButton>
#include <filesystem>

#include "app/main_window.h"
#include "app/map_controller.h"
#include "app/pass_reception.h"
#include "app/program_clock.h"
#include "app/reception_hooks.h"
#include "app/message_panel.h"
#include "app/status_panels.h"
#include "orbit/pass_countdown.h"
#include "imaging/qt/image_display.h"
#include "orbit/qt/element_downloader.h"
#include "receiver/qt/receiver_controller.h"

namespace sorae {

namespace {

// The default question: beep, then a yes/no box that does not hold up the
// window; the answer comes when the box closes.
void askWithBox(QWidget* parent, const QString& text, std::function<void(bool)> answer) {
    QApplication::beep();
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("SORAE-APT"), text,
                                QMessageBox::Yes | QMessageBox::No, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, answer = std::move(answer)](int) {
        answer(box->clickedButton() == box->button(QMessageBox::Yes));
    });
    box->open();
}

}  // namespace

// One pass computation: its input, the memory it works on (a copy) and its
// result, handed from the worker back to the GUI thread.
struct SchedulerController::Computation {
    PassRequest request;
    PassMemory memory;
    PassComputation result;
    int startupCountdown = 0;
};

SchedulerController::SchedulerController(MainWindow& window, PassReception& reception,
                                         ReceiverController& receiver, MapController& map,
                                         QObject* parent)
    : QObject(parent),
      window_(window),
      reception_(reception),
      receiver_(receiver),
      map_(map),
      scheduler_(*this),
      downloader_(new ElementDownloader(this)) {
    question_ = [this](const QString& text, std::function<void(bool)> answer) {
        askWithBox(&window_, text, std::move(answer));
    };
    connect(downloader_, &ElementDownloader::statusText, this,
            [this](const QString& text) { window_.statusPanels().setPanelText(0, text); });
    connect(downloader_, &ElementDownloader::finished, this, [this](bool ok) {
        const bool compute = computeAfterDownload_;
        computeAfterDownload_ = false;
        emit downloadFinished(ok);
        if (compute) computePasses();
    });

    // The receiver is tuned to the pass it is switched on for.
    receiver_.setFrequencySource([this] { return memory_.table[0].frequencyMHz; });

    map_.setPassSource([this](MapTrackContext& c) {
        c.passCalcBusy = calcBusy_;
        c.matchingSatelliteCount = memory_.satelliteCount;
        c.nextPass = memory_.table[0];
    });

    // The hook outlives this object when the window is torn down.
    window_.receptionHooks().onSchedulerTick = [self = QPointer<SchedulerController>(this)] {
        if (self) self->tickFromBlock();
    };
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &SchedulerController::tickFromTimer);
    timer_.start();

    connect(window_.speedButton(1), &QToolButton::toggled, this, &SchedulerController::autoReceptionToggled);
}

SchedulerController::~SchedulerController() {
    // The window may be half gone here: touch nothing of it.
    timer_.stop();
    // A computation still running finishes into a result nobody applies.
    if (worker_ != nullptr) {
        worker_->wait();
        delete worker_.data();
    }
}

void SchedulerController::tickFromBlock() {
    sinceBlockTick_.start();
    scheduler_.tick();
}

void SchedulerController::tickFromTimer() {
    // While blocks arrive they drive the scheduler; the timer fills in only
    // when none came for a second (no capture, or a stalled one).
    if (sinceBlockTick_.isValid() && sinceBlockTick_.elapsed() < 1000) return;
    ++timerTicks_;
    scheduler_.tick();
}

void SchedulerController::autoReceptionToggled(bool down) {
    if (down) {
        QToolButton* manual = window_.speedButton(2);
        if (manual != nullptr && manual->isChecked()) manual->click();
    } else if (!replayRunning_) {
        scheduler_.autoReceptionReleased();
    }
}

void SchedulerController::setReplayRunning(bool running, bool mapHeld) {
    replayRunning_ = running;
    mapHeldByReplay_ = running && mapHeld;
}

// --- the element file ---

void SchedulerController::downloadElements(bool thenCompute) {
    if (thenCompute) computeAfterDownload_ = true;
    if (downloader_->busy()) return;
    downloader_->setReceptionList(window_.state().receptionList);
    downloader_->start(QString::fromStdString(window_.settings().address),
                       QString::fromStdString(window_.state().paths.elementFile));
}

bool SchedulerController::elementFileExists() {
    std::error_code error;
    return std::filesystem::is_regular_file(window_.state().paths.elementFile, error);
}

bool SchedulerController::askDownloadMissingElements() {
    // The scheduler goes on at once and calls downloadElementsThenComputePasses
    // next; the answer decides later (or at once): "Yes" fetches the file and
    // computes the passes, "No" ends the program.
    missingQuestionAsked_ = true;
    question_(QString::fromUtf8(ReceptionScheduler::kMissingElementsQuestion), [this](bool yes) {
        if (yes) {
            // The passes computed after this download are still the
            // start-up's: old elements there lead to the question.
            startupComputation_ = true;
            downloadElements(true);
        } else {
            closeMainWindow();
        }
    });
    return true;
}

void SchedulerController::downloadElementsThenComputePasses() {
    // After the question its answer acts, not this call.
    if (missingQuestionAsked_) {
        missingQuestionAsked_ = false;
        return;
    }
    downloadElements(true);
}

void SchedulerController::closeMainWindow() { window_.close(); }

// --- the pass table ---

void SchedulerController::resetSkippedPassEnd() {
    memory_.skippedPassEnd = kNoSkippedPass;
    if (calcBusy_) skipResetPending_ = true;
}

bool SchedulerController::computePasses() {
    if (calcBusy_ || receptionActive()) return false;
    // Settings changed together with the address: the passes come from the
    // file being fetched, once it is there.
    if (downloader_->busy()) {
        computeAfterDownload_ = true;
        return true;
    }
    calcBusy_ = true;
    tableValid_ = false;

    const AppSettings& s = window_.settings();
    auto job = std::make_shared<Computation>();
    job->request.elementFilePath = window_.state().paths.elementFile;
    job->request.receptionList = window_.state().receptionList;
    job->request.settings.minElevDeg = s.minElev;
    job->request.settings.maxElevDeg = s.maxElev;
    job->request.settings.sortElev = s.sortElev;
    job->request.settings.sortNext = s.sortNext;
    job->request.settings.updateDays = s.updateDay;
    job->request.settings.stationLatDeg = s.locateN;
    job->request.settings.stationLonDeg = s.locateE;
    job->request.now = programUtcNow();
    job->request.globeCentreLongitudeDeg = map_.globeCentreLongitude();
    // Each satellite's progress text reaches panel 1 through the event
    // loop, before the result does.
    job->request.progress = [self = QPointer<SchedulerController>(this)](const std::string& text) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, text = QString::fromStdString(text)] {
                if (self && self->calcBusy_) self->window_.statusPanels().setPanelText(1, text);
            },
            Qt::QueuedConnection);
    };
    job->memory = memory_;
    job->startupCountdown = startupComputation_ ? -1 : scheduler_.startupCountdown();
    startupComputation_ = false;

    window_.statusPanels().setPanelWarning(1, false);
    window_.statusPanels().setPanelText(1, QString::fromUtf8(kComputingPassesText) + QStringLiteral("0%"));
    QThread* worker = QThread::create([job] { job->result = ComputePasses(job->request, job->memory); });
    worker_ = worker;
    connect(worker, &QThread::finished, this, [this, job, worker] {
        worker->deleteLater();
        applyComputation(job);
    });
    worker->start();
    return true;
}

void SchedulerController::applyComputation(const std::shared_ptr<Computation>& job) {
    calcBusy_ = false;
    const PassComputation& result = job->result;
    StatusPanels& panels = window_.statusPanels();
    if (!result.ok || result.satelliteCount == 0) {
        // The table keeps what it had and stays unusable; the computing
        // text gives way to the reason.
        panels.setPanelWarning(1, true);
        panels.setPanelText(1, QString::fromUtf8(result.ok ? kNoSelectedElementsText : kElementsUnreadableText));
        emit passesComputed(false);
        return;
    }
    memory_ = job->memory;
    if (skipResetPending_) {
        memory_.skippedPassEnd = kNoSkippedPass;
        skipResetPending_ = false;
    }
    const int limit = window_.settings().updateDay;
    // The age in short beside the next-pass line (red past the limit), in
    // full when the pointer rests on the panel.
    QString text = QString::fromStdString(result.nextPassText);
    QString ageInFull;
    if (result.elementAgeDays) {
        text += QStringLiteral("  ") + QString::fromStdString(ElementAgeShortText(*result.elementAgeDays));
        ageInFull = QString::fromStdString(ElementAgeText(*result.elementAgeDays, limit));
    }
    nextPassWarning_ = result.elementAgeDays && ElementAgeOverLimit(*result.elementAgeDays, limit);
    nextPassLine_ = text;
    nextPassToolTip_ = ageInFull;
    showNextPassLine();
    tableValid_ = true;
    actOnOldElements(result, job->startupCountdown);
    if (result.globeRedrawNeeded) map_.drawBaseMap();
    emit passesComputed(true);
}

void SchedulerController::showNextPassLine() {
    StatusPanels& panels = window_.statusPanels();
    panels.setPanelWarning(1, nextPassWarning_);
    panels.setPanelText(1, nextPassLine_);
    panels.panel(1)->setToolTip(nextPassToolTip_);
}

void SchedulerController::showCountdown() {
    const PassInfo& next = memory_.table[0];
    QString note;
    if (tableValid_ && !next.satellite.empty()) {
        const std::string left = PassCountdownText(stationNow(), next.start, next.end);
        if (!left.empty()) note = QString::fromStdString(next.satellite + " " + left);
    }
    window_.statusPanels().messages()->setNote(note);
}

void SchedulerController::restoreNextPassLine() {
    if (tableValid_) showNextPassLine();
    else window_.statusPanels().setPanelText(1, QString());
}

void SchedulerController::actOnOldElements(const PassComputation& result, int startupCountdown) {
    const bool followsDecision = nextComputeHandlesOld_;
    nextComputeHandlesOld_ = false;
    if (!result.elementsOld) return;
    const QString notNew = QString::fromUtf8(kElementsNotNewText);
    // A download that an earlier decision started has been made: its
    // computation only reports, so that old elements on the server do not
    // start one download after another.
    if (followsDecision) {
        window_.statusPanels().setPanelText(0, notNew);
        return;
    }
    switch (DecideOldElements(true, startupCountdown == -1 ? -1 : -2,
                              window_.settings().autoUpdate)) {
        case OldElementsAction::AskToDownload:
            question_(QString::fromUtf8(kAskDownloadText), [this, notNew](bool yes) {
                if (yes) {
                    nextComputeHandlesOld_ = true;
                    downloadElements(true);
                } else {
                    window_.statusPanels().setPanelText(0, notNew);
                }
            });
            break;
        case OldElementsAction::DownloadAndRecompute:
            nextComputeHandlesOld_ = true;
            downloadElements(true);
            break;
        case OldElementsAction::ShowNotNew:
            window_.statusPanels().setPanelText(0, notNew);
            break;
        case OldElementsAction::None:
            break;
    }
}

// --- what the scheduler reads ---

DayTime SchedulerController::stationNow() { return programStationNow(); }

bool SchedulerController::autoReceptionOn() { return !replayRunning_ && window_.speedButton(1)->isChecked(); }
bool SchedulerController::manualReceptionOn() { return window_.speedButton(2)->isChecked(); }
bool SchedulerController::orbitViewOn() { return window_.speedButton(6)->isChecked(); }
bool SchedulerController::autoCont() { return window_.settings().autoCont; }
int SchedulerController::radioType() { return window_.settings().type; }
bool SchedulerController::receptionActive() { return window_.reception().receptionActive; }

void SchedulerController::setReceptionActive(bool active) {
    window_.reception().receptionActive = active;
    reception_.display().setReceptionActive(active);
}

bool SchedulerController::syncConfirmed() { return reception_.syncConfirmed(); }
bool SchedulerController::picturesBusy() { return window_.reception().picturesBusy; }

void SchedulerController::setCurrentPass(const PassInfo& slot0, const PassInfo& slot1, int direction) {
    window_.reception().currentPassDirection = direction;
    reception_.display().setPassDirection(direction);
    reception_.setCurrentPass(slot0, slot1);
}

// --- what the scheduler does ---

void SchedulerController::powerOn(int) { receiver_.powerOn(); }
void SchedulerController::powerOff(int radioType) { receiver_.powerOffModel(radioType); }
void SchedulerController::resetForNewPass() { reception_.resetForNewPass(); }
void SchedulerController::buildPassPictures() { reception_.buildPassPictures(); }
void SchedulerController::redrawMap(bool mapPassMode) {
    if (!mapHeldByReplay_) map_.redraw(mapPassMode);
}

void SchedulerController::showPassPosition(const std::string& satellite) {
    if (!mapHeldByReplay_) map_.showPassPosition(satellite);
}

void SchedulerController::showStatus(int panel, const std::string& text) {
    window_.statusPanels().setPanelText(panel, QString::fromStdString(text));
    // With the clock, the count to the next pass at the end of panel 0.
    if (panel == 6) showCountdown();
}

}  // namespace sorae
