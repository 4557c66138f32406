// The messages the sound devices report to the user, and the default way of
// reporting them: a warning beep followed by a modal error box with OK.
#pragma once

#include <QString>
#include <functional>

namespace sorae {

using FailureReporter = std::function<void(const QString& message)>;

QString captureOpenFailedMessage();   // the recording device cannot be opened
QString playbackOpenFailedMessage();  // the playback device cannot be used
QString outOfMemoryMessage();         // buffers cannot be obtained
QString captureStoppedMessage();      // the recording device stopped by itself
QString captureRestoredMessage();     // ... and is recording again
// The saved recording device `name` is not there; the default one is used.
QString savedDeviceMissingMessage(const QString& name);
QString soundMixerMissingMessage();   // no mixer program to open

// Beep, then a modal error box with an OK button.
void showFailureBox(const QString& message);

}  // namespace sorae
