// Scripted keypad: a test and demo seam that changes no behaviour of the program.
//
// When GPRMON_KEYS names a file, a thread hands its lines to the screens one after another:
//   a key name        Up, Down, Left, Right, Enter, Escape, Space, Backspace, Tab, Insert,
//                     Delete, Home, End, PageUp, PageDown, F1..F12, 0..9, A..Z
//   wait N  (or N)    pause for N milliseconds (for demonstrations; keys need no pauses)
//   shot NAME         save the screen as NAME.png in the folder named by GPRMON_SHOTS
//   quit              end the program as a window close would (orderly power-off)
// Empty lines and lines starting with '#' are skipped. Each key is taken by an input loop
// waiting for a key, and the next line is read once a screen waits for a key again
// (gui/key_handover.h); a screenshot is taken at a key wait too, on the GUI thread, so it
// shows the screen after every earlier key. Screenshots are renamed into place when whole.
#pragma once

#include <SDL/SDL.h>
#include <cstddef>
#include <string>

// Starts the feeder when GPRMON_KEYS is set (once; later calls do nothing).
void start_key_script();

// Key symbol of a key name, or SDLK_UNKNOWN.
SDLKey key_by_name(const std::string& name);

// Saves the video surface as a PNG file. Returns false on failure.
bool save_screen_png(const char* path);
