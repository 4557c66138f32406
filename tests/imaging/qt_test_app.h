// The widget tests of this folder make their application through the
// shared helper.
#pragma once

#include "common/qt_application.h"

namespace sorae::test {

inline void EnsureApplication() { testsupport::ensureApplication(); }

}  // namespace sorae::test
