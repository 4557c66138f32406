// The reception of a pass in the main window: owns the line store and the
// line decoder, decodes each captured block while ReceptionActive, draws the
// live views, keeps the status panels of the shown channel, ends the pass
// when the store is full, builds, shows and saves the pictures at the end,
// and runs the manual-reception button (SpeedButton2) with its direction
// dialog (TForm6). It also keeps the pass's raw sound as a FLAC file beside
// the pictures (see ReceptionAudioRecorder), and creates the dialogs that belong
// to the pictures: the past-image browser (TForm2) and the image settings
// (TForm5).
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/pass_reception.h"
#include "apt/decode_hooks.h"
#include "apt/block_timeline.h"
#include "apt/line_decoder.h"
#include "recording/recording_start_time.h"
#include "apt/line_store.h"
#include "capture/qt/capture_messages.h"
#include "calibration/pass_calibration.h"
#include "imaging/pass_pictures.h"

namespace sorae {

class ImageSettingsDialog;
class MainWindow;
class ManualReceptionDialog;
class ReceptionAudioRecorder;
class PastImageBrowser;

class ReceptionController : public QObject, public PassReception, private DecodeHooks {
    Q_OBJECT
public:
    // Installs the decode hook, puts its image display in the window's image
    // area and runs the first pass reset. A child of the window.
    explicit ReceptionController(MainWindow& window);
    ~ReceptionController() override;

    // --- PassReception ---
    void resetForNewPass() override;
    void buildPassPictures() override;
    bool syncConfirmed() const override;
    void setCurrentPass(const PassInfo& slot0, const PassInfo& slot1) override;
    const PassInfo& currentPass() const override { return currentPass_[0]; }
    ImageDisplay& display() override { return *display_; }

    // A recording replayed through the window: received like a manual pass
    // in `direction`, titled with `pass` when its satellite is known (an
    // empty satellite makes it a manual reception), the pictures named from
    // stampTime (station time, day count); it keeps no sound file, the
    // recording being there already.
    void startReplayPass(const PassInfo& pass, int direction, double stampTime);
    // The replay ended or was stopped: the pictures of what was received
    // (nothing more when the full store has ended the pass already).
    void endReplayPass();
    // The program ends: a pass being received ends as a manual reception
    // ends, with its pictures and its sound saved.
    void endForShutdown();
    bool replayPassActive() const { return replayStamp_.has_value(); }
    // The replay's next block begins `seconds` after the recording's first
    // sample, whose time and source are `start`; live blocks are timed by
    // the clock instead.
    void setReplayBlockTime(double seconds, const RecordingStart& start);
    // UTC of the pass's first sample and how it is known (the capture
    // clock, or the replayed recording's start); nothing before the first
    // decoded block. The store's line times count from it.
    std::optional<RecordingStart> passStart() const;
    // While set, decoded lines go into the live views without composing the
    // screen each time; the caller composes once after a batch of blocks.
    void setLiveViewBatched(bool batched) { liveViewBatched_ = batched; }

    // ReceptionActive, with the display's scroll lock following it. The
    // scheduler starts and ends automatic passes through this.
    void setReceptionActive(bool active);

    // The dialogs, created in the program's form order (TForm2, TForm5, TForm6).
    PastImageBrowser* createPastImageBrowser();
    ImageSettingsDialog* createImageSettingsDialog();
    ManualReceptionDialog* createManualReceptionDialog();

    // How failures are told to the user: a beep and a message box that does
    // not wait (default).
    void setFailureReporter(FailureReporter reporter) { report_ = std::move(reporter); }
    // Seconds since 1970 (UTC); the manual stamp is this time in station time.
    void setClock(std::function<std::int64_t()> unixSeconds) { clock_ = std::move(unixSeconds); }

    LineStore& lineStore() { return *store_; }
    const LineDecoder& decoder() const { return decoder_; }
    const PassPictureResult& lastPictures() const { return lastPictures_; }
    const PassCalibration* lastCalibration() const { return lastCalibration_.get(); }
    class ProductView* productView() const { return productView_; }
    // What panel 0 was told about the pictures of the last pass.
    const QString& lastOutcome() const { return lastOutcome_; }
    // UTC of the pass's first sound block (nothing before the first block).
    std::optional<double> passStartUnix() const {
        const std::optional<RecordingStart> start = passStart();
        return start ? std::optional<double>(start->unixSeconds) : std::nullopt;
    }
    // The pass audio file kept at the end of the last pass ("" when none).
    const std::string& lastAudioFile() const { return lastAudioFile_; }

signals:
    // After BuildPassPictures has shown (and saved) the pictures.
    void picturesBuilt();

private:
    // DecodeHooks
    void sensorStatusChanged(const std::string& panel5Text) override;
    void liveLine(const double* channelA, const double* channelB, int direction) override;
    void composeScreen(bool showChannelB) override;
    void storeFull() override;

    void decodeCapturedBlock(const double* envelope, int samples);
    void manualButtonToggled(bool down);
    void directionChosen(int choice);
    void showChannelPanels();
    void setPanel(int panel, const QString& text);
    void finishPassAudio(const std::string& stem);
    // The GeoTIFFs of the pass when the picture settings ask for them; what
    // became of them in a line for the status bar.
    std::string writeGeoProducts(const PassPictureInputs& in);
    std::string passStem() const;
    double stationNowDays() const;

    MainWindow& window_;
    std::unique_ptr<LineStore> store_;
    LineDecoder decoder_;
    ImageDisplay* display_ = nullptr;
    PastImageBrowser* browser_ = nullptr;
    ManualReceptionDialog* directionDialog_ = nullptr;
    std::unique_ptr<ReceptionAudioRecorder> audio_;
    std::array<PassInfo, 2> currentPass_{};
    PassPictureResult lastPictures_;
    // the last pass's calibration, and the product choice and pointer value
    std::shared_ptr<const PassCalibration> lastCalibration_;
    class ProductView* productView_ = nullptr;
    std::string lastAudioFile_;
    FailureReporter report_;
    std::function<std::int64_t()> clock_;
    std::optional<double> replayStamp_;  // the stamp of a replayed recording
    BlockTimeline timeline_;             // live blocks' times
    std::optional<double> replayBlockSeconds_;
    std::optional<RecordingStart> replayStart_;
    QString lastOutcome_;
    QString audioError_;         // why the last pass's sound was not kept
    int blocksSinceLock_ = 1 << 20;  // decoded blocks since the sync was last confirmed
    bool audioPending_ = true;   // the next decoded block is the pass's first
    bool audioCut_ = false;      // the input format changed: the file ends early
    bool manualPass_ = false;    // the pass was started with SpeedButton2
    bool liveViewBatched_ = false;
    bool awaitingDirection_ = false;
};

}  // namespace sorae
