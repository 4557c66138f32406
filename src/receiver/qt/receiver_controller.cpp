#include "receiver/qt/receiver_controller.h"

#include <thread>

#include "receiver/qt/qt_serial_link.h"
#include "receiver/receiver_commands.h"

namespace sorae {

ReceiverController::ReceiverController(AppSettings& settings, std::unique_ptr<SerialLink> link,
                                       QObject* parent)
    : QObject(parent),
      settings_(settings),
      link_(link ? std::move(link) : std::make_unique<QtSerialLink>()),
      runner_(*link_, [this] { return now(); })
{
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ReceiverController::pump);
    runner_.setEventSink([this](const RunnerEvent& event) { onRunnerEvent(event); });
}

ReceiverController::~ReceiverController()
{
    timer_.stop();
    runner_.setEventSink({});
}

SequenceRunner::Time ReceiverController::now() const
{
    return std::chrono::duration_cast<SequenceRunner::Time>(
        std::chrono::nanoseconds(clock_.nsecsElapsed()));
}

bool ReceiverController::isOn() const
{
    return link_->isOpen();
}

PowerOnParameters ReceiverController::powerOnParameters(double frequencyMHz) const
{
    PowerOnParameters p;
    p.portName = settings_.portName;
    p.frequencyMHz = frequencyMHz;
    p.antenna = settings_.antNum;
    p.pcrVolume = settings_.volPcr;
    return p;
}

bool ReceiverController::powerOn(double frequencyMHz)
{
    lastFrequencyMHz_ = frequencyMHz;
    if (!runner_.busy() && link_->isOpen())
        return false;
    const int model = settings_.type;
    const PowerOnParameters parameters = powerOnParameters(frequencyMHz);
    request([model, parameters](bool open) {
        return open ? CommandSequence{} : powerOnSequence(model, parameters);
    });
    return true;
}

bool ReceiverController::powerOn()
{
    return powerOn(frequencySource_ ? frequencySource_() : lastFrequencyMHz_);
}

bool ReceiverController::powerOff()
{
    return powerOffModel(settings_.type);
}

bool ReceiverController::powerOffModel(int model)
{
    if (!runner_.busy() && !link_->isOpen())
        return false;
    request([model](bool open) { return open ? powerOffSequence(model) : CommandSequence{}; });
    return true;
}

void ReceiverController::restartIfOn(int oldModel)
{
    const int model = settings_.type;
    const PowerOnParameters parameters =
        powerOnParameters(frequencySource_ ? frequencySource_() : lastFrequencyMHz_);
    request([oldModel, model, parameters](bool open) {
        if (!open)
            return CommandSequence{};
        CommandSequence steps = powerOffSequence(oldModel);
        steps.push_back(SequenceStep::wait(100));
        const CommandSequence on = powerOnSequence(model, parameters);
        steps.insert(steps.end(), on.begin(), on.end());
        return steps;
    });
}

void ReceiverController::setAntenna(int terminal)
{
    if (terminal <= 0)
        return;
    request([terminal](bool open) {
        return open ? CommandSequence{SequenceStep::send(antennaCommand(terminal))}
                    : CommandSequence{};
    });
}

void ReceiverController::setVolumePcr(int volume)
{
    request([volume](bool open) {
        return open ? CommandSequence{SequenceStep::send(pcrVolumeCommand(volume))}
                    : CommandSequence{};
    });
}

void ReceiverController::request(SequenceRunner::JobBuilder job)
{
    runner_.enqueue(std::move(job));
    // Start at once when nothing else runs, so a request that fails (an
    // empty port name) fails before the caller goes on.
    if (!pumping_ && !timer_.isActive())
        pump();
}

void ReceiverController::pump()
{
    if (pumping_)
        return;
    pumping_ = true;
    timer_.stop();
    const auto wake = runner_.advance();
    pumping_ = false;
    if (wake) {
        const auto delay = std::chrono::ceil<std::chrono::milliseconds>(*wake - now());
        timer_.start(std::max<std::chrono::milliseconds>(delay, std::chrono::milliseconds(0)));
    } else if (runner_.busy()) {
        // A request arrived from a slot while the runner was at work.
        timer_.start(0);
    } else {
        emit idle();
    }
}

void ReceiverController::powerOffForShutdown(std::chrono::milliseconds limit)
{
    timer_.stop();
    runner_.dropPending();
    const int model = settings_.type;
    runner_.enqueue([model](bool open) { return open ? powerOffSequence(model) : CommandSequence{}; });
    const auto deadline = now() + limit;
    for (;;) {
        const auto wake = runner_.advance();
        const auto current = now();
        if (!wake)
            break;
        if (current >= deadline) {
            runner_.abortAll();
            break;
        }
        const auto until = std::min(*wake, deadline);
        link_->waitForOutput(std::max(std::chrono::ceil<std::chrono::milliseconds>(until - current),
                                      std::chrono::milliseconds(1)));
    }
}

void ReceiverController::onRunnerEvent(const RunnerEvent& event)
{
    QString text;
    switch (event.kind) {
    case RunnerEvent::Kind::OpenFailed:
        text = event.detail.empty()
                   ? QStringLiteral("受信機のポートが選ばれていません")
                   : QStringLiteral("受信機のポート %1 を開けません")
                         .arg(QString::fromStdString(event.detail));
        break;
    case RunnerEvent::Kind::SendTimedOut:
        text = QStringLiteral("受信機への送信がタイムアウトしました %1")
                   .arg(QString::fromStdString(event.detail));
        break;
    case RunnerEvent::Kind::WriteFailed:
        text = QStringLiteral("受信機への送信に失敗しました %1")
                   .arg(QString::fromStdString(event.detail));
        break;
    case RunnerEvent::Kind::BaudFailed:
        text = QStringLiteral("受信機の通信速度を %1 bps にできません")
                   .arg(QString::fromStdString(event.detail));
        break;
    }
    emit statusMessage(text.trimmed());
}

}  // namespace sorae
