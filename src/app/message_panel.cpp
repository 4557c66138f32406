#include "app/message_panel.h"

#include <QFrame>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace sorae {

namespace {

QString WithoutDigits(QString text) {
    text.removeIf([](QChar c) { return c.isDigit(); });
    return text;
}

}  // namespace

MessagePanel::MessagePanel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
}

void MessagePanel::setMessage(const QString& text) {
    if (QLabel::text() == text) return;
    setText(text);
    if (!text.isEmpty()) {
        // A progress text that only counts on ("録音再生中 12%", "... 13%")
        // replaces its predecessor instead of filling the history.
        if (!history_.empty() && WithoutDigits(history_.back().text) == WithoutDigits(text)) history_.pop_back();
        history_.push_back(Entry{QDateTime::currentDateTime(), text});
        while (history_.size() > kHistoryLength) history_.pop_front();
        if (historyList_ != nullptr && historyList_->isVisible()) fillHistoryList();
    }
    updateToolTip();
    emit messageShown(text);
}

int MessagePanel::noteWidth() const {
    return note_.isEmpty() ? 0 : fontMetrics().horizontalAdvance(note_) + 8;
}

QString MessagePanel::shownText() const {
    const int room = contentsRect().width() - 2 * margin() - noteWidth();
    return fontMetrics().elidedText(text(), Qt::ElideRight, std::max(0, room));
}

void MessagePanel::setNote(const QString& note) {
    if (note == note_) return;
    note_ = note;
    updateToolTip();
    update();
}

void MessagePanel::updateToolTip() {
    setToolTip(note_.isEmpty() || text().isEmpty() ? text() + note_ : text() + QStringLiteral("\n") + note_);
}

void MessagePanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), 0, -margin(), 0);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, shownText());
    if (!note_.isEmpty() && noteWidth() <= area.width()) {
        painter.setPen(QColor(0x30, 0x50, 0x90));
        painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter, note_);
    }
}

void MessagePanel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    update();
}

void MessagePanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) openHistory();
    QLabel::mousePressEvent(event);
}

void MessagePanel::openHistory() {
    if (historyList_ == nullptr) {
        historyList_ = new QListWidget(this);
        historyList_->setObjectName(QStringLiteral("MessageHistory"));
        historyList_->setWindowFlags(Qt::Popup);
        historyList_->setWordWrap(true);
        historyList_->setToolTip(QStringLiteral("最近のメッセージ"));
    }
    fillHistoryList();
    // Above the panel, as wide as the text wants within the screen.
    const QRect screen = this->screen() != nullptr ? this->screen()->availableGeometry() : QRect(0, 0, 1366, 768);
    const int width = std::min(screen.width() - 20, 640);
    const int rows = std::clamp(historyList_->count(), 3, 12);
    const int height = std::min(screen.height() / 2, 8 + historyList_->sizeHintForRow(0) * rows);
    QPoint topLeft = mapToGlobal(QPoint(0, 0)) - QPoint(0, height);
    topLeft.setX(std::clamp(topLeft.x(), screen.left(), screen.right() - width));
    topLeft.setY(std::max(screen.top(), topLeft.y()));
    historyList_->setGeometry(QRect(topLeft, QSize(width, height)));
    historyList_->show();
    historyList_->scrollToBottom();
}

}  // namespace sorae

namespace sorae {

void MessagePanel::fillHistoryList() {
    historyList_->clear();
    if (history_.empty()) historyList_->addItem(QStringLiteral("(メッセージはありません)"));
    for (const Entry& e : history_)
        historyList_->addItem(e.time.toString(QStringLiteral("HH:mm:ss  ")) + e.text);
    historyList_->scrollToBottom();
}

}  // namespace sorae
