// The acquisition engine: the thread Collect, measurement start and stop, the display step
// of the measurement screens, single traces, the time-zero search, the restore of missed
// blocks and the error message. State and flags: acq_state.h.
#pragma once

#include <SDL/SDL.h>
#include <atomic>
#include <cstdint>

// Thread body of Collect (SDL thread): runs while MeaThread is set; returns 0.
int Collect(void*);
// Starts the thread (start-up step 12); false when it could not be created.
bool start_collect();
// Milliseconds clock of Collect's stalled-link check (SDL_GetTicks); tests put their own.
extern std::atomic<Uint32 (*)()> stall_clock;

// One poll of the CU connection; the caller holds lock_dw.
void CallDevice();
// A screen that has just set `mode` calls this before it reads or edits the settings:
// returns once a poll Collect began on the screen before has ended (a CU taken up then
// reloads the settings from the XML object). On a screen Collect does not watch it begins
// none afterwards.
void await_cu_poll();
// Polls Collect has begun (its CallDevice calls); tests wait on it.
extern std::atomic<uint32_t> cu_polls;

// Starts a measurement: 0 when one already runs or the trigger is the keyboard, else the
// CU's start result (below 1000: started).
int MStart();
// Ends the measurement; restore != 0 allows the missed-trace restore dialog. Returns 0.
int MStop(int restore);
// One display step of the measurement screens (GUI thread); false after an error stopped
// the measurement.
bool doMea();
// One single trace into ttrace: 0, or -1 (trigger failed), -2 (incomplete element), -3
// (wrong sample count), -4 (next element unreachable).
int TraceTrigg();
// Keyboard trigger while measuring: fires one trace and runs it through the pipeline.
// 0, or -1 when the trigger failed, -2 when no trace arrived, or a pipeline result.
int KeyTrigger();

// Time-zero search: 1 when a new signal position was found and stored, else 0.
int SearchTimeZero();
// Fetches the missed blocks again after a stop: -333 all restored, 0 some remain, -101
// stopped by the user, another non-zero code when a request failed.
int restore_missed_blocks();
// The acquisition error message: 1 shown, 0 when no error was set.
int show_errors();

// Trigger step of the current settings: ms per trace (time) or pulses per trace (wheel),
// at least 1.
int compute_trigg_cond();

// The sampling settings of eep sent to the CU (the caller holds lock_dw): in block mode the
// CU's own sample count and the file count, else the one count the CU samples; with the
// runs and the clipped samples first in send_eep_sampling.
void send_eep_samples();
void send_eep_sampling();

// Hardware tests of screen 27 (run by Collect when hw_tests_are_started is 1).
void run_hw_tests();
