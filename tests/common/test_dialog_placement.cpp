// Centring a dialog on its window: integer halves truncated toward zero,
// the parent's top-level window rather than the parent itself, and a
// dialog without parent left alone.
#include <gtest/gtest.h>

#include <QDialog>
#include <QWidget>

#include "common/qt/dialog_placement.h"
#include "common/qt_application.h"

namespace sorae {
namespace {

TEST(DialogPlacementTest, CentredCornerUsesTruncatedHalves) {
    EXPECT_EQ(centredTopLeft(QRect(100, 50, 1062, 727), QSize(301, 400)),
              QPoint(100 + 531 - 150, 50 + 363 - 200));
    // A window partly off the left and top of the screen.
    EXPECT_EQ(centredTopLeft(QRect(-100, -50, 301, 201), QSize(101, 51)),
              QPoint(-100 + 150 - 50, -50 + 100 - 25));
    // A dialog larger than its window sticks out on both sides.
    EXPECT_EQ(centredTopLeft(QRect(0, 0, 200, 100), QSize(401, 301)), QPoint(100 - 200, 50 - 150));
}

TEST(DialogPlacementTest, DialogGoesToTheMiddleOfItsParentsWindow) {
    testsupport::ensureApplication();
    QWidget window;
    window.setGeometry(200, 120, 800, 600);
    auto* panel = new QWidget(&window);  // the dialog's parent, inside the window
    panel->setGeometry(10, 10, 100, 100);
    QDialog dialog(panel);
    dialog.resize(301, 201);

    centreOnParentWindow(dialog);
    const QRect frame = window.frameGeometry();
    const QSize size = dialog.frameGeometry().size();
    EXPECT_EQ(dialog.frameGeometry().topLeft(),
              QPoint(frame.left() + frame.width() / 2 - size.width() / 2,
                     frame.top() + frame.height() / 2 - size.height() / 2));

    QWidget other;
    other.setGeometry(0, 0, 400, 300);
    centreOn(dialog, other);
    EXPECT_EQ(dialog.frameGeometry().topLeft(), centredTopLeft(other.frameGeometry(), size));
}

TEST(DialogPlacementTest, DialogWithoutParentStaysWhereItIs) {
    testsupport::ensureApplication();
    QDialog dialog;
    dialog.setGeometry(33, 44, 300, 200);
    const QPoint before = dialog.frameGeometry().topLeft();
    centreOnParentWindow(dialog);
    EXPECT_EQ(dialog.frameGeometry().topLeft(), before);
}

}  // namespace
}  // namespace sorae
