// One QApplication for the widget tests (the gtest main does not make one).
#pragma once

#include <QApplication>

namespace sorae::test {

inline void EnsureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_imaging";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace sorae::test
