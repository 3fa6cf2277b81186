// The service-key matcher (`password1`, class CPassword) that the dialogs feed with every
// key. It belongs to the configuration subsystem; until it is on the main line this file
// carries a definition of the same interface (gui/password_interim.*).
#pragma once

#include "gui/password_interim.h"

// Feeds one key of a dialog (message box, quit box, CU-off box) to password1 and checks
// the five sequences in their order. Returns 10, 24, 22 or 25 for the service screens,
// kServiceExitCode for the exit sequence, 0 otherwise.
constexpr int kServiceExitCode = 1;
int dialog_service_key(int key);
