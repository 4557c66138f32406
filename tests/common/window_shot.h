// Saves a picture of a window when SORAE_WINDOW_SHOTS names a folder, so
// that a run under a real X server can be looked at afterwards.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdlib>

namespace sorae::testsupport {

inline void MaybeSaveWindowShot(QWidget& window, const char* name) {
    if (const char* dir = std::getenv("SORAE_WINDOW_SHOTS"))
        window.grab().save(QString::fromLocal8Bit(dir) + "/" + QString::fromLatin1(name));
}

}  // namespace sorae::testsupport
