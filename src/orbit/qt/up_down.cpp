#include "orbit/qt/up_down.h"
