// State of the profile screens' radargram that the acquisition, the input step and the
// display filters share.
#pragma once

#include <atomic>

// Progress of the radargram's automatic gain curve; 0 = compute it again. Reset by the
// acquisition at 100 traces and by the screens whenever a display setting changes.
extern std::atomic<int> ag_autostart;
// The radargram shows migrated data (the "Delete Mean Trace" button is then locked).
extern bool data_is_migrated;
