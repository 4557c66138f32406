// A pair of up and down arrow buttons holding an integer position within a
// range, like the classic up-down control: each click moves it by exactly
// one. The number itself is shown by a label beside it, as the dialogs want.
#pragma once

#include <QWidget>

class QToolButton;

namespace sorae {

class UpDownButtons : public QWidget {
    Q_OBJECT
public:
    UpDownButtons(int minimum, int maximum, int position, QWidget* parent = nullptr);

    int position() const { return position_; }
    void setPosition(int position);  // clamped; emits positionChanged when it moves
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // Holding a button down repeats its step (on unless switched off).
    void setAutoRepeat(bool on);
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    void positionChanged(int position);
    // After every click, once the position has moved (or stayed at an end);
    // up tells which arrow it was.
    void clicked(bool up);

private:
    void step(int delta);

    int minimum_;
    int maximum_;
    int position_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace sorae
