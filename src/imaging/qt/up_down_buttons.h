// The up-down arrow buttons of the imaging dialogs are the shared widget.
#pragma once

#include "common/qt/up_down_buttons.h"
