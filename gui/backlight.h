// The display's backlight: the level sent to the power controller, the ramps of power save
// and the wake-up by the first key press.
#pragma once

// Backlight level now (0..100), as last sent to the power controller.
extern int backlight_now;
// Sends one backlight level to the power controller.
void set_backlight(int level);
// In simulation the screen shows the backlight (GUI thread, called by every input poll):
// below the configured level the window is darkened in proportion, and the program draws
// into a copy that is shown again whole when the light comes back. Nothing on the device.
void show_backlight();
// The configured backlight level (20..100).
int configured_backlight();

// Ramps the backlight from `from` towards `to` in steps of 10, one step every 5 ms,
// never past `to`; nothing when equal.
void blight_sw(int from, int to);

// Under lock_ps: when powersave1 is 121 (display dimmed) restores the configured backlight
// and returns true; powersave1 is reset to 0 in every case.
bool check_ps();

// True only for a key-down event (SDL event type 2) that did not merely wake the display.
// Every input loop filters its events through it.
bool keypressed(unsigned event_type);
