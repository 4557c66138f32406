// The one Qt application object of a test program. GoogleTest's main makes
// none, and widgets, pixmaps and event loops need one; it is made on first
// use, on the offscreen platform unless QT_QPA_PLATFORM says otherwise, and
// lives as long as the program.
#pragma once

#include <QGuiApplication>
#if __has_include(<QApplication>)
#include <QApplication>
#endif

namespace sorae::testsupport {

namespace detail {
inline int& argumentCount() {
    static int argc = 1;
    return argc;
}
inline char** arguments() {
    static char name[] = "sorae-test";
    static char* argv[] = {name, nullptr};
    return argv;
}
inline void useOffscreenUnlessTold() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}
}  // namespace detail

// For test programs that draw but have no widgets (Qt Gui only).
inline QGuiApplication* ensureGuiApplication() {
    if (QCoreApplication::instance() == nullptr) {
        detail::useOffscreenUnlessTold();
        new QGuiApplication(detail::argumentCount(), detail::arguments());
    }
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}

#if __has_include(<QApplication>)
// For test programs with widgets (those that link Qt Widgets).
inline QApplication* ensureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        detail::useOffscreenUnlessTold();
        new QApplication(detail::argumentCount(), detail::arguments());
    }
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}
#endif

}  // namespace sorae::testsupport
