// One QApplication for the Qt tests of this folder, on the offscreen platform.
#pragma once

#include <QApplication>

namespace sorae::test {

inline QApplication* ensureApp() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

}  // namespace sorae::test
