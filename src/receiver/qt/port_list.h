// The serial ports the system offers, for the port box of the receiver
// dialog.
#pragma once

#include <QStringList>

namespace sorae {

// Device paths of the system's serial ports ("/dev/ttyS0", "/dev/ttyUSB0"),
// in natural order (ttyS2 before ttyS10).
QStringList ListPorts();

}  // namespace sorae
