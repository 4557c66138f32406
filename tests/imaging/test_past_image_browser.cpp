#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <memory>

#include "imaging/jpeg_file.h"
#include "imaging/pass_pictures.h"
#include "imaging/picture_naming.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/past_image_browser.h"
#include "imaging/qt/picture_image.h"
#include "common/qt/up_down_buttons.h"
#include "common/scratch_folder.h"
#include "qt_test_app.h"

namespace fs = std::filesystem;
using namespace sorae;

namespace {

QStringList Entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

class PastImageBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureApplication();
        pics = scratch.path() / "pics";
        WritePasses();
        display = std::make_unique<ImageDisplay>();
        display->resize(1040, 500);
        display->show();
        browser = std::make_unique<PastImageBrowser>(QString::fromStdString(pics.string()),
                                                     display.get(), nullptr, QDate(2024, 3, 9));
        PastImageBrowser::Hooks hooks;
        hooks.receptionActive = [this] { return receiving; };
        hooks.resetForNewPass = [this] {
            ++resets;
            display->resetForNewPass();
        };
        hooks.setStatusText = [this](const QString& t) { status << t; };
        hooks.showError = [this](const QString& t) { errors << t; };
        browser->setHooks(hooks);
        list = browser->findChild<QListWidget*>("ListBox1");
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override {
        browser.reset();
        display.reset();
    }

    // The pictures are made by the pass picture code itself.
    void WritePasses() {
        auto store = std::make_unique<LineStore>();
        for (int ch = 0; ch < 2; ++ch)
            for (int w = 0; w < kWordsPerChannel; ++w)
                for (int l = 0; l < 40; ++l) store->at(ch, w, l) = 6.0 * (ch == 0 ? 60 : 180);
        store->lineCount = 40;
        store->firstSyncLine = 0;
        store->lastSyncLine = 30;
        PassPictureInputs in;
        in.store = store.get();
        in.rules.minScanLine = 5;
        in.calibrated = true;  // the stored levels as grey, not stretched
        in.picsFolder = pics.string();
        in.pass.satelliteName = "NOAA-19";
        in.pass.maxElevationTime = DayCountFromCivil(2024, 3, 9, 12, 34);
        ASSERT_EQ(BuildPassPictures(in, {}, MakeTitleDrawer()).filesWritten.size(), 2u);
        in.manual = true;
        in.processingTime = DayCountFromCivil(2024, 3, 9, 8, 5);
        store->lastSyncLine = 20;
        ASSERT_EQ(BuildPassPictures(in, {}, {}).filesWritten.size(), 2u);
        in.manual = false;
        in.pass.maxElevationTime = DayCountFromCivil(2024, 3, 10, 1, 2);
        ASSERT_EQ(BuildPassPictures(in, {}, {}).filesWritten.size(), 2u);  // another day
        PictureBuffer lone(1040, 77);
        ASSERT_TRUE(SavePictureJpeg(lone, (pics / "20240309235915B.jpg").string()).ok);
        ASSERT_TRUE(SavePictureJpeg(lone, (pics / "202403091111A.jpg").string()).ok);
    }

    testsupport::ScratchFolder scratch{"sorae-browser-"};  // outlives the browser
    fs::path pics;
    std::unique_ptr<ImageDisplay> display;
    std::unique_ptr<PastImageBrowser> browser;
    QListWidget* list = nullptr;
    bool receiving = false;
    int resets = 0;
    QStringList status, errors;
};

}  // namespace

TEST_F(PastImageBrowserTest, ListsTheDaysPassesFromRealFiles) {
    EXPECT_EQ(browser->windowTitle(), "受信済画像選択");
    EXPECT_TRUE(browser->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(list->toolTip(), "※ダブルクリックで選択");
    EXPECT_EQ(browser->findChild<QLabel*>("Label1")->text(), "2024年");
    EXPECT_EQ(browser->findChild<QLabel*>("Label2")->text(), "3月");
    EXPECT_EQ(Entries(list), (QStringList{"08:05 MANUAL  CH-A CH-B", "12:34 NOAA-19 CH-A CH-B",
                                          "23:59 NOAA-15 CH-B"}));
    browser->ListDay(QDate(2024, 3, 10));
    EXPECT_EQ(Entries(list), QStringList{"01:02 NOAA-19 CH-A CH-B"});
}

TEST_F(PastImageBrowserTest, DoubleClickLoadsBothPicturesOfAnEntry) {
    browser->show();
    QApplication::processEvents();
    list->setCurrentRow(1);
    const QRect rect = list->visualItemRect(list->item(1));
    // an item view takes a double-click only after the press of the first click
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(resets, 1);
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(status, (QStringList{"CH-A 画像ファイル読み込み中...",
                                   "CH-B 画像ファイル読み込み中...", ""}));
    EXPECT_EQ(display->picture(0).height(), 30);
    EXPECT_EQ(display->picture(1).height(), 30);
    EXPECT_EQ(display->pictureHeight(), 30);
    // channel levels survive the round trip; the picture is centred in the 500-row view
    EXPECT_NEAR(qGreen(display->viewImage(0).pixel(900, 250 - 15 + 25)), 60, 3);
    EXPECT_NEAR(qGreen(display->viewImage(1).pixel(900, 250 - 15 + 25)), 180, 3);
}

TEST_F(PastImageBrowserTest, LoneChannelBAndManualEntriesLoad) {
    list->setCurrentRow(2);
    browser->loadSelected();
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(display->pictureHeight(), 77);
    EXPECT_EQ(status, (QStringList{"CH-B 画像ファイル読み込み中...", ""}));
    list->setCurrentRow(0);
    browser->loadSelected();
    EXPECT_EQ(display->pictureHeight(), 20);
    EXPECT_EQ(resets, 2);
    // a later pass saved under the same name, numbered
    ASSERT_TRUE(SavePictureJpeg(PictureBuffer(1040, 55), (pics / "20240309235915B-2.jpg").string()).ok);
    browser->RefreshList();
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(3)->text(), "23:59 NOAA-15 CH-B (2)");
    list->setCurrentRow(3);
    browser->loadSelected();
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(display->pictureHeight(), 55);
}

TEST_F(PastImageBrowserTest, RefusesToLoadWhileReceivingAndReportsUnreadableFiles) {
    receiving = true;
    list->setCurrentRow(1);
    browser->loadSelected();
    EXPECT_EQ(errors, QStringList{"信号受信中のため画像を読み込めません"});
    EXPECT_EQ(resets, 0);

    receiving = false;
    errors.clear();
    std::ofstream(pics / "20240309123419A.jpg", std::ios::trunc) << "broken";
    fs::remove(pics / "20240309123419B.jpg");
    fs::rename(pics / "20240309123419A.jpg", pics / "20240309123419A.jpg");
    browser->RefreshList();
    list->setCurrentRow(1);
    browser->loadSelected();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("20240309123419A.jpg"));
    EXPECT_EQ(status.back(), "");
}

TEST_F(PastImageBrowserTest, FailedLoadKeepsThePicturesShownAndSaysWhyInJapanese) {
    list->setCurrentRow(1);
    browser->loadSelected();
    ASSERT_EQ(display->pictureHeight(), 30);
    struct Case {
        const char* file;
        bool corrupt;  // else removed
        QString message;
    };
    for (const Case& c : {Case{"202403090805MNB.jpg", false, "画像ファイルが見つかりません\n"},
                          Case{"202403090805MNA.jpg", true, "画像ファイルを読み込めません\n"}}) {
        SCOPED_TRACE(c.file);
        if (c.corrupt)
            std::ofstream(pics / c.file, std::ios::trunc) << "broken";
        else
            fs::remove(pics / c.file);
        errors.clear();
        list->setCurrentRow(0);  // the manual pair
        browser->loadSelected();
        ASSERT_EQ(errors.size(), 1);
        EXPECT_EQ(errors[0], c.message + QString::fromStdString((pics / c.file).string()));
        EXPECT_EQ(resets, 1);
        EXPECT_EQ(display->pictureHeight(), 30);  // the pair shown before is still there
        EXPECT_EQ(status.back(), "");
    }
}

TEST_F(PastImageBrowserTest, ClickingADayListsItsPasses) {
    browser->findChild<QCalendarWidget*>("CCalendar1")->setSelectedDate(QDate(2024, 3, 10));
    EXPECT_EQ(Entries(list), QStringList{"01:02 NOAA-19 CH-A CH-B"});
    list->setCurrentRow(0);
    browser->loadSelected();
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(display->pictureHeight(), 20);
}

TEST_F(PastImageBrowserTest, MonthChangesMoveAMissingDayToTheMonthsEnd) {
    browser->setMonth(1);
    browser->findChild<QCalendarWidget*>("CCalendar1")->setSelectedDate(QDate(2024, 1, 31));
    auto* month = browser->findChild<UpDownButtons*>("UpDown2");
    ASSERT_NE(month, nullptr);
    month->upButton()->click();  // February of a leap year
    EXPECT_EQ(browser->selectedDate(), QDate(2024, 2, 29));
    EXPECT_EQ(browser->findChild<QLabel*>("Label2")->text(), "2月");
    browser->findChild<QCalendarWidget*>("CCalendar1")->setSelectedDate(QDate(2024, 3, 31));
    browser->setMonth(4);
    EXPECT_EQ(browser->selectedDate(), QDate(2024, 4, 30));
    browser->findChild<QCalendarWidget*>("CCalendar1")->setSelectedDate(QDate(2023, 1, 31));
    browser->setMonth(2);
    EXPECT_EQ(browser->selectedDate(), QDate(2023, 2, 28));
    browser->findChild<UpDownButtons*>("UpDown1")->upButton()->click();
    EXPECT_EQ(browser->selectedDate(), QDate(2024, 2, 28));
    EXPECT_EQ(browser->findChild<QLabel*>("Label1")->text(), "2024年");
}

TEST_F(PastImageBrowserTest, MissingFolderKeepsTheList) {
    const QStringList before = Entries(list);
    fs::remove_all(pics);
    browser->RefreshList();
    EXPECT_EQ(Entries(list), before);
}
