// The list of recording devices as the program numbers them (Wave/Input):
// row 0 is the system's default source, then one row per source that Qt
// Multimedia lists, in its order. The input dialog shows this list and the
// capture opens from it, so both always agree on what a row means.
#pragma once

#include <QAudioDevice>
#include <QList>

namespace sorae {

QList<QAudioDevice> recordingDeviceList();
// The device of a row; a null device when the row does not exist.
QAudioDevice recordingDeviceForRow(int row);

}  // namespace sorae
