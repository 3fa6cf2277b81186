// The radargram's share of the input step: its scroll bars in the focus order (slot 39),
// browsing a stored profile, scrolling and zooming the vertical axis, and the display sliders
// that re-process it. Called from press_but_and_slid and fnextb (gui/input.cpp) and from the
// message box; every function does nothing when the current screen has no radargram (tbuf).
#pragma once

#include <SDL/SDL.h>

// The radargram follows the newest trace (set by the measurement screens).
extern bool jump_to_end;

// Focus order past slot 18 (forward) or slot 2 (backward), and backward from slot 39.
// Returns 39 when a scroll bar of the radargram takes the focus, -1 otherwise.
int radargram_focus_forward(int current);
int radargram_focus_backward_past_first();
// From slot 39 backward: 39 when the focus moves to the other scroll bar, -1 when it leaves.
int radargram_focus_backward_from_radargram();

// Left/Right while the radargram is pressed: vertical scroll by 33 samples (plus 100 when
// keys were queued) or browse by 50 traces. True when handled (*result 100 / 101).
bool radargram_left_right(SDLKey sym, int* result);
// Up/Down: quick browsing with the horizontal bar, zoom with the vertical bar (0.25 samples
// per row, 0.5 ... samples / height). True when handled.
bool radargram_up_down(SDLKey sym);
// Enter pressed / released on slot 39, and the end of quick browsing on any release.
void radargram_enter_down();
bool radargram_enter_up(); // true when it ended quick browsing (result -1)
// The focus moved from `old` to `cur`: the radargram's look follows.
void radargram_focus_moved(int old, int cur);
// A display slider (slot 9 contrast, 10 time gain) now stands at `value`: the filter of the
// current antenna follows and the radargram is marked for re-processing.
// (The filter values are those of gui/display_filters.h.)
void radargram_slider_changed(int slot, float value);
// After a message box: the radargram (when not drawn with the row) and its scroll bars;
// the hyperbola overlay is left out in modes 7, 8 and 12.
void radargram_after_message_box(int old_mode);
