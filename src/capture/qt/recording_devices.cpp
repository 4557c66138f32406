#include "capture/qt/recording_devices.h"

#include <QMediaDevices>

namespace sorae {

QList<QAudioDevice> recordingDeviceList() {
    QList<QAudioDevice> list;
    list.append(QMediaDevices::defaultAudioInput());
    list.append(QMediaDevices::audioInputs());
    return list;
}

QAudioDevice recordingDeviceForRow(int row) {
    if (row == 0) {
        return QMediaDevices::defaultAudioInput();
    }
    const auto inputs = QMediaDevices::audioInputs();
    if (row < 1 || row > inputs.size()) {
        return {};
    }
    return inputs.at(row - 1);
}

}  // namespace sorae
