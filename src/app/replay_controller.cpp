#include "app/replay_controller.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPointer>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>

#include "app/main_window.h"
#include "app/map_controller.h"
#include "app/program_clock.h"
#include "app/reception_controller.h"
#include "app/reception_hooks.h"
#include "app/scheduler_controller.h"
#include "app/status_panels.h"
#include "capture/replay_progress.h"
#include "imaging/qt/image_display.h"
#include "orbit/element_choice.h"
#include "orbit/pass_heading.h"
#include "orbit/replay_pass_rule.h"
#include "orbit/reception_scheduler.h"
#include "recording/recording_decoder.h"
#include "recording/recording_start_time.h"

namespace sorae {

namespace {

constexpr int kProgressPanel = 0;
constexpr int kManualButton = 2;
constexpr int kAutoButton = 1;
constexpr int kOrbitButton = 6;

// Beep, then a box that leaves the window running.
void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
             std::function<void(bool yes)> answer) {
    QApplication::beep();
    auto* box = new QMessageBox(icon, QStringLiteral("SORAE-APT"), text, buttons, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (answer) {
        QObject::connect(box, &QMessageBox::finished, box, [box, answer = std::move(answer)](int) {
            answer(box->clickedButton() == box->button(QMessageBox::Yes));
        });
    }
    box->open();
}

}  // namespace

ReplayController::ReplayController(MainWindow& window, ReceptionController& reception,
                                   SchedulerController* scheduler, MapController* map)
    : QObject(&window), window_(window), reception_(reception), scheduler_(scheduler), map_(map) {
    setObjectName(QStringLiteral("ReplayController"));
    question_ = [this](const QString& text, std::function<void(bool)> answer) {
        showBox(&window_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, std::move(answer));
    };
    report_ = [this](const QString& text) { showBox(&window_, QMessageBox::Critical, text, QMessageBox::Ok, {}); };

    QStringList satellites;
    for (const std::string& name : window.state().satelliteNames) satellites << QString::fromStdString(name);
    dialog_ = new ReplayDialog(satellites, &window);
    connect(dialog_, &ReplayDialog::replayRequested, this, [this](const ReplayRequest& r) { start(r); });

    // The speed can be changed while the replay runs, beside its button.
    speedBox_ = new QComboBox(&window);
    speedBox_->setObjectName(QStringLiteral("ReplaySpeedBox"));
    for (const ReplaySpeedChoice& choice : kReplaySpeeds)
        speedBox_->addItem(QString::fromUtf8(choice.caption), int(choice.speed));
    if (auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("ToolBar1"))) toolbar->addWidget(speedBox_);
    connect(speedBox_, &QComboBox::currentIndexChanged, this,
            [this](int index) { setSpeed(ReplaySpeed(speedBox_->itemData(index).toInt())); });

    connect(window.speedButton(kButton), &QToolButton::clicked, this, &ReplayController::buttonClicked);
    connect(&window, &MainWindow::fileDropped, this, [this](const QString& path) {
        if (!running_) dialog_->ask(path, speed());
    });

    // The monitor follows a replay only at real speed.
    ReceptionHooks& hooks = window.receptionHooks();
    hooks.isMonitorOn = [previous = hooks.isMonitorOn, self = QPointer<ReplayController>(this)] {
        const bool on = previous && previous();
        return on && (!self || !self->running_ || self->pacer_.speed() == ReplaySpeed::Real);
    };

    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ReplayController::tick);
    clock_.start();
}

ReplayController::~ReplayController() {
    // The window is being torn down: nothing of it is touched any more.
    timer_.stop();
}

void ReplayController::buttonClicked() {
    if (running_) {
        stop();
        return;
    }
    // The button stays up until a replay really starts.
    {
        QSignalBlocker quiet(window_.speedButton(kButton));
        window_.speedButton(kButton)->setChecked(false);
    }
    dialog_->ask(QString(), speed());
}

void ReplayController::setSpeed(ReplaySpeed speed) {
    pacer_.setSpeed(speed, clock_.elapsed());
    {
        QSignalBlocker quiet(speedBox_);
        speedBox_->setCurrentIndex(speedBox_->findData(int(speed)));
    }
    if (running_) timer_.start(pacer_.tickMilliseconds());
}

double ReplayController::startTimeOf(const ReplayRequest& request, bool& known) const {
    known = request.startTime.has_value();
    if (known) return *request.startTime;
    // Else the time in the file name (taken as UT), else the file's
    // modification time less its length; only the first two place the map.
    const auto found = FindRecordingStartTime(request.path.toStdString(), lengthSeconds_);
    if (!found) return programStationNow().days;
    known = found->source == StartTimeSource::FileName;
    return found->stationDays;
}

bool ReplayController::start(const ReplayRequest& request) {
    if (running_) return false;
    if (window_.reception().receptionActive) {
        report_(QStringLiteral("受信中は録音再生できません"));
        return false;
    }
    QuadratureOptions iq;
    iq.carrierHz = request.iqCarrierHz;
    iq.swap = request.iqSwap;
    // The recording is decoded once first (a second or two): a sound card
    // that ran far off its rate would keep the sync from ever holding, so
    // it is played at its true rate; and a long lead of noise before the
    // pass, which would fill the store and cut the pass short, is passed
    // over.
    RecordingDecoder::Probe probe;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        auto scratch = std::make_unique<LineStore>();
        RecordingDecodeOptions options;
        options.path = request.path.toStdString();
        options.quadrature = request.quadrature;
        options.iqCarrierHz = request.iqCarrierHz;
        options.iqSwap = request.iqSwap;
        probe = RecordingDecoder(*scratch).probe(options);
        QApplication::restoreOverrideCursor();
    }
    if (!reader_.open(request.path.toStdString(),
                      request.quadrature ? RecordingKind::Quadrature : RecordingKind::Audio, iq,
                      probe.clockRatio.value_or(1.0))) {
        report_(explainRecordingError(QString::fromStdString(reader_.errorMessage())));
        return false;
    }
    lengthSeconds_ = reader_.sourceRate() > 0 ? double(reader_.sourceFrames()) / reader_.sourceRate() : 0.0;
    bool startKnown = false;
    startStation_ = startTimeOf(request, startKnown);
    // The same start as UTC with its source, for the line times.
    constexpr double kDayCountOf1970 = 25569.0;
    replayStart_ = request.startTime
                       ? std::optional<RecordingStart>(RecordingStart{
                             (*request.startTime - kDayCountOf1970 - 9.0 / 24.0) * 86400.0,
                             "replay dialog (station time)", false, StartRule::Given})
                       : FindRecordingStart(request.path.toStdString(), lengthSeconds_);

    PassInfo pass;
    pass.start = DayTime{startStation_};
    pass.end = DayTime{startStation_ + lengthSeconds_ / 86400.0};
    pass.timeOfMaximum = pass.start;  // the pictures are named from the start
    int direction = request.direction;
    if (request.directionFromOrbit) {
        const auto flown = directionFromOrbit(request.satellite.toStdString());
        if (!flown)
            window_.statusPanels().setPanelText(
                0, QStringLiteral("通過方向を軌道から決められないため %1 で再生します").arg(direction == 1 ? "S>N" : "N>S"));
        direction = flown.value_or(direction);
    }
    if (!request.satellite.isEmpty()) {
        pass.satellite = request.satellite.toStdString();
        pass.frequencyMHz = SatelliteFrequencyMHz(pass.satellite);
        pass.direction = static_cast<unsigned char>(direction);
    }

    // The sound card's blocks give way; the handler takes the file's format.
    BlockHandler& handler = window_.blockHandler();
    window_.setLiveBlocksHeld(true);
    savedSignalType_ = handler.signalType();
    savedWarmUp_ = handler.warmUpCounter();
    // A recording comes at any level: it is scaled as `decode` scales it.
    savedAutoLevel_ = handler.autoLevel();
    handler.setAutoLevel(true);
    handler.setSignalType(request.quadrature ? 1 : 0);
    handler.setWarmUpCounter(BlockHandler::kWarmUpLimit + 1);  // a file needs no warm-up
    window_.demodulator().clearQuadratureLowPass();
    demodulator_ = std::make_unique<Demodulator>();
    pipeline_ = std::make_unique<DemodulationPipeline>(reader_, *demodulator_, handler.gainLinear());
    fed_ = 0;
    if (probe.leadBlocks > 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        while (fed_ < probe.leadBlocks && pipeline_->next() != nullptr) ++fed_;
        QApplication::restoreOverrideCursor();
    }

    // A known satellite at a known time: the pass's highest elevation over
    // the station, for the current-pass line and the pictures' titles.
    if (map_ != nullptr && startKnown && !pass.satellite.empty()) {
        if (const auto highest = map_->maximumElevation(pass.satellite, pass.start, pass.end))
            pass.maximumElevationDeg = *highest;
    }
    reception_.startReplayPass(pass, direction, startStation_);
    drawsMap_ = false;
    if (map_ != nullptr && startKnown && !pass.satellite.empty()) {
        map_->setReplayTime(pass.start);
        drawsMap_ = map_->showPassPosition(pass.satellite);
        if (!drawsMap_) map_->setReplayTime(std::nullopt);
    }
    if (scheduler_ != nullptr) scheduler_->setReplayRunning(true, drawsMap_);
    window_.speedButton(kManualButton)->setEnabled(false);
    {
        QSignalBlocker quiet(window_.speedButton(kButton));
        window_.speedButton(kButton)->setChecked(true);
    }

    running_ = true;
    askedPassStart_.reset();
    sinceMapDrawn_.invalidate();
    setSpeed(request.speed);
    timer_.start(pacer_.tickMilliseconds());
    showProgress();
    drawMap(true);
    return true;
}

void ReplayController::stop() { finish(QString()); }

std::optional<int> ReplayController::directionFromOrbit(const std::string& satellite) const {
    if (!replayStart_ || satellite.empty()) return std::nullopt;
    const double first = replayStart_->unixSeconds, last = first + lengthSeconds_;
    const ElementChoice choice =
        ChooseElementSetFromFile(window_.state().paths.elementFile, satellite, 0.5 * (first + last));
    if (!choice.usable()) return std::nullopt;
    const auto heading = HeadingOverTime(*choice.propagator, first, last);
    if (!heading) return std::nullopt;
    return *heading == PassHeading::Northbound ? 1 : 0;
}

double ReplayController::positionSeconds() const {
    return reader_.outputRate() > 0 ? double(fed_) * reader_.framesPerBlock() / reader_.outputRate() : 0.0;
}

void ReplayController::showProgress() {
    window_.statusPanels().setPanelText(
        kProgressPanel, QString::fromStdString(ReplayProgressText(positionSeconds(), lengthSeconds_)));
}

void ReplayController::tick() {
    if (!running_) return;
    const int due = pacer_.blocksDue(clock_.elapsed());
    QElapsedTimer slice;
    slice.start();
    int fedNow = 0;
    // Several blocks in one tick: the screen is composed once after them.
    reception_.setLiveViewBatched(due > 1);
    while (fedNow < due) {
        if (!feedOne()) return;  // the replay is over
        ++fedNow;
        if (pacer_.speed() == ReplaySpeed::Fastest && slice.elapsed() >= kFastestSliceMilliseconds) break;
    }
    reception_.setLiveViewBatched(false);
    pacer_.blocksFed(fedNow);
    if (fedNow == 0) return;
    if (due > 1) reception_.display().composeScreen();
    showProgress();
    settlePassDue();
    drawMap(false);
}

bool ReplayController::feedOne() {
    const DemodulatedBlock* block = pipeline_->next();
    if (block == nullptr) {
        finish(pipeline_->error() == RecordingError::None ? QString()
                                                          : QString::fromStdString(pipeline_->errorMessage()));
        return false;
    }
    ReceptionHooks& hooks = window_.receptionHooks();
    hooks.setDemodulatedBlock(block);
    if (replayStart_) reception_.setReplayBlockTime(positionSeconds(), *replayStart_);
    window_.blockHandler().handleBlock(block->frames.data(), reader_.framesPerBlock());
    hooks.setDemodulatedBlock(nullptr);
    ++fed_;
    // A full line store has ended the pass (and built its pictures).
    if (!window_.reception().receptionActive) {
        finish(QString());
        return false;
    }
    return true;
}

void ReplayController::finish(const QString& failure) {
    if (!running_) return;
    running_ = false;
    reception_.setLiveViewBatched(false);
    timer_.stop();
    pipeline_.reset();  // its threads end before the reader closes
    demodulator_.reset();
    reader_.close();

    // The replay's progress goes; the pass's pictures (built now, or when
    // the full store ended it) say on panel 0 what became of them.
    if (!reception_.replayPassActive()) window_.statusPanels().setPanelText(kProgressPanel, QString());
    // The last block fed left "SCAN" (and "SYNC") up; nothing follows to clear them.
    window_.statusPanels().setPanelText(BlockHandler::kScanPanel, QString());
    window_.statusPanels().setPanelText(BlockHandler::kSyncPanel, QString());
    reception_.endReplayPass();
    if (map_ != nullptr) map_->setReplayTime(std::nullopt);
    if (scheduler_ != nullptr) scheduler_->setReplayRunning(false, false);

    BlockHandler& handler = window_.blockHandler();
    handler.setSignalType(savedSignalType_);
    handler.setWarmUpCounter(savedWarmUp_);
    handler.setAutoLevel(savedAutoLevel_);
    window_.demodulator().clearQuadratureLowPass();
    window_.setLiveBlocksHeld(false);
    window_.speedButton(kManualButton)->setEnabled(true);
    {
        QSignalBlocker quiet(window_.speedButton(kButton));
        window_.speedButton(kButton)->setChecked(false);
    }
    if (!failure.isEmpty()) report_(failure);
    emit finished();
}

void ReplayController::settlePassDue() {
    if (!running_ || scheduler_ == nullptr) return;
    ReplayPassSituation s;
    s.passTableValid = scheduler_->passTableValid();
    s.next = scheduler_->passMemory().table[0];
    s.now = programStationNow();
    s.autoReceptionOn = window_.speedButton(kAutoButton)->isChecked();
    s.askedAboutThisPass = askedPassStart_ && *askedPassStart_ == s.next.start.days;
    switch (DecideReplayPass(s)) {
        case ReplayPassAction::None:
            break;
        case ReplayPassAction::Yield:
            stop();
            window_.statusPanels().setPanelText(kProgressPanel, QStringLiteral("自動受信のため録音再生を止めました"));
            break;
        case ReplayPassAction::Ask: {
            askedPassStart_ = s.next.start.days;
            const QString text = QStringLiteral("%1 の通過が始まりました。録音再生を止めて受信しますか？")
                                     .arg(QString::fromStdString(s.next.satellite));
            question_(text, [self = QPointer<ReplayController>(this)](bool yes) {
                if (!self || !yes) return;
                self->stop();
                self->window_.speedButton(kAutoButton)->setChecked(true);
            });
            break;
        }
    }
}

void ReplayController::drawMap(bool force) {
    if (!running_ || !drawsMap_) return;
    if (!force && sinceMapDrawn_.isValid() && sinceMapDrawn_.elapsed() < 500) return;
    sinceMapDrawn_.start();
    map_->setReplayTime(DayTime{startStation_ + positionSeconds() / 86400.0});
    if (window_.speedButton(kOrbitButton)->isChecked())
        map_->redraw(true);
    else
        map_->showPassPosition(reception_.currentPass().satellite);
}

}  // namespace sorae
