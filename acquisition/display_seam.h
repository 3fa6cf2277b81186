// What doMea needs from the measurement screen's radargram and ruler. The screens install
// their implementation while a measurement screen is shown; the default draws nothing.
#pragma once

class CMeaDisplay {
public:
    virtual ~CMeaDisplay() {}
    // Columns the radargram shows at once (a trace further ahead than this restarts it).
    virtual int width() { return 1000; }
    // New columns were added to the trace store (scroll by n), or redraw everything.
    virtual void columns(int n, bool full_redraw) {}
    // Screens 3 and 8: the horizontal ruler's trace position, with the marker alert flag.
    virtual void ruler(int trace, bool alert) {}
    // Takes (and clears) the marker alert flag of the measurement screen.
    virtual bool take_alert() { return false; }
};

extern CMeaDisplay* mea_display; // never null
