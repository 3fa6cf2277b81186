// The radargram of the profile measurement screens: the one of each row, its palette and
// rulers, the controls beside it, and the radargram doMea draws into while measuring.
#pragma once

class CScrBuf;
class CScrBufMeaDisplay;

// The radargram of row m (slot 39), or null.
CScrBuf* radargram_of(int m);
// Installs b as doMea's display (screens 3 and 8); null puts the idle display back.
void install_mea_display(CScrBuf* b);
// The installed radargram display, or null.
CScrBufMeaDisplay* installed_mea_display();
// Button 8 shows the "Delete Mean Trace" flag; the time-gain slider is shown only without
// automatic gain. Row m.
void show_display_controls(int m);
// Palette, resampling and rulers of b for the current antenna.
void prepare_radargram(CScrBuf* b);
// Renders again (after a display setting changed) and draws.
void redraw_radargram(CScrBuf* b);
