// The main window's status bar (StatusBar1): seven fixed-width panels,
// addressed by index, as the rest of the program writes to them.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <array>

namespace sorae {

class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 7;
    static constexpr std::array<int, kPanelCount> kWidths{200, 500, 50, 50, 50, 90, 100};

    explicit StatusPanels(QWidget* parent = nullptr);

    void setPanelText(int panel, const QString& text);
    // A warning stands out in red.
    void setPanelWarning(int panel, bool warning);
    QString panelText(int panel) const;
    QLabel* panel(int panel) const;

private:
    std::array<QLabel*, kPanelCount> panels_{};
};

}  // namespace sorae
