#include "common/qt/up_down_buttons.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace sorae {

UpDownButtons::UpDownButtons(int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum),
      position_(std::clamp(position, minimum, maximum)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setObjectName("up");
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setObjectName("down");
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setFixedSize(18, 11);
        layout->addWidget(b);
    }
    // The pair stays one small control even where a layout offers more room.
    setFixedSize(18, 22);
    setAutoRepeat(true);
    connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDownButtons::setPosition(int position) {
    position = std::clamp(position, minimum_, maximum_);
    if (position == position_) return;
    position_ = position;
    emit positionChanged(position_);
}

void UpDownButtons::setAutoRepeat(bool on) {
    up_->setAutoRepeat(on);
    down_->setAutoRepeat(on);
}

void UpDownButtons::step(int delta) {
    setPosition(position_ + delta);
    emit clicked(delta > 0);
}

}  // namespace sorae
