#include "imaging/qt/past_image_browser.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QVBoxLayout>
#include <utility>

#include "imaging/past_picture_list.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/picture_image.h"
#include "common/qt/up_down_buttons.h"

namespace sorae {

PastImageBrowser::PastImageBrowser(const QString& picsFolder, ImageDisplay* display,
                                   QWidget* parent, QDate today)
    : QDialog(parent), picsFolder_(picsFolder), display_(display) {
    setObjectName("TForm2");
    setWindowTitle("受信済画像選択");
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);  // topmost while shown

    if (!today.isValid()) today = QDate(2000, 1, 1);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    yearLabel_ = new QLabel(this);
    yearLabel_->setObjectName("Label1");
    yearUpDown_ = new UpDownButtons(2000, 9999, today.year(), this);
    yearUpDown_->setObjectName("UpDown1");
    monthLabel_ = new QLabel(this);
    monthLabel_->setObjectName("Label2");
    monthUpDown_ = new UpDownButtons(1, 12, today.month(), this);
    monthUpDown_->setObjectName("UpDown2");
    top->addWidget(yearLabel_);
    top->addWidget(yearUpDown_);
    top->addSpacing(12);
    top->addWidget(monthLabel_);
    top->addWidget(monthUpDown_);
    top->addStretch();
    layout->addLayout(top);

    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName("CCalendar1");
    calendar_->setNavigationBarVisible(false);
    calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // Day names in Japanese like the rest of the interface, whatever the
    // computer's language.
    calendar_->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    layout->addWidget(calendar_);

    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    list_->setToolTip("※ダブルクリックで選択");
    list_->setMinimumHeight(120);
    layout->addWidget(list_);

    applyDate(today.year(), today.month(), today.day());

    connect(yearUpDown_, &UpDownButtons::positionChanged, this, &PastImageBrowser::setYear);
    connect(monthUpDown_, &UpDownButtons::positionChanged, this, &PastImageBrowser::setMonth);
    connect(calendar_, &QCalendarWidget::activated, this, [this] { RefreshList(); });
    // a click on a day of a neighbouring month moves the year and month too
    connect(calendar_, &QCalendarWidget::selectionChanged, this, [this] {
        const QDate d = calendar_->selectedDate();
        for (auto [upDown, value] : {std::pair{yearUpDown_, d.year()}, {monthUpDown_, d.month()}}) {
            const bool blocked = upDown->blockSignals(true);
            upDown->setPosition(value);
            upDown->blockSignals(blocked);
        }
        yearLabel_->setText(QString::number(d.year()) + "年");
        monthLabel_->setText(QString::number(d.month()) + "月");
        RefreshList();  // a single click shows the day's passes
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { loadSelected(); });

    hooks_.showError = [this](const QString& text) {
        QApplication::beep();
        QMessageBox::critical(this, windowTitle(), text, QMessageBox::Ok);
    };
    RefreshList();
}

QDate PastImageBrowser::selectedDate() const { return calendar_->selectedDate(); }

// Moves the calendar to a year and month, keeping the day when it exists
// there, else the 30th, or the 29th / 28th in February.
void PastImageBrowser::applyDate(int year, int month, int day) {
    QDate date(year, month, day);
    if (!date.isValid()) date = QDate(year, month, month == 2 ? 29 : 30);
    if (!date.isValid()) date = QDate(year, month, 28);
    calendar_->setSelectedDate(date);
    calendar_->setCurrentPage(date.year(), date.month());
    yearLabel_->setText(QString::number(date.year()) + "年");
    monthLabel_->setText(QString::number(date.month()) + "月");
}

void PastImageBrowser::setYear(int year) {
    if (yearUpDown_->position() != year) yearUpDown_->setPosition(year);
    const QDate d = calendar_->selectedDate();
    applyDate(year, d.month(), d.day());
    RefreshList();
}

void PastImageBrowser::setMonth(int month) {
    if (monthUpDown_->position() != month) monthUpDown_->setPosition(month);
    const QDate d = calendar_->selectedDate();
    applyDate(d.year(), month, d.day());
    RefreshList();
}

void PastImageBrowser::ListDay(QDate date) {
    const auto entries =
        ListDayEntries(picsFolder_.toStdString(), date.year(), date.month(), date.day());
    if (!entries) return;
    listedDate_ = date;
    list_->clear();
    for (const std::string& entry : *entries) list_->addItem(QString::fromStdString(entry));
}

void PastImageBrowser::RefreshList() {
    const QDate d = calendar_->selectedDate();
    ListDay(QDate::fromString(QString::asprintf("%04d/%02d/%02d", d.year(), d.month(), d.day()),
                              "yyyy/MM/dd"));
}

QImage PastImageBrowser::readPicture(int channel, const QString& path) {
    if (hooks_.setStatusText)
        hooks_.setStatusText(channel == 0 ? "CH-A 画像ファイル読み込み中..."
                                          : "CH-B 画像ファイル読み込み中...");
    if (!QFileInfo(path).isFile()) {
        if (hooks_.showError) hooks_.showError("画像ファイルが見つかりません\n" + path);
        return QImage();
    }
    const LoadedPicture loaded = LoadPictureFile(path);
    if (!loaded.ok) {
        if (hooks_.showError) hooks_.showError("画像ファイルを読み込めません\n" + path);
        return QImage();
    }
    return loaded.image;
}

void PastImageBrowser::loadSelected() {
    QListWidgetItem* item = list_->currentItem();
    if (!item || !display_ || !listedDate_.isValid()) return;
    if (hooks_.receptionActive && hooks_.receptionActive()) {
        if (hooks_.showError) hooks_.showError("信号受信中のため画像を読み込めません");
        return;
    }
    // The entry belongs to the day the list was built for, which is the
    // calendar's day unless the pics folder has gone since.
    const QDate d = listedDate_;
    const auto files = FilesOfEntry(item->text().toStdString(), d.year(), d.month(), d.day());
    if (!files) return;
    // Both files are read before anything is reset, so that a failed load
    // leaves the pictures on display as they were.
    const QString stamp = picsFolder_ + "/" + QString::fromStdString(files->stamp);
    QImage pictures[2];
    for (int channel = 0; channel < 2; ++channel) {
        if (!(channel == 0 ? files->loadA : files->loadB)) continue;
        const QString numbered = files->occurrence > 1 ? QStringLiteral("-%1").arg(files->occurrence) : QString();
        pictures[channel] = readPicture(channel, stamp + (channel == 0 ? "A" : "B") + numbered + ".jpg");
        if (pictures[channel].isNull()) {
            if (hooks_.setStatusText) hooks_.setStatusText("");
            return;
        }
    }
    if (hooks_.resetForNewPass)
        hooks_.resetForNewPass();
    else
        display_->resetForNewPass();
    // A lone B leaves channel A empty: the display takes B's height.
    display_->setPicture(0, pictures[0]);
    if (files->loadB) display_->setPicture(1, pictures[1]);
    display_->showPictures();
    if (hooks_.focusMainWindow) hooks_.focusMainWindow();
    if (hooks_.setStatusText) hooks_.setStatusText("");
}

void PastImageBrowser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
}

}  // namespace sorae
