#include "app/reception_controller.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSignalBlocker>
#include <QToolButton>

#include "app/decoded_pass_overlay.h"
#include "app/main_window.h"
#include "app/pass_products_step.h"
#include "app/product_view.h"
#include "app/program_clock.h"
#include "app/reception_audio_recorder.h"
#include "app/reception_hooks.h"
#include "app/status_panels.h"
#include "capture/block_handler.h"
#include "calibration/qt/thermal_legend.h"
#include "geo/pass_products.h"
#include "geo/qt/kml_overlay.h"
#include "imaging/pass_outcome.h"
#include "imaging/picture_naming.h"
#include "settings/satellite_offsets.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/image_settings_dialog.h"
#include "imaging/qt/past_image_browser.h"
#include "imaging/qt/picture_image.h"
#include "orbit/qt/manual_reception_dialog.h"
#include "orbit/reception_scheduler.h"
#include "recording/recording_decoder.h"
#include "recording/recording_gaps.h"

#include <chrono>
#include <cmath>

namespace sorae {

namespace {

// Now as UTC seconds with their fraction, shifted as the program's clock is
// (a clock held at a fixed second by a test driver is taken as it is).
double captureClockUnixSeconds() {
    using namespace std::chrono;
    const double system =
        double(duration_cast<microseconds>(system_clock::now().time_since_epoch()).count()) / 1e6 +
        double(clockOffsetSeconds());
    const auto program = double(programUnixSeconds());
    return std::fabs(system - program) < 2.0 ? system : program;
}

}  // namespace


namespace {

constexpr int kProgressPanel = 0;
constexpr int kChannelPanel = 4;
constexpr int kSensorPanel = 5;
constexpr int kOrbitViewButton = 6;

// Beep, then an error box that leaves the window running.
void showFailureWithoutWaiting(QWidget* parent, const QString& message) {
    QApplication::beep();
    auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("SORAE-APT"), message,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace

ReceptionController::ReceptionController(MainWindow& window)
    : QObject(&window),
      window_(window),
      store_(std::make_unique<LineStore>()),
      decoder_(*store_),
      audio_(std::make_unique<ReceptionAudioRecorder>()) {
    setObjectName(QStringLiteral("ReceptionController"));
    report_ = [this](const QString& message) { showFailureWithoutWaiting(&window_, message); };
    clock_ = [] { return QDateTime::currentSecsSinceEpoch(); };

    display_ = new ImageDisplay(&window);
    window.setImageArea(display_);
    productView_ = new ProductView(window.statusPanels(), *display_, this);
    display_->setStretch(window.speedButton(9)->isChecked());
    display_->setShowChannelB(window.reception().showChannelB);
    connect(display_, &ImageDisplay::channelShown, this, [this](bool showB) {
        window_.reception().showChannelB = showB;
        showChannelPanels();
    });

    connect(window.speedButton(9), &QToolButton::toggled, this,
            [this](bool down) { display_->setStretch(down); });
    connect(window.speedButton(2), &QToolButton::toggled, this,
            &ReceptionController::manualButtonToggled);

    window.receptionHooks().onDecodeBlock = [self = QPointer<ReceptionController>(this)](
                                                 const double* envelope, int samples) {
        if (self) self->decodeCapturedBlock(envelope, samples);
    };
    // The level follows the spaces beside the pictures once the lines are
    // found, and a few blocks without confirmation (noise, a drop-out) do not
    // lose them.
    window.receptionHooks().onLineStart = [self = QPointer<ReceptionController>(this)]() {
        constexpr int kRecentBlocks = 8;
        if (!self || self->blocksSinceLock_ > kRecentBlocks) return -1;
        return self->decoder_.lineOffset();
    };

    resetForNewPass();
}

ReceptionController::~ReceptionController() {
    // The window's own parts are gone by now; only the pass audio is settled,
    // under the name its pictures would have had.
    if (audio_->active()) audio_->finish(passStem());
}

// --- dialogs ---

PastImageBrowser* ReceptionController::createPastImageBrowser() {
    // The calendar opens at the station's today, the day the file stamps of
    // today's passes carry, whatever zone the computer is set to.
    const DayTimeFields now = DecodeDayTime(programStationNow());
    browser_ = new PastImageBrowser(QString::fromStdString(window_.state().paths.picturesFolder),
                                    display_, &window_, QDate(now.year, now.month, now.day));
    PastImageBrowser::Hooks hooks;
    hooks.receptionActive = [this] { return window_.reception().receptionActive; };
    hooks.resetForNewPass = [this] {
        resetForNewPass();
        window_.speedButton(6)->setChecked(false);
    };
    hooks.setStatusText = [this](const QString& text) { setPanel(kProgressPanel, text); };
    hooks.showError = [this](const QString& message) { report_(message); };
    hooks.focusMainWindow = [this] { window_.activateWindow(); };
    browser_->setHooks(std::move(hooks));
    return browser_;
}

ImageSettingsDialog* ReceptionController::createImageSettingsDialog() {
    return new ImageSettingsDialog(window_.settings(), &window_);
}

ManualReceptionDialog* ReceptionController::createManualReceptionDialog() {
    directionDialog_ = new ManualReceptionDialog(&window_);
    connect(directionDialog_, &ManualReceptionDialog::directionChosen, this,
            &ReceptionController::directionChosen);
    return directionDialog_;
}

// --- state ---

void ReceptionController::setReceptionActive(bool active) {
    window_.reception().receptionActive = active;
    display_->setReceptionActive(active);
    // The block handler empties them with the next block, but none may come
    // (the recording device stopped): the pass is over now.
    if (!active) {
        setPanel(BlockHandler::kScanPanel, QString());
        setPanel(BlockHandler::kSyncPanel, QString());
    }
}

bool ReceptionController::syncConfirmed() const { return store_->firstSyncLine != kNoSyncLine; }

void ReceptionController::setCurrentPass(const PassInfo& slot0, const PassInfo& slot1) {
    currentPass_[0] = slot0;
    currentPass_[1] = slot1;
}

void ReceptionController::setPanel(int panel, const QString& text) {
    window_.statusPanels().setPanelText(panel, text);
}

void ReceptionController::showChannelPanels() {
    setPanel(kChannelPanel, display_->channelCaption());
    setPanel(kSensorPanel, display_->sensorCaption());
}

double ReceptionController::stationNowDays() const { return StationTimeFromUnixSeconds(clock_()).days; }

// The stamp and satellite part the pictures of this pass are named with.
std::string ReceptionController::passStem() const {
    const bool manual = manualPass_;
    const double stampTime =
        replayStamp_ ? *replayStamp_ : manual ? stationNowDays() : currentPass_[0].timeOfMaximum.days;
    return FormatFileStamp(CivilMinuteFromDayCount(stampTime)) +
           SatellitePart(currentPass_[0].satellite, manual);
}

// --- the pass ---

void ReceptionController::resetForNewPass() {
    // A pass that ended without pictures may have left its sound open.
    if (audio_->active()) finishPassAudio(passStem());

    ReceptionState& state = window_.reception();
    state.picturesBusy = false;
    audioPending_ = true;
    audioCut_ = false;
    blocksSinceLock_ = 1 << 20;
    manualPass_ = false;
    replayStamp_.reset();
    replayStart_.reset();
    replayBlockSeconds_.reset();
    timeline_.reset();
    decoder_.resetForNewPass();
    productView_->clear();
    lastCalibration_.reset();
    setReceptionActive(false);
    display_->setPassDirection(state.currentPassDirection);
    display_->resetForNewPass();
    display_->setShowChannelB(state.showChannelB);
    if (!display_->orbitViewShown()) display_->composeScreen();
    showChannelPanels();
}

void ReceptionController::decodeCapturedBlock(const double* envelope, int /*samples*/) {
    ReceptionState& state = window_.reception();
    display_->setReceptionActive(true);

    BlockHandler& handler = window_.blockHandler();
    const CaptureFormat format = handler.format();
    // When the block began: a replay says where in its recording; live
    // blocks are counted on the capture clock. The quadrature stage's
    // filters delay the envelope a little more than audio's.
    double blockSeconds = 0.0;
    if (replayBlockSeconds_) {
        blockSeconds = *replayBlockSeconds_;
        replayBlockSeconds_.reset();
    } else {
        blockSeconds = timeline_.next(captureClockUnixSeconds());
    }
    if (format.sampleRate != 48000) blockSeconds -= RecordingDecoder::kQuadratureLagSeconds;

    // The block being decoded also goes into the pass's sound file, which
    // notes when its first sample was taken.
    if (audioPending_) {
        // Only a whole pass is recorded: the file starts with its first block.
        audioPending_ = false;
        if (window_.settings().saveAudio &&
            !audio_->start(window_.state().paths.picturesFolder, format.sampleRate, passStem(),
                           FormatIsoUtc(timeline_.startUnixSeconds()))) {
            setPanel(kProgressPanel, QString::fromStdString(audio_->errorMessage()));
        }
    }
    if (audio_->active()) {
        if (audio_->sampleRate() != format.sampleRate) {
            // The input was switched to another signal type mid-pass; the
            // file keeps what came in the first format, and says so once.
            if (!audioCut_) {
                audioCut_ = true;
                setPanel(kProgressPanel, QStringLiteral("入力形式が変わったため受信音声の保存を止めました"));
            }
        } else if (!audio_->append(handler.captureChannel(0), handler.captureChannel(1),
                                   format.framesPerBlock)) {
            setPanel(kProgressPanel, QString::fromStdString(audio_->errorMessage()));
        }
    }

    DecodeContext context;
    context.passDirection = state.currentPassDirection;
    context.showChannelB = display_->showChannelB();
    const DecodeResult result = decoder_.decodeBlock(envelope, context, this, blockSeconds);
    state.syncLocked = result.syncLocked;
    blocksSinceLock_ = result.syncLocked ? 0 : blocksSinceLock_ + 1;
}

void ReceptionController::sensorStatusChanged(const std::string& panel5Text) {
    const Telemetry& t = decoder_.telemetry();
    display_->setSensorNames(QString::fromStdString(t.sensorNameA),
                             QString::fromStdString(t.sensorNameB));
    setPanel(kSensorPanel, QString::fromStdString(panel5Text));
}

void ReceptionController::liveLine(const double* channelA, const double* channelB, int direction) {
    if (liveViewBatched_)
        display_->drawLiveLine(channelA, channelB, direction);
    else
        display_->appendLiveLine(channelA, channelB, direction);
}

void ReceptionController::composeScreen(bool /*showChannelB*/) {
    // appendLiveLine has composed the screen with the shown channel already.
}

void ReceptionController::storeFull() {
    // The 2400th line: the pass ends here, manual or automatic.
    setReceptionActive(false);
    buildPassPictures();
    {
        QSignalBlocker quiet(window_.speedButton(2));
        window_.speedButton(2)->setChecked(false);
    }
    window_.reception().manualReception = false;
}

void ReceptionController::buildPassPictures() {
    ReceptionState& state = window_.reception();
    state.picturesBusy = true;
    display_->setReceptionActive(state.receptionActive);

    const Telemetry& t = decoder_.telemetry();
    const PassInfo& pass = currentPass_[0];
    PassPictureInputs in;
    in.store = store_.get();
    in.direction = state.currentPassDirection;
    in.rules = PictureRulesFrom(window_.settings());
    in.sensorNameA = t.sensorNameA;
    in.sensorNameB = t.sensorNameB;
    in.calibrationGain = t.calibrationGain;
    in.calibrationOffset = t.calibrationOffset;
    in.pass.satelliteName = pass.satellite;
    in.pass.frequencyMHz = pass.frequencyMHz;
    in.pass.direction = pass.direction;
    in.pass.maxElevationDeg = pass.maximumElevationDeg;
    in.pass.maxElevationTime = pass.timeOfMaximum.days;
    in.manual = state.manualReception;
    in.processingTime = replayStamp_.value_or(stationNowDays());
    in.picsFolder = window_.state().paths.picturesFolder;

    // Progress is drawn at once; events are not processed in between, so
    // no button or block can re-enter the building.
    QLabel* progressLabel = window_.statusPanels().panel(kProgressPanel);
    auto progress = [this, progressLabel](const std::string& text) {
        setPanel(kProgressPanel, QString::fromStdString(text));
        if (progressLabel != nullptr && progressLabel->isVisible()) progressLabel->repaint();
    };
    lastPictures_ = BuildPassPictures(in, progress, MakeTitleDrawer());
    ShowBuiltPictures(*display_, lastPictures_);
    const std::string geoNote = writeGeoProducts(in);

    // Temperatures for the pointer and the products the settings ask for,
    // written beside the pictures.
    QString productErrors;
    if (lastPictures_.built) {
        const AppSettings& settings = window_.settings();
        PassProductsInput products;
        products.store = store_.get();
        products.firstLine = lastPictures_.firstLine;
        products.rows = lastPictures_.rows;
        products.direction = in.direction;
        products.satellite = in.manual ? std::string() : pass.satellite;
        products.picturesSaved = lastPictures_.filesWritten;
        products.sensorNames = {t.sensorNameA, t.sensorNameB};
        products.passTime = in.pass.maxElevationTime;
        products.kinds = ProductsChosen(settings);
        products.automaticLevel = settings.autoLevel;
        PassProductsOutcome outcome = MakePassProducts(products, MakeThermalDecorator());
        for (const std::string& e : outcome.report.errors) productErrors += "\n" + QString::fromStdString(e);
        lastCalibration_ = std::make_shared<const PassCalibration>(std::move(outcome.calibration));
        productView_->setPass(lastCalibration_, display_->picture(0), display_->picture(1));
    }

    // The sound keeps the pictures' name, also when they were too short to
    // be saved, or when the pass never synchronised.
    const CivilMinute stampTime =
        CivilMinuteFromDayCount(in.manual ? in.processingTime : in.pass.maxElevationTime);
    finishPassAudio(lastPictures_.fileStamp.empty()
                        ? FormatFileStamp(stampTime) + SatellitePart(pass.satellite, in.manual)
                        : lastPictures_.fileStamp + lastPictures_.satellitePart);

    if (lastPictures_.refreshBrowser && browser_ != nullptr) browser_->RefreshList();
    // What became of the pass stays on panel 0 until something else is said.
    lastOutcome_ = QString::fromStdString(PassOutcomeText(lastPictures_, in.rules));
    setPanel(kProgressPanel, lastOutcome_);
    // The pictures just saved are put in front of the map.
    if (!lastPictures_.filesWritten.empty() && window_.speedButton(kOrbitViewButton)->isChecked())
        window_.speedButton(kOrbitViewButton)->setChecked(false);
    if (!lastPictures_.errors.empty()) {
        QString message = QStringLiteral("画像ファイルを保存できません");
        for (const std::string& e : lastPictures_.errors) message += "\n" + QString::fromStdString(e);
        report_(message);
    }
    if (!productErrors.isEmpty()) report_(QStringLiteral("温度・カラー画像を保存できません") + productErrors);
    if (!geoNote.empty()) {
        lastOutcome_ += QStringLiteral(" / ") + QString::fromStdString(geoNote);
        setPanel(kProgressPanel, lastOutcome_);
    }
    if (!audioError_.isEmpty()) setPanel(kProgressPanel, audioError_ + QStringLiteral(" / ") + lastOutcome_);
    state.picturesBusy = false;
    emit picturesBuilt();
}

std::string ReceptionController::writeGeoProducts(const PassPictureInputs& in) {
    if (!window_.settings().saveGeoTiff || in.manual || lastPictures_.filesWritten.empty()) return {};
    const std::optional<RecordingStart> start = passStart();
    std::optional<double> startUnix;
    if (start) startUnix = start->unixSeconds;
    PassGeoRequest request;
    request.satellite = in.pass.satelliteName;
    request.startUnixSeconds = startUnix;
    request.startApproximate = start && start->approximate;  // a replay timed by its file's date
    request.firstLine = lastPictures_.firstLine;
    request.rows = lastPictures_.rows;
    request.turned = in.direction == 1;
    // Sound lost on the way (a replayed recording with a gap, or samples
    // the capture dropped within a block) moves the sync off the beat; the
    // lines after it are timed with the loss added. Whole blocks lost by
    // the capture are on the capture clock already.
    std::vector<RecordingGap> gaps;
    if (startUnix) {
        gaps = FindRecordingGaps(*store_);
        request.rowUnixSeconds.resize(std::size_t(std::max(0, lastPictures_.rows)));
        for (int r = 0; r < lastPictures_.rows; ++r) {
            const int line = lastPictures_.firstLine + (request.turned ? lastPictures_.rows - 1 - r : r);
            request.rowUnixSeconds[r] = *startUnix + store_->lineSeconds(line) + SecondsLostBefore(gaps, line);
        }
    }
    // the satellite's clock and attitude corrections from the settings file
    const SatelliteOffsets o = OffsetsForSatellite(window_.settings().georeferenceOffsets, in.pass.satelliteName);
    request.offsets = GeoreferenceOffsets{o.timeSeconds, o.rollDeg, o.pitchDeg, o.yawDeg};
    request.elementFile = window_.state().paths.elementFile;
    request.worldOutlineFile = window_.state().paths.worldMapFile;
    // the pictures without the title over their top rows
    std::optional<std::array<PictureBuffer, 2>> untitled;
    if (lastPictures_.titled) untitled = UntitledPictures(*store_, lastPictures_, in.direction);
    request.pictures = untitled ? std::array<const PictureBuffer*, 2>{&(*untitled)[0], &(*untitled)[1]}
                                : std::array<const PictureBuffer*, 2>{&lastPictures_.pictureA, &lastPictures_.pictureB};
    request.jpegFiles = ChannelJpegFiles(lastPictures_.filesWritten);
    const PassGeoResult result = WritePassGeoProducts(request);
    std::string note;
    std::vector<std::string> messages;
    const std::string lost = RecordingGapsText(gaps);
    for (std::size_t from = 0, to; from < lost.size(); from = to + 1) {
        to = std::min(lost.find('\n', from), lost.size());
        messages.push_back(lost.substr(from, to - from));
    }
    messages.insert(messages.end(), result.messages.begin(), result.messages.end());
    for (const std::string& m : messages) note += (note.empty() ? "" : "; ") + m;
    std::string error;
    if (result.overlay.width > 0 &&
        !WriteKmlOverlay(result.overlayStem + ".kml",
                         result.overlayStem.substr(result.overlayStem.find_last_of('/') + 1),
                         result.overlay, &error))
        note += (note.empty() ? "" : "; ") + error;
    return note;
}

void ReceptionController::finishPassAudio(const std::string& stem) {
    audioError_.clear();
    lastAudioFile_.clear();
    const ReceptionAudioRecorder::Finish done = audio_->finish(stem);
    if (!done.ok) audioError_ = QString::fromStdString(audio_->errorMessage());
    if (done.ok) lastAudioFile_ = done.path;
    // A recording cut short for want of space says so after the pass too.
    if (done.ok && !done.note.empty()) audioError_ = QString::fromStdString(done.note);
}

// --- a replayed recording ---

void ReceptionController::setReplayBlockTime(double seconds, const RecordingStart& start) {
    replayBlockSeconds_ = seconds;
    replayStart_ = start;
}

std::optional<RecordingStart> ReceptionController::passStart() const {
    if (replayStart_) return replayStart_;
    if (std::isnan(timeline_.startUnixSeconds())) return std::nullopt;
    return RecordingStart{timeline_.startUnixSeconds(), "capture clock", false, StartRule::Clock};
}

void ReceptionController::startReplayPass(const PassInfo& pass, int direction, double stampTime) {
    ReceptionState& state = window_.reception();
    state.currentPassDirection = direction;
    setCurrentPass(pass, PassInfo{});
    resetForNewPass();
    replayStamp_ = stampTime;
    audioPending_ = false;
    manualPass_ = pass.satellite.empty();
    state.manualReception = manualPass_;
    setReceptionActive(true);
}

void ReceptionController::endReplayPass() {
    if (!replayStamp_) return;
    ReceptionState& state = window_.reception();
    if (state.receptionActive) {
        setReceptionActive(false);
        buildPassPictures();
    }
    state.manualReception = false;
    replayStamp_.reset();
}

void ReceptionController::endForShutdown() {
    ReceptionState& state = window_.reception();
    if (replayStamp_) {
        endReplayPass();
        return;
    }
    if (!state.receptionActive || state.picturesBusy) return;
    setReceptionActive(false);
    buildPassPictures();
    state.manualReception = false;
}

// --- manual reception (SpeedButton2) ---

void ReceptionController::manualButtonToggled(bool down) {
    ReceptionState& state = window_.reception();
    if (down) {
        // An automatic reception is stopped by its own button's handler.
        if (window_.speedButton(1)->isChecked()) window_.speedButton(1)->setChecked(false);
        if (directionDialog_ == nullptr) {
            directionChosen(ManualReceptionDialog::kNorthToSouth);
            return;
        }
        awaitingDirection_ = true;
        directionDialog_->askDirection();
        return;
    }
    if (awaitingDirection_) return;
    setReceptionActive(false);
    buildPassPictures();
    state.manualReception = false;
}

void ReceptionController::directionChosen(int choice) {
    if (!awaitingDirection_ && directionDialog_ != nullptr) return;
    awaitingDirection_ = false;
    QToolButton* button = window_.speedButton(2);
    if (choice != ManualReceptionDialog::kNorthToSouth && choice != ManualReceptionDialog::kSouthToNorth) {
        QSignalBlocker quiet(button);
        button->setChecked(false);
        return;
    }
    if (!button->isChecked()) return;  // released meanwhile
    ReceptionState& state = window_.reception();
    state.currentPassDirection = choice;
    resetForNewPass();
    setReceptionActive(true);
    state.manualReception = true;
    manualPass_ = true;
}

}  // namespace sorae
