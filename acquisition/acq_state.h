// Process-wide state of the acquisition engine: the measurement flags, the trigger step and
// positions, the counters of a stop, the error flags and the single trace of TraceTrigg.
//
// Flags that several threads read without a lock are atomics, so each read sees a whole
// value; their meaning is that of plain flags (nothing waits on them but MStop's polls).
#pragma once

#include "dsp/trace.h"
#include "gui/screen_state.h" // ag_autostart, which a new measurement resets

#include <atomic>
#include <cstdint>

constexpr int kMaxCuTraces = 1000000;  // the CU numbers at most this many traces

// ---- Measurement state ----
// A measurement runs (set and cleared by MStart/MStop; read by every thread).
extern std::atomic<bool> MeasureMode;
extern std::atomic<bool> inMeasurement;     // Collect is inside its measurement branch
extern std::atomic<bool> after_measurement; // MStop runs
extern std::atomic<bool> cont_meas;         // the next MStart continues the current profile
extern std::atomic<bool> first_trace;       // the next trace is the first of this run
extern int triggCond;                       // pulses or ms per trace, at least 1
// Trigger position and distance of the last trace: the per-trace pipeline's own state, used
// only while first_trace is clear. The thread that consumes descriptors (Collect while
// measuring, the GUI thread's restore and key trigger otherwise) reads and writes them; each
// hands over to the next through acq_running and the link's descriptor lock.
extern int prevL;
extern double prevWP;
extern std::atomic<int> curWhPosition;      // wheel position reported by the CU (pulses)
extern std::atomic<int> curTmPosition;      // time position (ms), earlier runs included
extern int prev_meas_time;                  // time reached by the earlier runs of the profile
extern std::atomic<int> last_trace_on_screen; // number of the newest trace drawn
extern std::atomic<bool> canShow;           // new traces queued (lock1)
extern std::atomic<bool> canPShow;          // new wheel / time position (lock1_2)
extern bool noise_test_mode;                // the service noise test measures

// ---- Counters of the last stop ----
extern int tot_traces;           // the CU's last trace (at most 1000000)
extern int tot_missed_traces;    // traces never received
extern int tot_missed_traces_CU; // the CU's own count, -1 unknown
extern uint32_t stop_last_block; // the CU's last block at the last stop

// ---- Traces the operator must hear about (this run, reset by MStart) ----
// Trigger steps for which the CU took no trace (the cart ran faster than it can trigger):
// counted in block mode from the jumps of the trigger position beyond the trace numbers
// lost on the link. Block mode stores nothing for them, so the profile comes out shorter
// than the distance travelled; raw mode fills them with zero traces (counted below).
extern std::atomic<int> run_missed_triggers;
// Zero traces stored in place of traces that never arrived (raw-mode gap filling, or block
// traces lost on the link); a lost block trace restored later is taken off again.
extern std::atomic<int> run_filled_traces;

// ---- Errors ----
extern std::atomic<bool> mea_errors; // an error froze the processing of descriptors
extern std::atomic<bool> thError, thError2, thError4, thError5, wrError, memError;
extern std::atomic<int> thError3;    // status word of the failed descriptor, -2, or 0
extern std::atomic<int> TraceError;  // code of a failed single-trace trigger (>= 200)

// ---- Single trace (TraceTrigg, lock_t2) ----
extern int32_t ttrace[DSP_MAX_SAMPLES];

// ---- Hardware tests (screen 27) ----
extern std::atomic<int> hw_tests_are_started; // 1: Collect runs the test sequence
extern std::atomic<int> cancel_hw_tests;      // 1: end the sequence early
extern std::atomic<bool> renew_hw_tests_screen; // a result line changed

// Clears every error flag (not mea_errors).
void clear_error_flags();
// Any of the error flags is set.
bool any_error_flag();

// The acquisition runs from the link's point of view: descriptors are queued and consumed.
// Set with MeasureMode by MStart; cleared by MStop only after the CU's last traces arrived
// and were consumed, so that a stop does not drop the traces still on their way.
extern std::atomic<bool> acq_running;
// A measurement has ended since the last start (blocks the CU resends are tabled if lost).
extern std::atomic<bool> acq_finished;

