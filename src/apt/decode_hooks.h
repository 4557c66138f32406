// What line decoding hands to the rest of the program, in the order it
// happens within one block. Every method has an empty default, so a caller
// overrides only what it shows.
#pragma once

#include <string>

namespace sorae {

class DecodeHooks {
public:
    virtual ~DecodeHooks() = default;

    // A channel's sensor was just confirmed by the telemetry: status panel 5
    // shows this text (the name of the channel on screen).
    virtual void sensorStatusChanged(const std::string& panel5Text) { (void)panel5Text; }

    // The line just stored, as raw (uncalibrated) values: 1040 words of
    // channel A and of channel B. direction 0 = N>S (append at the bottom,
    // scrolling up), 1 = S>N (insert at the top turned by 180 degrees).
    virtual void liveLine(const double* channelA, const double* channelB, int direction) {
        (void)channelA; (void)channelB; (void)direction;
    }

    // Redraw the screen from the live view of the channel shown.
    virtual void composeScreen(bool showChannelB) { (void)showChannelB; }

    // The store now holds its last line: the caller ends the reception, builds
    // the pass pictures, releases the manual-reception button and clears the
    // manual-reception flag.
    virtual void storeFull() {}
};

}  // namespace sorae
