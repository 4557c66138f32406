#pragma once
#include <QString>
#include <qglobal.h>
#include <quadmath.h>
