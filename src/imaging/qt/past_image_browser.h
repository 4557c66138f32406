// The past-picture browser (TForm2, "受信済画像選択"): lists the picture
// pairs saved on one calendar day and loads the double-clicked pair into the
// main image area. The main window supplies what belongs to it through
// hooks: whether a pass is being received, its reset before a load (which
// also releases the orbit-view button), status panel 0, the error box and
// taking the focus back.
#pragma once

#include <QDate>
#include <QDialog>
#include <QString>
#include <functional>

class QCalendarWidget;
class QLabel;
class QListWidget;

namespace sorae {

class ImageDisplay;
class UpDownButtons;

class PastImageBrowser : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> receptionActive;
        std::function<void()> resetForNewPass;
        std::function<void(const QString&)> setStatusText;  // panel 0
        std::function<void(const QString&)> showError;      // beep + modal box by default
        std::function<void()> focusMainWindow;
    };

    // picsFolder: the program folder followed by "/pics". today: the day the
    // calendar starts at.
    PastImageBrowser(const QString& picsFolder, ImageDisplay* display, QWidget* parent = nullptr,
                     QDate today = QDate::currentDate());

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // Rebuilds the list for one day; a missing folder leaves it unchanged.
    void ListDay(QDate date);
    // ListDay for the calendar's date; called after every saved pair.
    void RefreshList();
    // Loads the selected entry (what a double-click does).
    void loadSelected();

    QDate selectedDate() const;
    void setYear(int year);    // what the year up-down does
    void setMonth(int month);  // what the month up-down does

protected:
    void showEvent(QShowEvent* event) override;

private:
    void applyDate(int year, int month, int day);
    // Decodes one saved picture; reports a failure in Japanese and gives a
    // null image.
    QImage readPicture(int channel, const QString& path);

    QString picsFolder_;
    ImageDisplay* display_;
    Hooks hooks_;
    UpDownButtons* yearUpDown_;
    UpDownButtons* monthUpDown_;
    QLabel* yearLabel_;
    QLabel* monthLabel_;
    QCalendarWidget* calendar_;
    QListWidget* list_;
    QDate listedDate_;  // the day the list was last built for
};

}  // namespace sorae
