// The service-key matcher (`password1`) as the dialogs use it.
#pragma once

#include "config/password.h"

// Feeds one key of a dialog (message box, quit box, CU-off box) to password1 and checks
// the five sequences in their order. Returns 10, 24, 22 or 25 for the service screens,
// kServiceExitCode for the exit sequence, 0 otherwise.
constexpr int kServiceExitCode = 1;
int dialog_service_key(int key);

// What the exit sequence runs in a question dialog: the service exit, installed by main (it
// does not return). Without one the sequence is ignored.
extern void (*service_exit_action)();

// The input loop of a question dialog: Left/Right move the focus over the visible buttons of
// the current row, every key also feeds the service-key matcher (the exit sequence leaves
// the program). Enter presses the focused button and returns its slot; a service sequence
// returns its code (10, 24, 22, 25).
int question_loop();
