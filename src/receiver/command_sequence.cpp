#include "receiver/command_sequence.h"

#include "receiver/receiver_commands.h"

namespace sorae {

SequenceStep SequenceStep::open(std::string portName, ReceiverModel model)
{
    return {Kind::Open, std::move(portName), static_cast<int>(model)};
}

SequenceStep SequenceStep::send(std::string text)
{
    return {Kind::Send, std::move(text), 0};
}

SequenceStep SequenceStep::wait(int milliseconds)
{
    return {Kind::Wait, {}, milliseconds};
}

SequenceStep SequenceStep::setBaud(int baudRate)
{
    return {Kind::SetBaud, {}, baudRate};
}

SequenceStep SequenceStep::close()
{
    return {Kind::Close, {}, 0};
}

namespace {

void addCommands(CommandSequence& sequence, std::initializer_list<const char*> commands)
{
    for (const char* command : commands)
        sequence.push_back(SequenceStep::send(std::string(command) + kLineEnd));
}

void addIfAny(CommandSequence& sequence, std::string command)
{
    if (!command.empty())
        sequence.push_back(SequenceStep::send(std::move(command)));
}

CommandSequence ar5000On(const PowerOnParameters& p)
{
    CommandSequence s;
    s.push_back(SequenceStep::open(p.portName, ReceiverModel::Ar5000));
    addCommands(s, {"X"});
    s.push_back(SequenceStep::wait(500));
    addIfAny(s, tuneAr5000(p.frequencyMHz));
    s.push_back(SequenceStep::wait(100));
    for (const char* command : {"MD0", "BW4", "EN4", "LP3", "HP0"}) {
        addCommands(s, {command});
        s.push_back(SequenceStep::wait(100));
    }
    if (p.antenna > 0)
        s.push_back(SequenceStep::send(antennaCommand(p.antenna)));
    return s;
}

CommandSequence pcrOn(const PowerOnParameters& p)
{
    CommandSequence s;
    s.push_back(SequenceStep::open(p.portName, ReceiverModel::IcPcr));
    addCommands(s, {" ", "H101", "G105", "G300", "H1?"});
    s.push_back(SequenceStep::setBaud(kPcrFastBaud));
    s.push_back(SequenceStep::wait(500));
    addCommands(s, {"H101", "G4?", "G105", "G300", "H1?", "G301", "H1?", "GE?", "GD?"});
    addIfAny(s, tunePcr(p.frequencyMHz));
    addCommands(s, {"J4100", "J5100", "J5000", "J4380", "J4500", "J4600", "J4700", "J4A80",
                    "LD82000"});
    s.push_back(SequenceStep::send(pcrVolumeCommand(p.pcrVolume)));
    addCommands(s, {"LE20050", "LE20040", "H1?"});
    return s;
}

CommandSequence djx11On(const PowerOnParameters& p)
{
    CommandSequence s;
    s.push_back(SequenceStep::open(p.portName, ReceiverModel::Djx11));
    addCommands(s, {"AL~SDRON"});
    s.push_back(SequenceStep::wait(100));
    addIfAny(s, tuneDjx11(p.frequencyMHz));
    s.push_back(SequenceStep::close());
    return s;
}

}  // namespace

CommandSequence powerOnSequence(int model, const PowerOnParameters& parameters)
{
    switch (model) {
    case 0: return ar5000On(parameters);
    case 1: return pcrOn(parameters);
    case 2: return djx11On(parameters);
    default: return {};
    }
}

CommandSequence powerOffSequence(int model)
{
    CommandSequence s;
    if (model == 0)
        addCommands(s, {"QP"});
    else if (model == 1)
        addCommands(s, {"H100"});
    else
        return s;
    s.push_back(SequenceStep::close());
    return s;
}

std::string sentText(const CommandSequence& sequence)
{
    std::string text;
    for (const auto& step : sequence)
        if (step.kind == SequenceStep::Kind::Send)
            text += step.text;
    return text;
}

}  // namespace sorae
