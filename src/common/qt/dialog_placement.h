// Placing a dialog over the window it belongs to.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace sorae {

// The top-left corner that centres `inner` on `outer`: top = outer top +
// outer height / 2 - inner height / 2, left likewise, each half truncated
// toward zero.
QPoint centredTopLeft(const QRect& outer, const QSize& inner);

// Moves `dialog` so that its frame is centred on the frame of `anchor`.
void centreOn(QWidget& dialog, const QWidget& anchor);

// Centres `dialog` on the top-level window of its parent; a dialog without
// a parent stays where it is.
void centreOnParentWindow(QWidget& dialog);

}  // namespace sorae
