// SIGTERM and SIGINT end the program through the orderly power-off sequence.
//
// The signals are blocked in every thread and taken by one watcher thread, which only
// raises a flag and wakes the GUI thread with an SDL_QUIT event. The GUI thread's input
// loops see the flag and call check_termination(), which runs the program's end (the
// power-off sequence), so it runs on the thread that owns the screens while no screen is
// half-way through its work.
#pragma once

// Blocks SIGTERM/SIGINT for this and every later thread and starts the watcher; end_program
// is what check_termination runs once a request arrived. Call first in main, before any
// thread is created.
void install_termination_handling(void (*end_program)());

// True once SIGTERM or SIGINT arrived.
bool termination_requested();

// Raises the flag as a signal would (tests, and the SDL window's close button).
void request_termination();

// Runs end_program when termination was requested (nothing in a process that installed no
// handling). Every input loop calls it on every round.
void check_termination();
