// Switches, tunes and sets up the receiver for the rest of the program.
// Every request becomes a job of the SequenceRunner, played on the GUI
// thread by a timer: the waits the receivers need are kept without blocking
// the window, and a request made while a sequence runs waits its turn.
//
// The model, port, antenna and volume come from the AppSettings handed in,
// read when the request is made.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

#include "receiver/sequence_runner.h"
#include "receiver/serial_link.h"
#include "settings/app_settings.h"

namespace sorae {

class ReceiverController : public QObject {
    Q_OBJECT
public:
    // Without a link of its own the controller drives the real serial port.
    explicit ReceiverController(AppSettings& settings, std::unique_ptr<SerialLink> link = {},
                                QObject* parent = nullptr);
    ~ReceiverController() override;

    // Switches on the configured model and tunes it. False, doing nothing,
    // when the receiver is already on (decided once earlier requests have
    // run); true otherwise, also when the port then fails to open (a
    // statusMessage tells of that).
    bool powerOn(double frequencyMHz);
    // Same with the frequency of the frequency source (the next pass).
    bool powerOn();
    // Switches the configured model off. False, doing nothing, when off.
    bool powerOff();
    bool powerOffModel(int model);

    // After a change of port or model: if the receiver is on, switch off
    // `oldModel`, wait 100 ms and switch on with the current settings.
    void restartIfOn(int oldModel);

    // Antenna terminal n of the AR-5000, sent only while on and n > 0.
    void setAntenna(int terminal);
    // IC-PCR volume, sent only while on.
    void setVolumePcr(int volume);

    // Powers the configured model off before the program ends and returns
    // once that is done, or after `limit`, when it gives up and closes.
    void powerOffForShutdown(std::chrono::milliseconds limit = std::chrono::seconds(12));

    // The receiver counts as on while its port is open.
    bool isOn() const;
    // A sequence is running or waiting.
    bool busy() const { return runner_.busy(); }

    // Where powerOn() takes its frequency from (the next pass); until set,
    // the frequency of the last powerOn(MHz), first 137.1 MHz.
    void setFrequencySource(std::function<double()> source) { frequencySource_ = std::move(source); }

    SerialLink& link() { return *link_; }

signals:
    // A text for the status bar (failures of the port).
    void statusMessage(const QString& text);
    // All requested sequences have been played.
    void idle();

private:
    void request(SequenceRunner::JobBuilder job);
    void pump();
    void onRunnerEvent(const RunnerEvent& event);
    PowerOnParameters powerOnParameters(double frequencyMHz) const;
    SequenceRunner::Time now() const;

    AppSettings& settings_;
    std::unique_ptr<SerialLink> link_;
    SequenceRunner runner_;
    QTimer timer_;
    QElapsedTimer clock_;
    bool pumping_ = false;
    double lastFrequencyMHz_ = 137.1;
    std::function<double()> frequencySource_;
};

}  // namespace sorae
