#include "common/qt/dialog_placement.h"

#include <QWidget>

namespace sorae {

QPoint centredTopLeft(const QRect& outer, const QSize& inner)
{
    return QPoint(outer.left() + outer.width() / 2 - inner.width() / 2,
                  outer.top() + outer.height() / 2 - inner.height() / 2);
}

void centreOn(QWidget& dialog, const QWidget& anchor)
{
    dialog.move(centredTopLeft(anchor.frameGeometry(), dialog.frameGeometry().size()));
}

void centreOnParentWindow(QWidget& dialog)
{
    const QWidget* parent = dialog.parentWidget();
    if (parent == nullptr)
        return;
    centreOn(dialog, *parent->window());
}

}  // namespace sorae
