// Pieces the profile measurement screens share: their radargrams, the measurement display
// seam, the controls beside the radargram, the keypad outside the input step, and the
// display step that runs between key presses.
#pragma once

class CScrBuf;
class CScrBufMeaDisplay;

// Row m becomes the current row (row 0) without drawing.
void select_row(int m);
// The radargram of row m (slot 39), or null.
CScrBuf* radargram_of(int m);
// Installs b as doMea's display (screens 3 and 8); null puts the idle display back.
void install_mea_display(CScrBuf* b);
// The installed radargram display, or null.
CScrBufMeaDisplay* installed_mea_display();
// Battery indicator of the current row.
void draw_battery();
// Button 8 shows the "Delete Mean Trace" flag; the time-gain slider is shown only without
// automatic gain. Row m.
void show_display_controls(int m);
// Palette, resampling and rulers of b for the current antenna.
void prepare_radargram(CScrBuf* b);
// Renders again (after a display setting changed) and draws.
void redraw_radargram(CScrBuf* b);
// Writes the .add of an open profile and closes its files; the profile stays current.
void close_open_profile();

// One key press outside the input step (lists, cursors, number entries): its symbol, or
// SDLK_UNKNOWN (0) when none is pending.
int poll_key();
// The measurement display between key presses: doMea when the timer asked for it, the ruler
// follower and the GPS text. False when an acquisition error stopped the measurement.
bool measurement_tick();
// Where a screen goes back to after the measurement: 2, or 37 in a Plavik project.
int back_code();
// The profile's marker at (trace, value) exists already.
bool marker_at(int trace, int value);
// Adds a marker under lock_dw, lights the ruler's alert and draws the radargram.
void add_marker_now(int trace, int value, int type, const char* text);
