// Placing a dialog over the window it belongs to.
#pragma once

class QWidget;

namespace sorae {

// Centres `dialog` on `anchor`: top = anchor top + anchor height / 2 -
// dialog height / 2, left likewise, each half truncated toward zero.
void centreOn(QWidget& dialog, const QWidget& anchor);

}  // namespace sorae
