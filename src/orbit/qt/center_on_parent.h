// Places a dialog over the middle of the main window, with integer halves.
#pragma once

#include <QWidget>

namespace sorae {

inline void centerOnParent(QWidget* dialog) {
    QWidget* main = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (!main) return;
    const QRect m = main->frameGeometry();
    const int top = m.top() + m.height() / 2 - dialog->frameGeometry().height() / 2;
    const int left = m.left() + m.width() / 2 - dialog->frameGeometry().width() / 2;
    dialog->move(left, top);
}

}  // namespace sorae
