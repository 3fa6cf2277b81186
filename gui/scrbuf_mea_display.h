// The radargram as the display of the measurement step (doMea): the measurement screens
// install one of these for their radargram (mea_display = &display) while they are shown.
#pragma once

#include "acquisition/display_seam.h"

class CScrBuf;

class CScrBufMeaDisplay : public CMeaDisplay {
public:
    CScrBuf* buf;
    bool alert = false; // a marker was set: the ruler shows it until the next step takes it

    explicit CScrBufMeaDisplay(CScrBuf* b) : buf(b) {}
    int width() override;
    // New columns scroll the image (only they are rendered); a full redraw renders the
    // window again, at the newest traces when the store was restarted past the window.
    void columns(int n, bool full_redraw) override;
    // The ruler's trace position (screens 3 and 8), in the alarm colour with an alert.
    void ruler(int trace, bool alert_flag) override;
    bool take_alert() override;
};
