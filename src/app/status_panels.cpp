#include "app/status_panels.h"

namespace sorae {

StatusPanels::StatusPanels(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    for (int i = 0; i < kPanelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFixedWidth(kWidths[std::size_t(i)]);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        addWidget(label);
        panels_[std::size_t(i)] = label;
    }
}

void StatusPanels::setPanelText(int panel, const QString& text) {
    if (QLabel* label = this->panel(panel)) {
        if (label->text() != text) label->setText(text);
    }
}

void StatusPanels::setPanelWarning(int panel, bool warning) {
    if (QLabel* label = this->panel(panel))
        label->setStyleSheet(warning ? QStringLiteral("QLabel { color: #c00000; font-weight: bold; }") : QString());
}

QString StatusPanels::panelText(int panel) const {
    const QLabel* label = this->panel(panel);
    return label ? label->text() : QString();
}

QLabel* StatusPanels::panel(int panel) const {
    if (panel < 0 || panel >= kPanelCount) return nullptr;
    return panels_[std::size_t(panel)];
}

}  // namespace sorae
