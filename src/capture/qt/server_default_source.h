// The sound server's own default recording source. Qt Multimedia's idea of
// the default input (QMediaDevices::defaultAudioInput) does not follow the
// PulseAudio server here and often names the first source instead, so the
// server is asked directly with its command-line client.
#pragma once

#include <QByteArray>

namespace sorae {

// The server's name of its default source, which is what QAudioDevice::id()
// holds for that source; empty when the server cannot be asked.
QByteArray serverDefaultSourceId();

}  // namespace sorae
