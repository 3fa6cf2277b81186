// The input system: focus handling over the current row, the input step of every screen
// (press_but_and_slid), the event wrapper shared by all input loops, and the message box.
#pragma once

#include <SDL/SDL.h>

class CButton;

extern SDL_Event event;                // the last event
extern int the_button_is_pressed;      // Enter held on the radargram
extern int tbuf_was_pressed;
extern int pp_mode;                    // profile browsing with Up/Down
extern int prof_posi;
extern bool drawF;                     // a slider changed a display parameter
extern bool b_lev1, b_lev2;            // low-battery warnings from the timer (under lock_b)

// Stores the buttons of slots 2-18 of the current row into buttons[slot] (null where a
// slot holds no button) and clears their pressed and selected flags. buttons has 19 entries.
void Init_All_Buttons(CButton** buttons);
// Draws the focus: usual look for every present, visible button but curbut, selected there.
void curbutDraw();
// Next (direction > 0) or previous focus slot in the current row; current when none.
int fnextb(int current, int direction);
// Discards every pending event; returns how many of them were key presses.
int keyb_wait();
// One input step: -1 nothing to do, 100 Left handled, 101 Right handled, or the focused
// slot when Enter was pressed.
int press_but_and_slid();

// Polls one event for an input loop; a window close requests termination. Returns 0 when
// no event is pending. With nothing queued the loop waits for a key: a key handed over from
// another thread (gui/key_handover.h) is taken there.
int gui_poll_event(SDL_Event* e);

// Message box (screen 9). type: 0 wait for a key (result: its key symbol), 1 Yes/No
// (2 = Yes, 3 = No), 2 Copy/Cancel (4 = Copy, 6 = Cancel), 3 shown for 3 s (0), -1 shown
// without waiting (0). In types 1 and 2 a service key sequence gives 10, 24, 22 or 25.
int mesmode(const char* title, const char* text, bool redraw, int type, int focus = 2,
            const char* footer = "", bool languageText = false, Uint32 colour = 0);

// Observer of every message box shown (title, text, type), for the scripted keypad's log
// and for tests; null by default.
extern void (*mesmode_observer)(const char* title, const char* text, int type);

// Text of the CU identity shown in message-box headings and the quit box footer:
// " (%04X %X %d %d)" with the CU's identity word and its three version numbers.
void cu_identity_text(char* out, size_t cap);
