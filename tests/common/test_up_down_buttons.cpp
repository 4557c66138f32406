// The shared up-down buttons: clamped positions, which signals a click
// gives at the ends and inside the range, and the repeat switch.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QToolButton>

#include "common/qt/up_down_buttons.h"
#include "common/qt_application.h"

namespace sorae {
namespace {

class UpDownButtonsTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::ensureApplication(); }
};

TEST_F(UpDownButtonsTest, StartAndSetPositionsAreClampedQuietly) {
    UpDownButtons below(1, 60, 0);
    EXPECT_EQ(below.position(), 1);
    UpDownButtons above(1, 60, 61);
    EXPECT_EQ(above.position(), 60);

    QSignalSpy moved(&above, &UpDownButtons::positionChanged);
    above.setPosition(500);  // already at the top: nothing moves
    EXPECT_EQ(moved.count(), 0);
    above.setPosition(-3);
    EXPECT_EQ(above.position(), 1);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 1);
}

TEST_F(UpDownButtonsTest, ClickStepsByOneAndTellsTheArrow) {
    UpDownButtons buttons(0, 900, 450);
    EXPECT_EQ(buttons.upButton()->objectName(), "up");
    EXPECT_EQ(buttons.downButton()->objectName(), "down");
    QSignalSpy moved(&buttons, &UpDownButtons::positionChanged);
    QSignalSpy clicked(&buttons, &UpDownButtons::clicked);
    // The position has moved by the time a click is reported.
    int positionAtClick = -1;
    QObject::connect(&buttons, &UpDownButtons::clicked, [&] { positionAtClick = buttons.position(); });

    buttons.upButton()->click();
    EXPECT_EQ(buttons.position(), 451);
    EXPECT_EQ(positionAtClick, 451);
    buttons.downButton()->click();
    buttons.downButton()->click();
    EXPECT_EQ(buttons.position(), 449);
    ASSERT_EQ(clicked.count(), 3);
    EXPECT_TRUE(clicked.at(0).at(0).toBool());
    EXPECT_FALSE(clicked.at(2).at(0).toBool());
    EXPECT_EQ(moved.count(), 3);
}

TEST_F(UpDownButtonsTest, ClickAtAnEndIsReportedButMovesNothing) {
    UpDownButtons buttons(1, 12, 12);
    QSignalSpy moved(&buttons, &UpDownButtons::positionChanged);
    QSignalSpy clicked(&buttons, &UpDownButtons::clicked);
    buttons.upButton()->click();
    EXPECT_EQ(buttons.position(), 12);
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(UpDownButtonsTest, RepeatIsOnUntilSwitchedOff) {
    UpDownButtons buttons(0, 10, 5);
    EXPECT_TRUE(buttons.upButton()->autoRepeat());
    EXPECT_TRUE(buttons.downButton()->autoRepeat());
    buttons.setAutoRepeat(false);
    EXPECT_FALSE(buttons.upButton()->autoRepeat());
    EXPECT_FALSE(buttons.downButton()->autoRepeat());
}

TEST_F(UpDownButtonsTest, ButtonsStayTogetherInATallLayout) {
    QWidget group;
    auto* layout = new QHBoxLayout(&group);
    auto* buttons = new UpDownButtons(0, 10, 5);
    layout->addWidget(buttons);
    group.resize(200, 120);
    group.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(buttons->height(), 22);
    EXPECT_EQ(buttons->downButton()->y(), buttons->upButton()->y() + buttons->upButton()->height());
}

}  // namespace
}  // namespace sorae
