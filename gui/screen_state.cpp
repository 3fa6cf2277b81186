#include "gui/screen_state.h"

std::atomic<int> ag_autostart{0};
bool data_is_migrated = false;
