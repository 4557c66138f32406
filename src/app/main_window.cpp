#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/quit_on_signal.h"
#include "app/reception_hooks.h"
#include "app/status_panels.h"
#include "capture/qt/monitor_output.h"
#include "capture/qt/recording_devices.h"
#include "capture/qt/sound_capture.h"
#include "settings/settings_file.h"
#include "settings/window_fit.h"

namespace sorae {

namespace {

struct ButtonSpec {
    int number;
    const char* caption;
    bool toggle;
};

// Left to right.
constexpr ButtonSpec kButtons[] = {
    {1, "自動受信", true},   // automatic reception
    {2, "手動受信", true},   // manual reception
    {6, "衛星軌道", true},   // satellite orbit (map) view
    {9, "画面伸張", true},   // stretch picture
    {5, "過去画像", false},  // past images
    {4, "入力設定", false},  // input settings
    {10, "軌道設定", false}, // orbit settings
    {11, "制御設定", false}, // control settings
    {3, "画像設定", false},  // image settings
    {7, "モニター", true},   // monitor
    {12, "録音再生", true},  // replay a recording
    {13, "通過一覧", false}, // every coming pass
};

}  // namespace

MainWindow::MainWindow(const MainWindowOptions& options, QWidget* parent)
    : QMainWindow(parent), options_(options) {
    // The form itself.
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("SORAE-APT"));
    buildToolbar();
    imageArea_ = new QWidget(this);
    imageArea_->setObjectName(QStringLiteral("Image2"));
    imageArea_->setAutoFillBackground(true);
    imageArea_->setPalette(QPalette(Qt::black));
    setCentralWidget(imageArea_);
    status_ = new StatusPanels(this);
    setStatusBar(status_);
    storedFrame_ = QSize(kMinimumWidth, kMinimumHeight);
    fitToFrame();

    capture_ = new SoundCapture(this);
    monitor_ = new MonitorOutput(this);
    capture_->setFailureReporter(options_.reportFailure);
    monitor_->setFailureReporter(options_.reportFailure);

    // WarmUpCounter starts at 32 in the handler: the first block is skipped.
    // The demodulator's filter coefficients are set when it is constructed.
    hooks_ = std::make_unique<ReceptionHooks>(reception_, demodulator_, *monitor_, *status_);
    blockHandler_ = std::make_unique<BlockHandler>(*hooks_);
    hooks_->isMonitorOn = [this] { return speedButton(7)->isChecked(); };
    hooks_->isInputDialogShowing = [this] {
        auto* dialog = findChild<QDialog*>(QStringLiteral("TForm9"), Qt::FindDirectChildrenOnly);
        return dialog != nullptr && dialog->isVisible();
    };
    // The sound server went away or the device was unplugged: say so rather
    // than fall silent; the capture opens it again by itself and that is
    // told too. Without blocks nothing is being scanned.
    connect(capture_, &SoundCapture::deviceLost, this, [this] {
        status_->setPanelText(0, captureStoppedMessage());
        status_->setPanelText(BlockHandler::kScanPanel, QString());
        status_->setPanelText(BlockHandler::kSyncPanel, QString());
    });
    connect(capture_, &SoundCapture::deviceRestored, this,
            [this] { status_->setPanelText(0, captureRestoredMessage()); });
    capture_->setBlockCallback([this](const std::int16_t* frames, int count) {
        if (!liveBlocksHeld_) blockHandler_->handleBlock(frames, count);
    });

    state_.paths = programPathsFor(options_.programFolder);

    settings_ = loadSettingsFile(state_.paths.settingsFile);
    settings_.volPcr = std::clamp(settings_.volPcr, 0, kIcPcrVolumeMax);
    speedButton(1)->setChecked(settings_.autoScan);
    speedButton(9)->setChecked(settings_.picStretch);
    blockHandler_->setSignalType(settings_.demodType ? 1 : 0);
    blockHandler_->setSignalGain(settings_.signalGain);
    blockHandler_->setAutoLevel(settings_.autoLevel);

    state_.rebuildReceptionList(settings_);
    reception_.receptionActive = false;

    status_->setPanelText(0, QString());

    applySignalGain();
    if (options_.openSoundDevices) {
        openPlayback();
        openCapture();
    }

    applyStoredGeometry();
    setAcceptDrops(true);
}

MainWindow::~MainWindow() { shutdown(); }

void MainWindow::buildToolbar() {
    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("ToolBar1"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, toolbar);
    for (const auto& entry : kButtons) {
        auto* button = new QToolButton(toolbar);
        button->setObjectName(QStringLiteral("SpeedButton%1").arg(entry.number));
        button->setText(QString::fromUtf8(entry.caption));
        button->setCheckable(entry.toggle);
        button->setFixedSize(80, 22);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        toolbar->addWidget(button);
        buttons_[std::size_t(entry.number)] = button;
    }
    speedButton(6)->setChecked(true);

    connect(speedButton(1), &QToolButton::toggled, this, [this](bool down) { settings_.autoScan = down; });
    connect(speedButton(9), &QToolButton::toggled, this, [this](bool down) { settings_.picStretch = down; });
    connect(speedButton(7), &QToolButton::clicked, this, &MainWindow::monitorClicked);
    connect(speedButton(5), &QToolButton::clicked, this, [this] { showForm("TForm2", true); });
    connect(speedButton(4), &QToolButton::clicked, this, [this] { showForm("TForm9", true); });
    connect(speedButton(10), &QToolButton::clicked, this, [this] { showForm("TForm3", false); });
    connect(speedButton(11), &QToolButton::clicked, this, [this] { showForm("TForm4", false); });
    connect(speedButton(3), &QToolButton::clicked, this, [this] { showForm("TForm5", true); });
    connect(speedButton(13), &QToolButton::clicked, this, [this] { showForm("TForm11", true); });
}

QToolButton* MainWindow::speedButton(int number) const {
    if (number < 0 || number >= int(buttons_.size())) return nullptr;
    return buttons_[std::size_t(number)];
}

void MainWindow::setImageArea(QWidget* widget) {
    widget->setObjectName(QStringLiteral("Image2"));
    setCentralWidget(widget);  // deletes the previous one
    imageArea_ = widget;
}

void MainWindow::applyStoredGeometry() {
    // The stored geometry is brought onto the screens first; the fitted one
    // is also what a maximised window saves back.
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect r = screen->availableGeometry();
        screens.push_back(ScreenArea{r.x(), r.y(), r.width(), r.height()});
    }
    const WindowPlacement fitted = fitWindowToScreens(
        WindowPlacement{settings_.mainTop, settings_.mainLeft, settings_.mainWidth, settings_.mainHeight, false},
        screens, kMinimumWidth, kMinimumHeight);
    settings_.mainTop = fitted.top;
    settings_.mainLeft = fitted.left;
    settings_.mainWidth = fitted.width;
    settings_.mainHeight = fitted.height;
    move(settings_.mainLeft, settings_.mainTop);
    storedFrame_ = QSize(settings_.mainWidth, settings_.mainHeight);
    fitToFrame();
    setWindowState(settings_.mainMaximised ? Qt::WindowMaximized : Qt::WindowNoState);
}

QSize MainWindow::frameExtras() const {
    if (frameKnown_) return frameGeometry().size() - size();
    return QSize(kMinimumWidth - kClientWidth, kMinimumHeight - kClientHeight);
}

void MainWindow::fitToFrame() {
    const QSize extras = frameExtras();
    // The least framed size, but never less room than the designed client
    // area where the window manager's frame is thinner than designed for.
    setMinimumSize(std::min(kClientWidth, kMinimumWidth - extras.width()),
                   std::min(kClientHeight, kMinimumHeight - extras.height()));
    if (isMaximized() || isFullScreen()) {
        normalSizePending_ = true;  // for when the window is restored
    } else {
        resize(storedFrame_ - extras);
    }
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // The window manager tells its frame only once the window is up; the
    // stored size is the framed one, so the client area follows it once.
    if (!frameKnown_ && isVisible() && frameGeometry().size() != size() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        frameKnown_ = true;
        fitToFrame();
    }
    if (event->type() == QEvent::WindowStateChange && normalSizePending_ && !isMaximized() && !isFullScreen()) {
        normalSizePending_ = false;
        resize(storedFrame_ - frameExtras());
    }
    return handled;
}

void MainWindow::showForm(const char* objectName, bool modeless) {
    auto* dialog = findChild<QDialog*>(QString::fromLatin1(objectName), Qt::FindDirectChildrenOnly);
    if (dialog == nullptr) return;
    if (modeless) {
        dialog->show();
        dialog->raise();
    } else {
        dialog->open();
    }
}

void MainWindow::monitorClicked() {
    // Every switch, on or off, queues half a second of silence.
    monitor_->playSilence();
}

void MainWindow::reconfigureSoundDevices(int row, int chosenType) {
    if (row < 0) {
        reconfigureSoundDevices(std::nullopt, chosenType);
        return;
    }
    settings_.input = row;
    settings_.inputName = row == 0 ? std::string() : recordingDeviceForRow(row).id().toStdString();
    reconfigureSoundDevices(std::nullopt, chosenType);
}

void MainWindow::reconfigureSoundDevices(const std::optional<QByteArray>& deviceId, int chosenType) {
    auto* notice = findChild<QDialog*>(QStringLiteral("TForm10"), Qt::FindDirectChildrenOnly);
    if (notice != nullptr) {
        if (auto* dialog = findChild<QDialog*>(QStringLiteral("TForm9"), Qt::FindDirectChildrenOnly)) {
            const QRect d = dialog->geometry();
            notice->move(d.x() + (d.width() - notice->width()) / 2, d.y() + (d.height() - notice->height()) / 2);
        }
        notice->show();
        notice->repaint();
    }
    // "24kHz IF" is taken in the same way as I/Q and stored as 1.
    blockHandler_->setSignalType(chosenType != 0 ? 1 : 0);
    settings_.demodType = chosenType != 0;
    speedButton(7)->setChecked(false);
    closePlayback();
    closeCapture();
    if (deviceId) {
        settings_.inputName = deviceId->toStdString();
        settings_.input = std::max(recordingRowOf(*deviceId), 0);
    }
    reconfiguring_ = true;
    // The devices get half a second to settle; the window keeps running.
    QTimer::singleShot(500, this, [this, notice] {
        if (shutDown_) return;
        openPlayback();
        openCapture();
        if (notice != nullptr) notice->close();
        blockHandler_->setWarmUpCounter(0);
        reconfiguring_ = false;
    });
}

void MainWindow::applySignalGain() { blockHandler_->setSignalGain(settings_.signalGain); }

bool MainWindow::openPlayback() { return monitor_->open(); }

bool MainWindow::openCapture() {
    demodulator_.clearQuadratureLowPass();
    // The saved device by its name; when it is gone, the default source
    // records, and the name stays for when the device is back.
    const StoredRecordingDevice stored = storedRecordingDevice(settings_.input, settings_.inputName);
    if (!stored.missing.isEmpty()) options_.reportFailure(savedDeviceMissingMessage(stored.missing));
    const bool opened = capture_->open(stored.id, blockHandler_->signalType());
    if (opened) {
        settings_.input = std::max(recordingRowOf(stored.id), 0);
        if (stored.missing.isEmpty()) settings_.inputName = stored.id.toStdString();
    }
    return opened;
}

void MainWindow::setAutoLevel(bool on) {
    settings_.autoLevel = on;
    blockHandler_->setAutoLevel(on);
    emit autoLevelChanged(on);
}

bool MainWindow::closeCapture() { return capture_->close(); }

void MainWindow::closePlayback() { monitor_->close(); }

void MainWindow::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    if (endReceptionForShutdown) endReceptionForShutdown();
    if (powerOffReceiver) powerOffReceiver();

    WindowPlacement placement;
    placement.maximised = isMaximized();
    placement.top = pos().y();
    placement.left = pos().x();
    placement.width = width() + frameExtras().width();
    placement.height = height() + frameExtras().height();
    if (!saveSettingsFile(state_.paths.settingsFile, settings_, placement)) {
        const QString message = QStringLiteral("設定ファイルを保存できません\n%1")
                                    .arg(QString::fromStdString(state_.paths.settingsFile));
        // Asked to end by the session: nobody may be there to close a box,
        // and the session waits for the end.
        if (TerminationSignals::requested())
            std::fprintf(stderr, "sorae-apt: %s\n", message.toLocal8Bit().constData());
        else
            options_.reportFailure(message);
    }
    closeCapture();
    closePlayback();
}

namespace {

// The first local file of a drag, or an empty text.
QString droppedFile(const QMimeData* data) {
    if (data == nullptr) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    emit fileDropped(path);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shutdown();
    QMainWindow::closeEvent(event);
}

}  // namespace sorae
