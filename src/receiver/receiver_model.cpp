#include "receiver/receiver_model.h"

namespace sorae {

std::optional<ReceiverModel> receiverModelFromIndex(int index)
{
    switch (index) {
    case 0: return ReceiverModel::Ar5000;
    case 1: return ReceiverModel::IcPcr;
    case 2: return ReceiverModel::Djx11;
    default: return std::nullopt;
    }
}

std::string_view receiverModelName(int index)
{
    switch (index) {
    case 0: return "AR-5000";
    case 1: return "IC-PCR";
    case 2: return "DJ-X11(IQ)";
    default: return {};
    }
}

LineSettings lineSettingsFor(ReceiverModel model)
{
    LineSettings s;
    switch (model) {
    case ReceiverModel::Ar5000:
        s.baudRate = 19200;
        s.stopBits = StopBits::Two;
        break;
    case ReceiverModel::IcPcr:
        s.baudRate = 9600;
        break;
    case ReceiverModel::Djx11:
        s.baudRate = 57600;
        break;
    }
    return s;
}

}  // namespace sorae
