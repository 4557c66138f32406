#include "capture/qt/recording_devices.h"

#include <QMediaDevices>

#include "capture/qt/server_default_source.h"

namespace sorae {

QAudioDevice defaultRecordingDevice() {
    const QByteArray serverDefault = serverDefaultSourceId();
    if (!serverDefault.isEmpty()) {
        for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
            if (device.id() == serverDefault) return device;
        }
    }
    return QMediaDevices::defaultAudioInput();
}

QList<QAudioDevice> recordingDeviceList() {
    QList<QAudioDevice> list;
    list.append(defaultRecordingDevice());
    list.append(QMediaDevices::audioInputs());
    return list;
}

QAudioDevice recordingDeviceForRow(int row) {
    if (row == 0) {
        return defaultRecordingDevice();
    }
    const auto inputs = QMediaDevices::audioInputs();
    if (row < 1 || row > inputs.size()) {
        return {};
    }
    return inputs.at(row - 1);
}

QAudioDevice recordingDeviceById(const QByteArray& id) {
    if (id.isEmpty()) return defaultRecordingDevice();
    for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
        if (device.id() == id) return device;
    }
    return {};
}

int recordingRowOf(const QByteArray& id) {
    if (id.isEmpty()) return 0;
    const auto inputs = QMediaDevices::audioInputs();
    for (int i = 0; i < inputs.size(); ++i) {
        if (inputs[i].id() == id) return i + 1;
    }
    return -1;
}

StoredRecordingDevice storedRecordingDevice(int row, const std::string& name) {
    if (!name.empty()) {
        const QByteArray id = QByteArray::fromStdString(name);
        if (recordingRowOf(id) > 0) return {id, {}};
        return {{}, QString::fromStdString(name)};
    }
    if (row == 0) return {};
    const QAudioDevice device = recordingDeviceForRow(row);
    if (device.isNull()) return {{}, QStringLiteral("番号%1").arg(row)};
    return {device.id(), {}};
}

}  // namespace sorae
