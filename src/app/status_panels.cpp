#include "app/status_panels.h"

#include <QColor>
#include <QFont>
#include <QHBoxLayout>
#include <QPalette>
#include <QResizeEvent>
#include <algorithm>

namespace sorae {

StatusPanels::StatusPanels(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    // IPA Gothic (a package the program installs) has narrow Latin letters,
    // so the whole current-pass line fits panel 1; the default sans-serif
    // font cuts it at the maximum elevation.
    QFont panelFont = font();
    panelFont.setFamilies({QStringLiteral("IPAGothic"), panelFont.family()});
    setFont(panelFont);
    // The panels sit side by side in a row of their own, so that their
    // widths add up to the window's width as laid out.
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < kPanelCount; ++i) {
        auto* label = new QLabel(row);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        if (i == 0) {
            // Its width follows the window (resizeEvent); it never holds
            // the window wider than that.
            label->setMinimumWidth(0);
            label->setMaximumWidth(kWidths[0]);
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        } else {
            label->setFixedWidth(kWidths[std::size_t(i)]);
        }
        layout->addWidget(label, i == 0 ? 1 : 0);
        panels_[std::size_t(i)] = label;
    }
    layout->addStretch(0);  // what panel 0 may not take
    addWidget(row, 1);
}

void StatusPanels::resizeEvent(QResizeEvent* event) {
    panels_[0]->setMaximumWidth(std::max(0, event->size().width() - kFixedPart));
    QStatusBar::resizeEvent(event);
}

void StatusPanels::setPanelText(int panel, const QString& text) {
    if (QLabel* label = this->panel(panel)) {
        if (label->text() != text) label->setText(text);
    }
}

void StatusPanels::setPanelWarning(int panel, bool warning) {
    // Colour and weight only: a style sheet would put the default font
    // family back, in which the texts no longer fit.
    if (QLabel* label = this->panel(panel)) {
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, warning ? QColor(0xc0, 0x00, 0x00) : palette().color(QPalette::WindowText));
        label->setPalette(colours);
        QFont weight = label->font();
        weight.setBold(warning);
        label->setFont(weight);
    }
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
