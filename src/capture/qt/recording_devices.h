// The list of recording devices as the program numbers them (Wave/Input):
// row 0 is the sound server's default source, then one row per source that
// Qt Multimedia lists, in its order. Rows move when sources come and go, so
// a device is kept by its id (QAudioDevice::id(), the server's source name;
// Wave/InputName) and the row is only where it shows today.
#pragma once

#include <QAudioDevice>
#include <QByteArray>
#include <QList>
#include <QString>
#include <string>

namespace sorae {

// The source that records when the default is asked for: the server's own
// default when Qt lists it, else what Qt thinks the default is.
QAudioDevice defaultRecordingDevice();
QList<QAudioDevice> recordingDeviceList();
// The device of a row; a null device when the row does not exist.
QAudioDevice recordingDeviceForRow(int row);
// The listed device with this id, the default one for an empty id; a null
// device when no such source is listed.
QAudioDevice recordingDeviceById(const QByteArray& id);
// The row a device id shows in today (0 for the default), or -1.
int recordingRowOf(const QByteArray& id);

// What the settings ask to record from: the device called `name` when it
// is set; a row alone (files written before names were kept) when that row
// exists. When the saved device is gone the default is taken and `missing`
// names what was asked for, so the user can be told.
struct StoredRecordingDevice {
    QByteArray id;    // empty: the default source
    QString missing;  // empty: the saved device was found
};
StoredRecordingDevice storedRecordingDevice(int row, const std::string& name);

}  // namespace sorae
