#include "receiver/qt/receiver_settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/qt/dialog_placement.h"
#include "receiver/qt/port_list.h"
#include "receiver/qt/receiver_controller.h"

namespace sorae {

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace

ReceiverSettingsDialog::ReceiverSettingsDialog(AppSettings& settings, ReceiverController& receiver,
                                               QWidget* parent, PortLister listPorts)
    : QDialog(parent),
      settings_(settings),
      receiver_(receiver),
      listPorts_(listPorts ? std::move(listPorts) : PortLister(&ListPorts)),
      anchor_(parent)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("受信機制御設定"));

    autoControl_ = named(new QCheckBox(QStringLiteral("受信機を自動制御する"), this), "CheckBox1");
    panel_ = named(new QFrame(this), "Panel1");
    panel_->setFrameShape(QFrame::StyledPanel);

    portLabel_ = named(new QLabel(QStringLiteral("RS232C ポート"), panel_), "Label1");
    portBox_ = named(new QComboBox(panel_), "ComboBox1");
    portBox_->setEditable(true);
    portBox_->setInsertPolicy(QComboBox::NoInsert);
    portBox_->setMinimumContentsLength(16);

    modelLabel_ = named(new QLabel(QStringLiteral("受信機"), panel_), "Label2");
    modelBox_ = named(new QComboBox(panel_), "ComboBox2");
    modelBox_->addItems({QStringLiteral("AR-5000"), QStringLiteral("IC-PCR"),
                         QStringLiteral("DJ-X11(IQ)")});

    antennaLabel_ = named(new QLabel(QStringLiteral("アンテナ端子"), panel_), "Label3");
    antennaBox_ = named(new QComboBox(panel_), "ComboBox3");
    antennaBox_->addItems({QStringLiteral("設定しない"), QStringLiteral("ANT 1"),
                           QStringLiteral("ANT 2"), QStringLiteral("ANT 3"),
                           QStringLiteral("ANT 4")});

    detectButton_ = named(new QPushButton(QStringLiteral("再認識"), panel_), "Button3");
    powerOnButton_ = named(new QPushButton(QStringLiteral("電源ON"), panel_), "Button1");
    powerOffButton_ = named(new QPushButton(QStringLiteral("電源OFF"), panel_), "Button2");
    for (QPushButton* button : {detectButton_, powerOnButton_, powerOffButton_})
        button->setAutoDefault(false);

    auto* grid = new QGridLayout(panel_);
    grid->addWidget(portLabel_, 0, 0);
    grid->addWidget(portBox_, 0, 1);
    grid->addWidget(detectButton_, 0, 2);
    grid->addWidget(modelLabel_, 1, 0);
    grid->addWidget(modelBox_, 1, 1);
    grid->addWidget(antennaLabel_, 2, 0);
    grid->addWidget(antennaBox_, 2, 1);
    auto* powerRow = new QHBoxLayout;
    powerRow->addStretch();
    powerRow->addWidget(powerOnButton_);
    powerRow->addWidget(powerOffButton_);
    grid->addLayout(powerRow, 3, 0, 1, 3);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(autoControl_);
    outer->addWidget(panel_);

    filling_ = true;
    fillPorts();
    const int portCount = portBox_->count();
    const QString storedName = QString::fromStdString(settings_.portName);
    if (!storedName.isEmpty()) {
        // The stored port is the user's choice, whether it is there right
        // now or not (an adapter unplugged); only the user changes it.
        const int index = portBox_->findText(storedName);
        settings_.portList = index;
        portBox_->setCurrentIndex(index);
        if (index < 0)
            portBox_->setEditText(storedName);
    } else if (settings_.portList >= 0 && settings_.portList < portCount) {
        // A settings file with the list index only.
        portBox_->setCurrentIndex(settings_.portList);
        settings_.portName = portBox_->currentText().toStdString();
    } else {
        portBox_->setCurrentIndex(-1);
        settings_.portName.clear();
    }
    modelBox_->setCurrentIndex(settings_.type >= 0 && settings_.type < 3 ? settings_.type : -1);
    antennaBox_->setCurrentIndex(settings_.antNum >= 0 && settings_.antNum < 5 ? settings_.antNum
                                                                               : -1);
    autoControl_->setChecked(settings_.autoCont);
    filling_ = false;
    applyEnabledStates();

    connect(autoControl_, &QCheckBox::clicked, this, &ReceiverSettingsDialog::autoControlClicked);
    connect(powerOnButton_, &QPushButton::clicked, this, &ReceiverSettingsDialog::powerOnClicked);
    connect(powerOffButton_, &QPushButton::clicked, this, &ReceiverSettingsDialog::powerOffClicked);
    connect(detectButton_, &QPushButton::clicked, this, &ReceiverSettingsDialog::detectAgainClicked);
    connect(portBox_, &QComboBox::currentIndexChanged, this, &ReceiverSettingsDialog::portChosen);
    connect(portBox_->lineEdit(), &QLineEdit::editingFinished, this,
            &ReceiverSettingsDialog::portTyped);
    connect(modelBox_, &QComboBox::currentIndexChanged, this, &ReceiverSettingsDialog::modelChosen);
    connect(antennaBox_, &QComboBox::currentIndexChanged, this,
            &ReceiverSettingsDialog::antennaChosen);
}

void ReceiverSettingsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (anchor_)
        centreOn(*this, *anchor_);
}

void ReceiverSettingsDialog::fillPorts()
{
    portBox_->clear();
    portBox_->addItems(listPorts_());
}

void ReceiverSettingsDialog::applyEnabledStates()
{
    const bool on = autoControl_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{panel_, portBox_, modelBox_, powerOnButton_,
                                                      powerOffButton_, portLabel_, modelLabel_})
        w->setEnabled(on);
    antennaBox_->setEnabled(on && settings_.type == 0);
    antennaLabel_->setEnabled(antennaBox_->isEnabled());
}

void ReceiverSettingsDialog::autoControlClicked(bool checked)
{
    settings_.autoCont = checked;
    applyEnabledStates();
}

void ReceiverSettingsDialog::powerOnClicked()
{
    if (settings_.autoCont)
        receiver_.powerOn();
}

void ReceiverSettingsDialog::powerOffClicked()
{
    if (settings_.autoCont)
        receiver_.powerOff();
}

void ReceiverSettingsDialog::changePort(int index, const QString& name)
{
    settings_.portList = index;
    settings_.portName = name.toStdString();
    receiver_.restartIfOn(settings_.type);
}

void ReceiverSettingsDialog::portChosen(int index)
{
    if (filling_ || index < 0)
        return;
    changePort(index, portBox_->itemText(index));
}

void ReceiverSettingsDialog::portTyped()
{
    const QString text = portBox_->currentText().trimmed();
    if (filling_ || text.toStdString() == settings_.portName)
        return;
    // The typed path is the port; it is list entry -1 unless it names one.
    const int index = portBox_->findText(text);
    if (index >= 0 && index != portBox_->currentIndex()) {
        portBox_->setCurrentIndex(index);  // portChosen does the rest
        return;
    }
    if (index < 0 && portBox_->currentIndex() >= 0) {
        // No list entry is chosen any more, so picking the old one again
        // later counts as a change.
        filling_ = true;
        portBox_->setCurrentIndex(-1);
        portBox_->setEditText(text);
        filling_ = false;
    }
    changePort(index, text);
}

void ReceiverSettingsDialog::modelChosen(int index)
{
    if (filling_ || index < 0)
        return;
    const int oldModel = settings_.type;
    settings_.type = index;
    receiver_.restartIfOn(oldModel);
    applyEnabledStates();
    emit modelChanged(index);
}

void ReceiverSettingsDialog::antennaChosen(int index)
{
    if (filling_ || index < 0)
        return;
    settings_.antNum = index;
    receiver_.setAntenna(index);  // sent only when above 0 and the receiver is on
}

void ReceiverSettingsDialog::detectAgainClicked()
{
    filling_ = true;
    fillPorts();
    settings_.portList = 0;
    portBox_->setCurrentIndex(portBox_->count() > 0 ? 0 : -1);
    settings_.portName = portBox_->count() > 0 ? portBox_->itemText(0).toStdString() : std::string{};
    if (portBox_->count() == 0)
        portBox_->setEditText(QString());
    filling_ = false;
    receiver_.restartIfOn(settings_.type);
}

}  // namespace sorae
