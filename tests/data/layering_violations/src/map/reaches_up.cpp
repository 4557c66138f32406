#include "map/qt/map_renderer.h"
#include "app/main_window.h"
