// Process-wide state of the pass being received, shared by the block
// handler, the scheduler, the decoder and the picture building. Changed on
// the GUI thread only.
#pragma once

namespace sorae {

struct ReceptionState {
    bool receptionActive = false;   // ReceptionActive: a pass is received and decoded
    bool syncLocked = false;        // SyncLocked
    bool manualReception = false;   // ManualReception
    bool picturesBusy = false;      // PicturesBusy
    int currentPassDirection = 0;   // CurrentPassDirection: 1 = S>N, 0 = N>S
    bool showChannelB = false;      // ShowChannelB
};

}  // namespace sorae
