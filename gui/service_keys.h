// The service-key matcher (`password1`) as the dialogs use it.
#pragma once

#include "config/password.h"

// Feeds one key of a dialog (message box, quit box, CU-off box) to password1 and checks
// the five sequences in their order. Returns 10, 24, 22 or 25 for the service screens,
// kServiceExitCode for the exit sequence, 0 otherwise.
constexpr int kServiceExitCode = 1;
int dialog_service_key(int key);
