// Keys pressed from another thread (the scripted keypad, test drivers) reach the screens
// through the input loops' own wait: every input loop polls through gui_poll_event, and a
// poll that finds nothing queued is the loop waiting for a key. Only there is a handed-over
// key taken and is code run on the GUI thread, so a key is never discarded by a flush of
// stale keys, never taken twice, and the presser knows when the screen has dealt with it.
// Nothing is handed over unless a presser exists; the program then behaves exactly as before.
#pragma once

#include <SDL/SDL.h>
#include <cstdint>
#include <functional>

// GUI thread, from gui_poll_event at a key wait: runs the code waiting to run there, then
// takes a handed-over key press (its release follows in the event queue). True when *out
// holds the press.
bool handover_at_key_wait(SDL_Event* out);

// Other threads. Hands key `sym` to the next key wait and returns once an input loop took
// it and waits for a key again (the screen has dealt with it). False when no key wait took
// it within `timeout_ms` (the key is then withdrawn) or when handover_cancel() ran before it
// was taken; true when handover_cancel() ran after it was taken (the key ended the screens).
bool handover_press(SDLKey sym, int timeout_ms);
// Runs `fn` on the GUI thread at its next key wait and returns once it ran. False when no
// key wait came within `timeout_ms` (fn then never runs) or on handover_cancel(). fn must
// not wait for keys itself.
bool handover_run_on_gui(const std::function<void()>& fn, int timeout_ms);
// Ends every pending press and run with false (the screens a driver pressed keys into are gone).
void handover_cancel();
// Number of key waits seen so far (a key wait with nothing to hand over counts once).
uint64_t handover_key_waits();
