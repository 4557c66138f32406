#include "orbit/qt/colour_panel.h"
