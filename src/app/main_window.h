// The main window (TForm1): the hub of the program. It brings the parts up
// in order (settings, filters, bitmaps, map, then the sound devices), holds
// the toolbar and the status bar, feeds captured blocks to the block handler
// and shuts everything down in order. It lays out and wires; the work is
// done by the engine classes it owns.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/main_window_state.h"
#include "app/reception_state.h"
#include "capture/block_handler.h"
#include "capture/demodulator.h"
#include "capture/qt/capture_messages.h"
#include "settings/app_settings.h"

class QDialog;
class QToolButton;

namespace sorae {

class MonitorOutput;
class ReceptionHooks;
class SoundCapture;
class StatusPanels;

struct MainWindowOptions {
    std::string programFolder;              // see program_folder.h
    bool openSoundDevices = true;           // false: start without capture or monitor
    FailureReporter reportFailure = showFailureBox;  // beep + modal box
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The client area the window is laid out for, and the least size of the
    // whole window with its frame (also the stored default, Form/MainWidth
    // and Form/MainHeight, which hold the framed size).
    static constexpr int kClientWidth = 1046;
    static constexpr int kClientHeight = 689;
    static constexpr int kMinimumWidth = 1062;
    static constexpr int kMinimumHeight = 726;
    static constexpr int kIcPcrVolumeMax = 127;

    explicit MainWindow(const MainWindowOptions& options, QWidget* parent = nullptr);
    ~MainWindow() override;

    AppSettings& settings() { return settings_; }
    MainWindowState& state() { return state_; }
    ReceptionState& reception() { return reception_; }
    BlockHandler& blockHandler() { return *blockHandler_; }
    Demodulator& demodulator() { return demodulator_; }
    ReceptionHooks& receptionHooks() { return *hooks_; }
    StatusPanels& statusPanels() { return *status_; }
    SoundCapture& soundCapture() { return *capture_; }
    MonitorOutput& monitorOutput() { return *monitor_; }

    // SpeedButton<number>; nullptr for a number without a button.
    QToolButton* speedButton(int number) const;
    // The image area below the toolbar (Image2). A later part may put its
    // own widget there; it takes the objectName Image2.
    QWidget* imageArea() const { return imageArea_; }
    void setImageArea(QWidget* widget);

    // ApplySignalGain, OpenPlayback, OpenCapture, CloseCapture, ClosePlayback.
    void applySignalGain();
    bool openPlayback();
    bool openCapture();
    bool closeCapture();
    void closePlayback();

    // After the input dialog closed with another device (its id, empty for
    // the default source; nothing = keep) or signal type (0..2): the monitor
    // is released, both devices closed and, half a second later, opened
    // again with the warm-up restarted.
    void reconfigureSoundDevices(const std::optional<QByteArray>& deviceId, int chosenType);
    // The same with the device of a row of today's list (-1 = keep).
    void reconfigureSoundDevices(int row, int chosenType);

    // Wave/AutoLevel: stores the choice and tells autoLevelChanged.
    void setAutoLevel(bool on);
    bool reconfigurationPending() const { return reconfiguring_; }

    // Switches the receiver of the configured model off; installed by the
    // receiver control, run first at shutdown.
    std::function<void()> powerOffReceiver;
    // Ends a pass being received as its button would, pictures built and
    // saved; installed by the pass reception, run at shutdown before the
    // settings are saved, so that closing (or a termination request)
    // mid-pass loses nothing.
    std::function<void()> endReceptionForShutdown;

    // While held, blocks from the sound card are dropped before the block
    // handler: a recording being replayed feeds it instead.
    void setLiveBlocksHeld(bool held) { liveBlocksHeld_ = held; }
    bool liveBlocksHeld() const { return liveBlocksHeld_; }

    // Runs the shutdown sequence once: receiver off, settings saved, capture
    // and playback closed. Called when the window closes or is destroyed.
    void shutdown();

    // What the frame adds to the client area: the window manager's frame
    // once it is known, until then the frame the sizes were designed with
    // (so that the default window has the designed client area).
    QSize frameExtras() const;

signals:
    // A local file was dropped onto the window (a recording to replay).
    void fileDropped(const QString& path);
    // The automatic level of live reception was switched (Wave/AutoLevel).
    void autoLevelChanged(bool on);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildToolbar();
    void applyStoredGeometry();
    // Client size and least size for storedFrame_ with the frame as known.
    void fitToFrame();
    void showForm(const char* objectName, bool modeless);
    void monitorClicked();

    MainWindowOptions options_;
    AppSettings settings_;
    MainWindowState state_;
    ReceptionState reception_;
    Demodulator demodulator_;
    std::unique_ptr<ReceptionHooks> hooks_;
    std::unique_ptr<BlockHandler> blockHandler_;
    SoundCapture* capture_ = nullptr;
    MonitorOutput* monitor_ = nullptr;
    StatusPanels* status_ = nullptr;
    QWidget* imageArea_ = nullptr;
    std::array<QToolButton*, 14> buttons_{};
    QSize storedFrame_;
    bool frameKnown_ = false;
    bool normalSizePending_ = false;
    bool shutDown_ = false;
    bool reconfiguring_ = false;
    bool liveBlocksHeld_ = false;
};

}  // namespace sorae
