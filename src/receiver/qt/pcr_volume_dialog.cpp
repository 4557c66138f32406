#include "receiver/qt/pcr_volume_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QSlider>

#include <algorithm>

#include "common/qt/dialog_placement.h"
#include "receiver/qt/receiver_controller.h"

namespace sorae {

namespace {
constexpr int kMaxVolume = 127;
}

PcrVolumeDialog::PcrVolumeDialog(AppSettings& settings, ReceiverController& receiver,
                                 QWidget* parent)
    : QDialog(parent), settings_(settings), receiver_(receiver), anchor_(parent)
{
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("IC-PCR音量"));

    slider_ = new QSlider(Qt::Vertical, this);
    slider_->setObjectName(QStringLiteral("TrackBar1"));
    slider_->setRange(0, kMaxVolume);
    slider_->setTickInterval(32);
    slider_->setTickPosition(QSlider::TicksBothSides);
    // Position 0 is the top of the slider, as the volume counts down from it.
    slider_->setInvertedAppearance(true);
    slider_->setInvertedControls(true);
    slider_->setMinimumHeight(160);

    auto* top = new QLabel(QStringLiteral("最大"), this);
    top->setObjectName(QStringLiteral("Label1"));
    auto* bottom = new QLabel(QStringLiteral("最小"), this);
    bottom->setObjectName(QStringLiteral("Label2"));
    valueLabel_ = new QLabel(this);
    valueLabel_->setObjectName(QStringLiteral("Label3"));
    valueLabel_->setMinimumWidth(valueLabel_->fontMetrics().horizontalAdvance(QStringLiteral("0000")));

    auto* grid = new QGridLayout(this);
    grid->addWidget(top, 0, 1, Qt::AlignTop);
    grid->addWidget(slider_, 0, 0, 3, 1);
    grid->addWidget(valueLabel_, 1, 1, Qt::AlignVCenter);
    grid->addWidget(bottom, 2, 1, Qt::AlignBottom);

    const int volume = std::clamp(settings_.volPcr, 0, kMaxVolume);
    slider_->setValue(kMaxVolume - volume);
    valueLabel_->setText(QString::number(settings_.volPcr));
    connect(slider_, &QSlider::valueChanged, this, &PcrVolumeDialog::sliderMoved);
}

void PcrVolumeDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (anchor_)
        centreOn(*this, *anchor_);
}

void PcrVolumeDialog::sliderMoved(int position)
{
    settings_.volPcr = kMaxVolume - position;
    valueLabel_->setText(QString::number(settings_.volPcr));
    if (settings_.type == 1 && receiver_.isOn())
        receiver_.setVolumePcr(settings_.volPcr);
}

}  // namespace sorae
