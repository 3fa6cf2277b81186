// The loop every screen runs: its row made current and drawn with the remembered focus, the
// wait for the next pressed button with the screen's own work between events, and single
// keys read outside the input step (lists, cursors, value entries).
#pragma once

#include <functional>

// Row m becomes the current row (row 0) without drawing.
void select_row(int m);
// Row m becomes current and is drawn with its focus: curbutton[m], or the first focusable
// slot when that one is empty or hidden.
void draw_row(int m);
// Battery indicator of the current row.
void draw_battery();

// Waits for a pressed button of row m (Left/Right move the focus meanwhile), remembers it as
// the row's focus (curbutton[m]) and returns its slot, kFirstButton..kLastButton. `tick` runs
// before every look at the input (battery, live trace, CU state); when it returns false the
// wait ends at once with 0, and the screen leaves with what the tick found. Between empty
// looks the loop sleeps `idle_ms`.
int next_button(int m, const std::function<bool()>& tick, int idle_ms = 10);
// The same with the battery as the only tick.
int next_button(int m);

// The loop of a full-screen radargram: the arrows browse and zoom it (the input step's
// results 100, 101 and -1 go on) until another result, which is returned. `tick` runs before
// every look at the input; when it returns false the loop ends at once with 0.
int browse_full_screen(const std::function<bool()>& tick);

// One key press outside the input step: its symbol, or SDLK_UNKNOWN (0) when none is
// pending.
int poll_key();
