#include "capture/qt/input_device_dialog.h"

#include <QAudioFormat>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMediaDevices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSlider>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "capture/qt/capture_messages.h"
#include "capture/qt/recording_devices.h"

namespace sorae {

namespace {

// "ST" when the device records the rate in stereo, "MO" in mono only.
QString channelsText(const QAudioDevice& device, int rate) {
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setSampleFormat(QAudioFormat::Int16);
    f.setChannelCount(2);
    if (device.isFormatSupported(f)) return QStringLiteral("ST");
    f.setChannelCount(1);
    if (device.isFormatSupported(f)) return QStringLiteral("MO");
    return QString();
}

// The sound server's mixer on its input-device tab; the desktop's own sound
// settings where the mixer is not installed.
void openSoundMixer(QWidget* parent) {
    struct Tool {
        const char* program;
        QStringList arguments;
    };
    const Tool tools[] = {
        {"pavucontrol", {QStringLiteral("--tab=4")}},
        {"gnome-control-center", {QStringLiteral("sound")}},
        {"systemsettings", {QStringLiteral("kcm_pulseaudio")}},
    };
    for (const auto& tool : tools) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(tool.program));
        if (!path.isEmpty() && QProcess::startDetached(path, tool.arguments)) return;
    }
    QMessageBox::warning(parent, QStringLiteral("SORAE-APT"), soundMixerMissingMessage(), QMessageBox::Ok);
}

constexpr int kDeviceIdRole = Qt::UserRole;

}  // namespace

QString gainLabelText(int position) {
    if (position < 0) return QStringLiteral("[+%1dB]").arg(-position);
    return QStringLiteral("[%1dB]").arg(-position);
}

QString requirementText(int signalTypeChoice) {
    switch (signalTypeChoice) {
    case 1: return QStringLiteral("96kHz Stereo");
    case 2: return QStringLiteral("96kHz Mono");
    default: return QStringLiteral("48kHz Mono");
    }
}

QImage levelMeterImage(const LevelMeter& meter) {
    QImage image(LevelMeter::kWidth, LevelMeter::kHeight, QImage::Format_RGB32);
    for (int y = 0; y < LevelMeter::kHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < LevelMeter::kWidth; ++x) {
            row[x] = 0xFF000000u | meter.pixel(x, y);
        }
    }
    return image;
}

QDialog* createRecordingChangeNotice(QWidget* parent) {
    auto* notice = new QDialog(parent, Qt::Tool);
    notice->setObjectName(QStringLiteral("TForm10"));
    notice->setWindowTitle(QStringLiteral("録音デバイス変更"));
    auto* layout = new QVBoxLayout(notice);
    auto* label = new QLabel(QStringLiteral("録音再設定中..."), notice);
    label->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(label);
    notice->setFixedSize(notice->sizeHint());
    return notice;
}

InputDeviceDialog::InputDeviceDialog(Host host, QWidget* parent) : QDialog(parent), host_(std::move(host)) {
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("入力デバイスの選択"));
    setModal(false);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("ListView1"));
    list_->setColumnCount(3);
    list_->setHeaderLabels({QStringLiteral("入力デバイス名"), QStringLiteral("48k"), QStringLiteral("96k")});
    list_->setRootIsDecorated(false);
    list_->header()->setStretchLastSection(false);
    list_->setColumnWidth(0, 200);
    list_->setColumnWidth(1, 30);
    list_->setColumnWidth(2, 30);
    list_->setMinimumWidth(270);
    buildDeviceList();
    // Sources plugged in or out while the program runs. Qt 6.4 updates its
    // list of PulseAudio sources but does not always signal it, so the list
    // is also compared once a second while the dialog shows.
    auto* devices = new QMediaDevices(this);
    connect(devices, &QMediaDevices::audioInputsChanged, this, &InputDeviceDialog::buildDeviceList);
    devicePoll_ = new QTimer(this);
    connect(devicePoll_, &QTimer::timeout, this, [this] {
        if (listedDevices() != currentDevices()) buildDeviceList();
    });
    connect(list_, &QTreeWidget::itemClicked, this, [this] { listClicked(); });
    connect(list_, &QTreeWidget::itemChanged, this, [this] { listClicked(); });

    auto* typeBox = new QGroupBox(QStringLiteral("信号種類"), this);
    auto* typeLayout = new QVBoxLayout(typeBox);
    const char* captions[3] = {"音声（検波）", "24ｋHz IQ", "24kHz IF"};
    for (int i = 0; i < 3; ++i) {
        radios_[i] = new QRadioButton(QString::fromUtf8(captions[i]), typeBox);
        radios_[i]->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        typeLayout->addWidget(radios_[i]);
        connect(radios_[i], &QRadioButton::clicked, this, [this] { updateRequirement(); });
    }
    auto* requirementBox = new QGroupBox(QStringLiteral("必要条件"), typeBox);
    requirementBox->setAutoFillBackground(true);
    requirementBox->setPalette(QPalette(Qt::lightGray));
    auto* requirementLayout = new QVBoxLayout(requirementBox);
    requirement_ = new QLabel(requirementBox);
    requirement_->setObjectName(QStringLiteral("RequirementLabel"));
    requirementLayout->addWidget(requirement_);
    typeLayout->addWidget(requirementBox);

    auto* gainBox = new QGroupBox(QStringLiteral("信号利得"), this);
    auto* gainLayout = new QGridLayout(gainBox);
    gain_ = new QSlider(Qt::Vertical, gainBox);
    gain_->setObjectName(QStringLiteral("TrackBar1"));
    gain_->setRange(-20, 20);
    gain_->setTickInterval(5);
    gain_->setTickPosition(QSlider::TicksBothSides);
    gain_->setInvertedAppearance(true);  // -20 (+20 dB) at the top
    gain_->setInvertedControls(true);
    gainLabel_ = new QLabel(gainBox);
    gainLabel_->setObjectName(QStringLiteral("Label3"));
    meterImage_ = new QLabel(gainBox);
    meterImage_->setObjectName(QStringLiteral("Image1"));
    meterImage_->setFixedSize(LevelMeter::kWidth, LevelMeter::kHeight);
    gainLayout->addWidget(new QLabel(QStringLiteral("+20dB"), gainBox), 0, 0);
    gainLayout->addWidget(gain_, 1, 0);
    gainLayout->addWidget(meterImage_, 1, 1);
    gainLayout->addWidget(new QLabel(QStringLiteral("-20dB"), gainBox), 2, 0);
    gainLayout->addWidget(gainLabel_, 3, 0, 1, 2);
    connect(gain_, &QSlider::valueChanged, this, [this](int position) {
        gainLabel_->setText(gainLabelText(position));
        if (host_.setSignalGain) host_.setSignalGain(position);
    });

    autoLevel_ = new QCheckBox(QStringLiteral("自動レベル調整"), gainBox);
    autoLevel_->setObjectName(QStringLiteral("AutoLevelCheck"));
    gainLayout->addWidget(autoLevel_, 4, 0, 1, 2);
    connect(autoLevel_, &QCheckBox::toggled, this, [this](bool on) {
        if (host_.setAutoLevel) host_.setAutoLevel(on);
    });

    soundSettings_ = new QPushButton(QStringLiteral("サウンド設定"), this);
    soundSettings_->setObjectName(QStringLiteral("Button2"));
    connect(soundSettings_, &QPushButton::clicked, this, [this] {
        if (host_.openRecordingSettings) host_.openRecordingSettings();
        else openSoundMixer(this);
    });
    icPcrVolume_ = new QPushButton(QStringLiteral("IC-PCR音量"), this);
    icPcrVolume_->setObjectName(QStringLiteral("Button3"));
    connect(icPcrVolume_, &QPushButton::clicked, this, [this] {
        if (host_.showIcPcrVolume) host_.showIcPcrVolume();
    });

    auto* layout = new QGridLayout(this);
    layout->addWidget(list_, 0, 0, 1, 2);
    layout->addWidget(typeBox, 1, 0);
    layout->addWidget(gainBox, 1, 1, 2, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(soundSettings_);
    buttons->addWidget(icPcrVolume_);
    layout->addLayout(buttons, 2, 0);

    // Creation: the stored choices.
    const int type = host_.signalType ? host_.signalType() : 0;
    radios_[(type == 1 || type == 2) ? type : 0]->setChecked(true);
    updateRequirement();
    {
        const QSignalBlocker block(gain_);
        gain_->setValue(host_.signalGain ? host_.signalGain() : 0);
    }
    gainLabel_->setText(gainLabelText(gain_->value()));
    {
        const QSignalBlocker block(autoLevel_);
        autoLevel_->setChecked(host_.autoLevel && host_.autoLevel());
    }
    icPcrVolume_->setEnabled(host_.receiverIsIcPcr && host_.receiverIsIcPcr());
    meterImage_->setPixmap(QPixmap::fromImage(levelMeterImage(meter_)));
}

QList<QByteArray> InputDeviceDialog::listedDevices() const {
    QList<QByteArray> ids;
    for (int row = 1; row < list_->topLevelItemCount(); ++row)
        ids.append(list_->topLevelItem(row)->data(0, kDeviceIdRole).toByteArray());
    return ids;
}

QList<QByteArray> InputDeviceDialog::currentDevices() {
    QList<QByteArray> ids;
    for (const QAudioDevice& device : QMediaDevices::audioInputs()) ids.append(device.id());
    return ids;
}

void InputDeviceDialog::buildDeviceList() {
    const std::optional<QByteArray> selected = selectedDevice();
    {
        const QSignalBlocker block(list_);
        list_->clear();
        const auto devices = recordingDeviceList();
        for (int row = 0; row < devices.size(); ++row) {
            auto* item = new QTreeWidgetItem(list_);
            if (row == 0) {
                item->setText(0, QStringLiteral("標準の入力デバイス"));
                item->setData(0, kDeviceIdRole, QByteArray());
            } else {
                item->setText(0, devices[row].description());
                item->setText(1, channelsText(devices[row], 48000));
                item->setText(2, channelsText(devices[row], 96000));
                item->setData(0, kDeviceIdRole, devices[row].id());
            }
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
        }
    }
    selectDevice(selected);
    markDeviceInUse();
}

std::optional<QByteArray> InputDeviceDialog::selectedDevice() const {
    const auto selected = list_->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return selected.first()->data(0, kDeviceIdRole).toByteArray();
}

void InputDeviceDialog::selectDevice(const std::optional<QByteArray>& id) {
    const QSignalBlocker block(list_);
    list_->clearSelection();
    if (!id) return;
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        if (item->data(0, kDeviceIdRole).toByteArray() == *id) {
            item->setSelected(true);
            return;
        }
    }
}

void InputDeviceDialog::markDeviceInUse() {
    const QSignalBlocker block(list_);
    const QByteArray inUse = host_.deviceInUse ? host_.deviceInUse() : QByteArray();
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        item->setCheckState(0, item->data(0, kDeviceIdRole).toByteArray() == inUse ? Qt::Checked : Qt::Unchecked);
    }
}

void InputDeviceDialog::listClicked() {
    // The check mark always shows the device in use; the selection is the
    // new choice, taken when the dialog closes.
    markDeviceInUse();
}

int InputDeviceDialog::chosenType() const {
    if (radios_[2]->isChecked()) return 2;
    if (radios_[1]->isChecked()) return 1;
    return 0;
}

void InputDeviceDialog::updateRequirement() { requirement_->setText(requirementText(chosenType())); }

void InputDeviceDialog::drawLevelMeter(const double* envelope, int samples) {
    meter_.update(envelope, samples);
    meterImage_->setPixmap(QPixmap::fromImage(levelMeterImage(meter_)));
}

void InputDeviceDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    shown_ = {gain_->value(), autoLevel_->isChecked(), chosenType()};
    cancelled_ = false;
    if (listedDevices() != currentDevices()) buildDeviceList();
    devicePoll_->start(1000);
    if (QWidget* owner = parentWidget()) {
        const QRect o = owner->geometry();
        move(o.x() + (o.width() - width()) / 2, o.y() + (o.height() - height()) / 2);
    }
    if (host_.currentEnvelope) {
        if (const double* envelope = host_.currentEnvelope()) drawLevelMeter(envelope, 12000);
    }
}

void InputDeviceDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Back to what was shown; the gain and the automatic level act at
        // once, so they are given back to the program too.
        cancelled_ = true;
        gain_->setValue(shown_.gain);
        autoLevel_->setChecked(shown_.autoLevel);
        radios_[shown_.type]->setChecked(true);
        updateRequirement();
        list_->clearSelection();
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void InputDeviceDialog::done(int result) {
    devicePoll_->stop();
    QDialog::done(result);
    if (cancelled_) {
        cancelled_ = false;
        return;
    }
    const int chosen = chosenType();
    const std::optional<QByteArray> device = selectedDevice();
    const QByteArray inUse = host_.deviceInUse ? host_.deviceInUse() : QByteArray();
    const int stored = host_.signalType ? host_.signalType() : 0;
    if ((device && *device != inUse) || chosen != stored) {
        if (host_.reconfigure) host_.reconfigure(device, chosen);
        markDeviceInUse();
    }
}

}  // namespace sorae
