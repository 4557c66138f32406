// The pass being received, as the scheduler, the map and the dialogs see it:
// the reset before a pass, the pictures at its end, and the pass record the
// pictures are titled with. The reception controller implements it.
#pragma once

#include "orbit/pass_table.h"

namespace sorae {

class ImageDisplay;

class PassReception {
public:
    virtual ~PassReception() = default;

    // ResetForNewPass: counters, sensors and calibration, pictures and views.
    virtual void resetForNewPass() = 0;
    // BuildPassPictures for the current pass; shows and saves them.
    virtual void buildPassPictures() = 0;
    // FirstSyncLine is not -999: something was synchronised in this pass.
    virtual bool syncConfirmed() const = 0;
    // CurrentPass: slots 0 and 1 of the pass table at the start of a pass.
    virtual void setCurrentPass(const PassInfo& slot0, const PassInfo& slot1) = 0;
    virtual const PassInfo& currentPass() const = 0;
    // The image area (Image2): pictures, live views, orbit view and inset.
    virtual ImageDisplay& display() = 0;
};

}  // namespace sorae
