#include "app/status_panels.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QMessageBox>

#include <QColor>
#include <QFont>
#include <QHBoxLayout>
#include <QPalette>
#include <QResizeEvent>
#include <algorithm>

#include "app/message_panel.h"

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
        auto* label = i == 0 ? new MessagePanel(row) : new QLabel(row);
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
        if (panel == 0) {
            messages()->setMessage(text);
            // A dialog that holds the window (the receiver's port, the
            // element download) would hide it: it shows there as well.
            if (!text.isEmpty()) EchoToModalDialog(text, this);
        } else if (label->text() != text) {
            label->setText(text);
        }
    }
}

MessagePanel* StatusPanels::messages() const { return static_cast<MessagePanel*>(panels_[0]); }

void EchoToModalDialog(const QString& text, const QWidget* behind) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || (behind != nullptr && modal == behind->window())) return;
    if (qobject_cast<QMessageBox*>(modal) != nullptr) return;  // says its own thing
    auto* line = modal->findChild<QLabel*>(QStringLiteral("DialogMessage"), Qt::FindDirectChildrenOnly);
    if (line == nullptr) {
        line = new QLabel(modal);
        line->setObjectName(QStringLiteral("DialogMessage"));
        line->setWordWrap(true);
        line->setTextFormat(Qt::PlainText);
        line->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        line->setAutoFillBackground(true);
        QPalette colours = line->palette();
        colours.setColor(QPalette::Window, QColor(0xff, 0xf4, 0xc8));
        colours.setColor(QPalette::WindowText, QColor(0x60, 0x20, 0x00));
        line->setPalette(colours);
        if (auto* box = qobject_cast<QBoxLayout*>(modal->layout())) {
            box->addWidget(line);
        } else if (auto* grid = qobject_cast<QGridLayout*>(modal->layout())) {
            grid->addWidget(line, grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
        } else {
            // A dialog laid out by hand grows by the line, so that nothing
            // of it is covered.
            const int height = line->fontMetrics().height() * 2 + 8;
            const QSize before = modal->size();
            line->setGeometry(4, before.height() + 2, before.width() - 8, height - 4);
            if (modal->minimumHeight() == modal->maximumHeight()) modal->setFixedHeight(before.height() + height);
            else modal->resize(before.width(), before.height() + height);
        }
    }
    line->setText(text);
    line->setToolTip(text);
    line->show();
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
