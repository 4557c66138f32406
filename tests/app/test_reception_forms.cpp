// The program's forms give the pass reception its place: it is created
// first, owns the image area, and its dialogs answer the toolbar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QToolButton>

#include "app/main_window.h"
#include "app/program_clock.h"
#include "app/program_forms.h"
#include "app/reception_controller.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/image_settings_dialog.h"
#include "imaging/qt/past_image_browser.h"
#include "orbit/qt/manual_reception_dialog.h"
#include "common/qt_application.h"

using namespace sorae;

TEST(ReceptionForms, ToolbarOpensThePictureDialogsOfThePassReception) {
    testsupport::ensureApplication();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MainWindowOptions options;
    options.programFolder = dir.path().toStdString();
    options.openSoundDevices = false;
    options.reportFailure = [](const QString&) {};
    MainWindow window(options);
    // 20:30 UT on 24 January is already the 25th at the station: the picture
    // browser opens on the day that today's file stamps carry.
    setClockOverrideSeconds(1548361800);
    createProgramForms(window);
    setClockOverrideSeconds(std::nullopt);

    const auto controllers = window.findChildren<ReceptionController*>();
    ASSERT_EQ(controllers.size(), 1);
    EXPECT_EQ(window.imageArea(), &controllers[0]->display());
    EXPECT_EQ(window.findChildren<ImageDisplay*>().size(), 1);

    auto* browser = window.findChild<PastImageBrowser*>("TForm2");
    auto* settings = window.findChild<ImageSettingsDialog*>("TForm5");
    auto* direction = window.findChild<ManualReceptionDialog*>("TForm6");
    ASSERT_NE(browser, nullptr);
    ASSERT_NE(settings, nullptr);
    ASSERT_NE(direction, nullptr);
    EXPECT_EQ(browser->selectedDate(), QDate(2019, 1, 25));
    // No empty stand-ins are left beside them.
    for (const char* name : {"TForm2", "TForm5", "TForm6"})
        EXPECT_EQ(window.findChildren<QDialog*>(name, Qt::FindDirectChildrenOnly).size(), 1) << name;

    // Both stay open beside the window without blocking it.
    window.speedButton(5)->click();
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(browser->windowModality(), Qt::NonModal);
    window.speedButton(3)->click();
    EXPECT_TRUE(settings->isVisible());
    EXPECT_EQ(settings->windowModality(), Qt::NonModal);
    browser->close();
    settings->close();

    // The stretch button reaches the display.
    window.speedButton(9)->setChecked(!window.speedButton(9)->isChecked());
    EXPECT_EQ(controllers[0]->display().stretch(), window.speedButton(9)->isChecked());
}
