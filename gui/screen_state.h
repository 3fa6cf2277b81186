// State of the acquisition engine and of the profile screens that the input step and the
// display filters read.
#pragma once

#include <atomic>

// A measurement runs (set and cleared by MStart/MStop; read by every thread).
extern std::atomic<bool> MeasureMode;
// Progress of the radargram's automatic gain curve; 0 = compute it again. Reset by the
// acquisition at 100 traces and by the screens whenever a display setting changes.
extern std::atomic<int> ag_autostart;
// The radargram shows migrated data (the "Delete Mean Trace" button is then locked).
extern bool data_is_migrated;
