#include "receiver/qt/dialog_placement.h"

#include <QWidget>

namespace sorae {

void centreOn(QWidget& dialog, const QWidget& anchor)
{
    const QRect outer = anchor.frameGeometry();
    const QRect own = dialog.frameGeometry();
    const int top = outer.top() + outer.height() / 2 - own.height() / 2;
    const int left = outer.left() + outer.width() / 2 - own.width() / 2;
    dialog.move(left, top);
}

}  // namespace sorae
