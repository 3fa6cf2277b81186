// The acquisition error message: the first error flag that is set, with the last CU error
// code, as one message box.
#pragma once

#include <cstddef>

// Title and text of the message for the flags now set, with E the last CU error code.
// Returns false (nothing written) when no flag is set.
bool acq_error_message(int E, char* title, size_t title_cap, char* text, size_t text_cap);

// Drains the CU error list: the last non-zero code (0 when none). A no-data code (0x1000,
// 0x1100, 0x2200, 0x3300) sets thError and stops the draining.
int drain_cu_errors();
