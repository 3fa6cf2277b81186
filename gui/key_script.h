// Scripted keypad: a test and demo seam that changes no behaviour of the program.
//
// When GPRMON_KEYS names a file, a thread feeds its lines into SDL's event queue:
//   a key name        Up, Down, Left, Right, Enter, Escape, Space, Backspace, Tab, Insert,
//                     Delete, Home, End, PageUp, PageDown, F1..F12, 0..9, A..Z
//   wait N  (or N)    pause for N milliseconds
//   shot NAME         save the screen as NAME.png in the folder named by GPRMON_SHOTS
//   quit              end the program as a window close would (orderly power-off)
// Empty lines and lines starting with '#' are skipped. Screenshots are taken on the GUI
// thread, in queue order, when an input loop next polls.
#pragma once

#include <SDL/SDL.h>
#include <cstddef>
#include <string>

// Starts the feeder when GPRMON_KEYS is set (once; later calls do nothing).
void start_key_script();

// Key symbol of a key name, or SDLK_UNKNOWN.
SDLKey key_by_name(const std::string& name);

// Takes a scripted screenshot event off the queue; false for every other event.
bool handle_script_event(const SDL_Event& e);

// Saves the video surface as a PNG file. Returns false on failure.
bool save_screen_png(const char* path);
