#include "receiver/qt/port_list.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

namespace sorae {

QStringList ListPorts()
{
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports << info.systemLocation();
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(ports.begin(), ports.end(), [&collator](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    ports.removeDuplicates();
    return ports;
}

}  // namespace sorae
