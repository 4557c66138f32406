// A serial link that remembers what it was asked to do, for runner tests.
#pragma once

#include <string>
#include <vector>

#include "receiver/serial_link.h"

namespace sorae::testing {

class FakeSerialLink final : public SerialLink {
public:
    struct Write {
        char byte;
        int baud;
    };

    bool openPort(const std::string& portName, const LineSettings& settings) override
    {
        ++openCalls;
        lastPortName = portName;
        if (portName.empty() || failOpen)
            return false;
        open = true;
        baud = settings.baudRate;
        return true;
    }
    void closePort() override
    {
        ++closeCalls;
        queued = 0;
        open = false;
    }
    bool isOpen() const override { return open; }
    bool setBaud(int rate) override
    {
        if (!open)
            return false;
        baud = rate;
        return true;
    }
    std::size_t queuedBytes() const override { return queued; }
    bool writeByte(char byte) override
    {
        if (!open)
            return false;
        writes.push_back({byte, baud});
        if (queueGrows)
            ++queued;
        return true;
    }
    void discardOutput() override
    {
        ++discards;
        queued = 0;
    }
    void waitForOutput(std::chrono::milliseconds) override {}

    std::string written() const
    {
        std::string text;
        for (const Write& w : writes)
            text += w.byte;
        return text;
    }

    bool open = false;
    bool failOpen = false;
    bool queueGrows = false;  // every byte written stays in the queue
    int baud = 0;
    std::size_t queued = 0;
    int openCalls = 0;
    int closeCalls = 0;
    int discards = 0;
    std::string lastPortName;
    std::vector<Write> writes;
};

}  // namespace sorae::testing
