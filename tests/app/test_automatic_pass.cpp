// An automatic pass end to end in the real window: the program clock places
// a pass of the real element file a moment ahead, automatic reception and
// receiver control are on with the receiver on a pseudo-terminal. The
// scheduler starts the reception and switches the receiver on, generated
// APT blocks go through the window's block handler, the pass ends one
// second after its end time, the receiver is switched off and both pictures
// and the pass sound are saved under the pass's names.
#include "test_schedule_support.h"
#include "test_reception_support.h"

#include <QSignalSpy>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/map_controller.h"
#include "app/overlay_controller.h"
#include "app/window_georeference.h"
#include "app/program_forms.h"
#include "app/reception_controller.h"
#include "app/scheduler_controller.h"
#include "imaging/picture_naming.h"
#include "receiver/command_sequence.h"
#include "receiver/qt/receiver_controller.h"

using namespace sorae;
using namespace sorae::testing;
namespace fs = std::filesystem;

namespace {

std::set<std::string> filesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.insert(entry.path().filename().string());
    return names;
}

TEST(AutomaticPass, ScheduledPassIsReceivedDecodedAndSavedWithTheReceiverSwitched) {
    ensureApp();
    struct ClockBack {
        ~ClockBack() { setClockOffsetSeconds(0); }
    } clockBack;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    prepareFolder(dir);
    const fs::path folder = dir.path().toStdString();
    std::ofstream(folder / "sorae-apt.ini") << "[Pic]\r\nMinScanLine=100\r\n";

    const PassComputation ahead = fixturePasses(UtcInstant{2019, 1, 25, 0, 0, 0});
    ASSERT_TRUE(ahead.ok);
    setProgramClockTo(unixFromStation(ahead.table[0].start) - 120);

    MainWindow window(windowOptions(dir));
    createProgramForms(window);
    auto* reception = window.findChild<ReceptionController*>();
    ASSERT_NE(reception, nullptr) << "the forms create the pass reception";
    reception->setFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
    auto* scheduler = window.findChild<SchedulerController*>();
    ASSERT_NE(scheduler, nullptr) << "the forms install the scheduler after the reception";
    auto* map = window.findChild<MapController*>();
    ASSERT_NE(map, nullptr);
    window.show();
    window.blockHandler().setWarmUpCounter(33);

    QSignalSpy computed(scheduler, &SchedulerController::passesComputed);
    ASSERT_TRUE(computed.wait(120000));
    const PassInfo pass = scheduler->passTable()[0];
    const std::int64_t start = unixFromStation(pass.start);
    const std::int64_t end = unixFromStation(pass.end);

    PseudoTerminal pty;
    ASSERT_FALSE(pty.path.empty());
    window.settings().autoCont = true;
    window.settings().type = 0;
    window.settings().portName = pty.path;
    window.speedButton(1)->setChecked(true);

    setProgramClockTo(start - 2);
    QTRY_VERIFY_WITH_TIMEOUT(window.reception().receptionActive, 10000);
    EXPECT_FALSE(window.reception().manualReception);
    EXPECT_EQ(reception->currentPass(), pass);
    ReceiverController& receiver = *window.findChild<ReceiverController*>();
    QTRY_VERIFY_WITH_TIMEOUT(!receiver.busy(), 10000);
    PowerOnParameters on;
    on.portName = pty.path;
    on.frequencyMHz = pass.frequencyMHz;
    on.antenna = window.settings().antNum;
    on.pcrVolume = window.settings().volPcr;
    EXPECT_EQ(pty.drain(), sentText(powerOnSequence(0, on)));

    // The map is in its pass layout: the globe inset framed at the right.
    QTRY_VERIFY_WITH_TIMEOUT(map->renderer().lastDrawnMapMode(), 5000);

    // Two minutes of signal through the block handler.
    receptiontest::BlockSource source(testsignal::SignalKind::Audio, 240);
    int blocks = 0;
    while (const std::int16_t* block = source.next()) {
        window.blockHandler().handleBlock(block, source.framesPerBlock());
        ++blocks;
    }
    EXPECT_GT(blocks, 100);
    EXPECT_TRUE(window.reception().receptionActive) << "still within the pass";
    EXPECT_TRUE(reception->syncConfirmed());
    const QImage screen = reception->display().screenImage();
    if (qEnvironmentVariableIsSet("SORAE_SHOT")) screen.save(qEnvironmentVariable("SORAE_SHOT"));
    EXPECT_EQ(QColor(screen.pixel(screen.width() - 320, 20)), QColor(Qt::white)) << "inset frame";

    QSignalSpy built(reception, &ReceptionController::picturesBuilt);
    setProgramClockTo(end - 1);
    ASSERT_TRUE(built.wait(15000));
    EXPECT_GE(programUnixSeconds(), end + 2);
    EXPECT_FALSE(window.reception().receptionActive);
    QTRY_VERIFY_WITH_TIMEOUT(!receiver.busy() && !receiver.isOn(), 10000);
    EXPECT_EQ(pty.drain(), sentText(powerOffSequence(0)));

    const std::string stem =
        FormatFileStamp(CivilMinuteFromDayCount(pass.timeOfMaximum.days)) + SatellitePart(pass.satellite, false);
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(folder / "pics" / (stem + ".flac")), 10000);
    EXPECT_EQ(filesIn(folder / "pics"), (std::set<std::string>{stem + "A.jpg", stem + "B.jpg", stem + ".flac"}));

    // The pictures are placed on Earth from the pass and the clock: with the
    // orbit view released the pointer over the picture is located.
    auto* georeference = window.findChild<WindowGeoreference*>();
    ASSERT_NE(georeference, nullptr);
    EXPECT_FALSE(georeference->lastNote().empty());
    EXPECT_EQ(georeference->lastNote().find("no map overlay"), std::string::npos) << georeference->lastNote();
    // (saving the pictures put them in front of the map already)
    window.speedButton(6)->setChecked(false);
    ASSERT_FALSE(reception->display().orbitViewShown());
    auto* overlay = window.findChild<OverlayController*>();
    ASSERT_NE(overlay, nullptr);
    const QString where = overlay->positionTextAt(QPointF(reception->display().width() / 2.0, reception->display().height() / 2.0));
    EXPECT_TRUE(where.startsWith(QStringLiteral("北緯")) || where.startsWith(QStringLiteral("南緯")))
        << where.toStdString();

    // And the table moves on to the next pass.
    QTRY_VERIFY_WITH_TIMEOUT(scheduler->passTableValid() && !(scheduler->passTable()[0] == pass), 120000);
}

}  // namespace
