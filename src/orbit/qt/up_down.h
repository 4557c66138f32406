// A pair of arrow buttons holding an integer position, like the classic
// up-down control: each click moves the position by one within its range.
#pragma once

#include <algorithm>

#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

namespace sorae {

class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int min, int max, QWidget* parent = nullptr) : QWidget(parent), min_(min), max_(max) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        up_ = new QToolButton(this);
        up_->setArrowType(Qt::UpArrow);
        up_->setObjectName("up");
        down_ = new QToolButton(this);
        down_->setArrowType(Qt::DownArrow);
        down_->setObjectName("down");
        for (QToolButton* b : {up_, down_}) {
            b->setFixedSize(18, 11);
            layout->addWidget(b);
        }
        connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
        connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
    }
    int position() const { return position_; }
    void setPosition(int p) { position_ = std::clamp(p, min_, max_); }
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    // After the position has moved (or stayed at an end); up tells the arrow.
    void clicked(bool up);

private:
    void step(int delta) {
        setPosition(position_ + delta);
        emit clicked(delta > 0);
    }
    int min_, max_;
    int position_ = 0;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace sorae
