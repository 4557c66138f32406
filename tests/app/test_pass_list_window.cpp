// The pass list window as the program wires it: opened from the orbit
// settings, judged against the scheduler's own table, and a chosen pass
// drawn on the map until the choice goes.
#include "test_schedule_support.h"

#include <QCheckBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>

#include "app/map_controller.h"
#include "common/window_shot.h"
#include "app/message_panel.h"
#include "app/status_panels.h"
#include "app/schedule_wiring.h"
#include "app/scheduler_controller.h"
#include "orbit/pass_countdown.h"
#include "orbit/qt/orbit_settings_dialog.h"
#include "orbit/qt/pass_list_dialog.h"
#include "orbit/qt/sky_plot_widget.h"
#include "orbit/reception_scheduler.h"

using namespace sorae;
using namespace sorae::testing;

TEST(PassListWindow, FollowsTheSchedulerTableAndDrawsTheChosenPass) {
    ensureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    prepareFolder(dir);
    setProgramClockTo(unixFromStation(StationTimeFromUtc(UtcInstant{2019, 1, 25, 0, 0, 0})));
    MainWindow window(windowOptions(dir));
    createOrbitSettingsForm(window);
    FakeReception reception(window);
    const ScheduleParts parts = installScheduling(window, reception);
    QSignalSpy computed(parts.scheduler, &SchedulerController::passesComputed);
    ASSERT_TRUE(computed.wait(120000));
    window.show();

    auto* orbit = window.findChild<OrbitSettingsDialog*>(QStringLiteral("TForm3"));
    auto* list = window.findChild<PassListDialog*>(QStringLiteral("TForm11"));
    ASSERT_TRUE(orbit && list);
    orbit->open();
    orbit->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    ASSERT_TRUE(list->isVisible());

    // The received rows are the scheduler's filled slots, one each.
    const PassMemory& memory = parts.scheduler->passMemory();
    int filled = 0;
    for (int k = 0; k < 2 * memory.satelliteCount; ++k)
        filled += !memory.table[std::size_t(k)].satellite.empty();
    auto* table = list->findChild<QTableWidget*>(QStringLiteral("ListView1"));
    ASSERT_EQ(table->rowCount(), int(list->passList().passes.size()));
    int inTable = 0;
    for (const ListedPass& p : list->passList().passes) {
        if (p.tableSlot >= 0) {
            ++inTable;
            EXPECT_EQ(memory.table[std::size_t(p.tableSlot)].start, p.start);
        }
    }
    EXPECT_EQ(inTable, filled);
    EXPECT_GT(table->rowCount(), filled);

    table->selectRow(0);
    const auto& chosen = parts.map->selectedPass();
    ASSERT_TRUE(chosen.has_value());
    const ListedPass& first = list->passList().passes[0];
    EXPECT_EQ(chosen->name, first.satellite + " " + FormatTimeOfDay(first.start).substr(0, 5));
    const auto* sky = list->findChild<SkyPlotWidget*>();
    EXPECT_EQ(chosen->points.size(), sky->track().size());
    EXPECT_GT(chosen->points.size(), 10u);

    // Our own window speaks Japanese and gives each pass's duration.
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c) headers << table->horizontalHeaderItem(c)->text();
    for (const QString& header : headers) {
        EXPECT_FALSE(header.contains(QRegularExpression(QStringLiteral("^[A-Za-z ]+$")))) << header.toStdString();
    }
    const int durationColumn = int(headers.indexOf(QStringLiteral("通過時間")));
    ASSERT_GE(durationColumn, 0);
    EXPECT_EQ(table->item(0, durationColumn)->text(), QString::fromStdString(PassDurationText(first.start, first.end)));
    auto* countdown = list->findChild<QLabel*>(QStringLiteral("NextPassCountdown"));
    ASSERT_NE(countdown, nullptr);
    EXPECT_TRUE(countdown->text().startsWith(QStringLiteral("次の通過 ") + QString::fromStdString(first.satellite) +
                                             QStringLiteral(" あと ")))
        << countdown->text().toStdString();
    // At the first pass's culmination the plot shows that satellite up,
    // where the list says it culminates, and the countdown runs to its loss.
    setProgramClockTo(unixFromStation(first.culmination));
    QTest::qWait(1300);
    bool seen = false;
    for (const SkyPlotWidget::Satellite& s : sky->satellitesNow()) {
        EXPECT_GT(s.elevationDeg, 0.0);
        if (s.name.toStdString() != first.satellite) continue;
        seen = true;
        EXPECT_NEAR(s.elevationDeg, first.maximumElevationDeg, 0.5);
        EXPECT_NEAR(s.azimuthDeg, first.culminationAzimuthDeg, 3.0);
    }
    EXPECT_TRUE(seen);
    sorae::testsupport::MaybeSaveWindowShot(*list, "pass_list.png");
    EXPECT_TRUE(countdown->text().contains(QStringLiteral("通過中 残り "))) << countdown->text().toStdString();
    // The status bar counts down to the scheduler's next pass, at panel 0's end.
    const QString note = window.statusPanels().messages()->note();
    EXPECT_TRUE(note.startsWith(QString::fromStdString(memory.table[0].satellite) + " ")) << note.toStdString();
    EXPECT_TRUE(note.contains(QStringLiteral("あと ")) || note.contains(QStringLiteral("通過中 残り "))) << note.toStdString();
    setProgramClockTo(unixFromStation(StationTimeFromUtc(UtcInstant{2019, 1, 25, 0, 0, 0})));

    // A week is listed afresh; the old choice leaves the map.
    const int dayRows = table->rowCount();
    list->findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
    EXPECT_GT(table->rowCount(), 5 * dayRows);
    EXPECT_FALSE(parts.map->selectedPass().has_value());
    table->selectRow(3);
    EXPECT_TRUE(parts.map->selectedPass().has_value());
    list->reject();
    EXPECT_FALSE(parts.map->selectedPass().has_value());
    setClockOffsetSeconds(0);
}
