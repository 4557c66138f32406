// Panel 0 of the status bar: the program's running messages. A text wider
// than the panel ends in "…" with the whole of it in the tool tip, and the
// last messages are kept (in memory only) in a short history that a click
// on the panel opens. A standing note (the countdown to the next pass) sits
// at its right end.
#pragma once

#include <QDateTime>
#include <QLabel>
#include <QString>
#include <deque>

class QListWidget;

namespace sorae {

class MessagePanel : public QLabel {
    Q_OBJECT
public:
    static constexpr std::size_t kHistoryLength = 30;

    struct Entry {
        QDateTime time;
        QString text;
    };

    explicit MessagePanel(QWidget* parent = nullptr);

    // Shows `text` (QLabel::text() keeps it whole) and, when it is a new
    // message, keeps it in the history. An empty text clears the panel.
    void setMessage(const QString& text);
    // Oldest first.
    const std::deque<Entry>& history() const { return history_; }
    // The text as drawn in the panel's present width.
    QString shownText() const;
    // A short standing note kept at the panel's right end (the time left
    // until the next pass); the messages take the rest. Not in the history.
    void setNote(const QString& note);
    const QString& note() const { return note_; }
    // The history list, open or not (nullptr before the first opening).
    QListWidget* historyList() const { return historyList_; }
    void openHistory();

signals:
    void messageShown(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateToolTip();
    void fillHistoryList();
    int noteWidth() const;

    std::deque<Entry> history_;
    QString note_;
    QListWidget* historyList_ = nullptr;
};

}  // namespace sorae
