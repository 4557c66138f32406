// The main window's status bar (StatusBar1): seven panels addressed by
// index, as the rest of the program writes to them. Panel 0 takes what the
// window's width leaves (200 px at the designed width); the others are fixed.
// Panel 0's messages are also shown in a modal dialog that covers the window.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <array>

namespace sorae {

class MessagePanel;

// Shows `text` in the modal dialog open in front of `behind`'s window, in a
// message line at its foot (made the first time); nothing when no dialog is
// open.
void EchoToModalDialog(const QString& text, const QWidget* behind);

class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 7;
    static constexpr std::array<int, kPanelCount> kWidths{200, 500, 50, 50, 50, 90, 100};

    // What the panels right of panel 0 and the bar's edges take.
    static constexpr int kFixedPart = 846;

    explicit StatusPanels(QWidget* parent = nullptr);

    void setPanelText(int panel, const QString& text);
    // A warning stands out in red.
    void setPanelWarning(int panel, bool warning);
    QString panelText(int panel) const;
    QLabel* panel(int panel) const;
    // Panel 0 with its message history.
    MessagePanel* messages() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<QLabel*, kPanelCount> panels_{};
};

}  // namespace sorae
