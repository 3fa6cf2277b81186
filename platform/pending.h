// Steps of start-up, shutdown and profile creation whose subsystem is not built into this
// program yet. Each such step is made through pending_skip, so the run goes on with the
// step's default and the log says, once, which step was left out.
#pragma once

// Prints "<what>: not built yet, skipped" the first time it is called for `what`.
void pending_skip(const char* what);
