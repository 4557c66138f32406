// Asks for the direction of a pass before a manual reception starts:
// 0 for "N>S", 1 for "S>N", 2 when closed without a choice.
#pragma once

#include <QDialog>

namespace sorae {

class ManualReceptionDialog : public QDialog {
    Q_OBJECT
public:
    explicit ManualReceptionDialog(QWidget* parent = nullptr);

    static constexpr int kNorthToSouth = 0;
    static constexpr int kSouthToNorth = 1;
    static constexpr int kNoChoice = 2;

    // Shows the dialog modally (without a nested event loop), centred on its
    // parent; directionChosen() follows when it closes, however it closes.
    void askDirection();
    int choice() const { return choice_; }

signals:
    void directionChosen(int choice);

protected:
    void showEvent(QShowEvent* event) override;

private:
    int choice_ = kNoChoice;
};

}  // namespace sorae
