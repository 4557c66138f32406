// The replay dialog ("録音再生"): which recording to replay through the
// window and how - the file (with a file browser), audio or 96 kHz I/Q, the
// satellite and direction of the pass, its start time when the file's name
// or date does not tell it, and the speed. It asks; the replay controller
// acts on the request it hands out.
#pragma once

#include <QDialog>
#include <QString>
#include <optional>

#include "capture/replay_pacing.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace sorae {

struct ReplayRequest {
    QString path;
    bool quadrature = false;  // stereo I/Q, I left and Q right
    std::optional<double> iqCarrierHz;  // unset: found from the first seconds
    bool iqSwap = false;
    QString satellite;        // empty: unknown, replayed as a manual reception
    int direction = 0;        // 0 = N>S, 1 = S>N
    bool directionFromOrbit = false;  // as the satellite flew, north up; else `direction`
    // Station time (day count) of the recording's first sample, when given.
    std::optional<double> startTime;
    ReplaySpeed speed = ReplaySpeed::Real;
};

// "YYYYMMDDHHMM" or "YYYYMMDDHHMMSS" (station time) as a day count.
std::optional<double> parseReplayStartTime(const QString& text);

// A recording reader's message with a Japanese explanation put in front of
// libsndfile's English reason ("Format not recognised." and the like); other
// messages are returned as they are.
QString explainRecordingError(const QString& message);

class ReplayDialog : public QDialog {
    Q_OBJECT
public:
    ReplayDialog(const QStringList& satellites, QWidget* parent);

    // Opens the dialog (window-modal, without waiting) with `path` filled in
    // when one is given, and `speed` chosen.
    void ask(const QString& path, ReplaySpeed speed);
    ReplayRequest request() const;

signals:
    void replayRequested(const sorae::ReplayRequest& request);

private:
    void browse();
    void tryAccept();
    // What the file name tells: its start time shown in station time, and
    // its satellite chosen.
    void readFileName(const QString& path);

    QLineEdit* fileEdit_ = nullptr;
    QCheckBox* quadratureBox_ = nullptr;
    QLineEdit* carrierEdit_ = nullptr;
    QCheckBox* swapBox_ = nullptr;
    QComboBox* satelliteBox_ = nullptr;
    QComboBox* directionBox_ = nullptr;
    QLineEdit* timeEdit_ = nullptr;
    QLabel* nameTimeLabel_ = nullptr;
    QComboBox* speedBox_ = nullptr;
    QLabel* errorLabel_ = nullptr;
};

}  // namespace sorae
