// The arithmetic of the parameter screens, apart from any screen: the runs and samples
// steps, the signal defaults by antenna type, the speed limit of wheel triggering, the
// editable fields of each filter slot and the result of a wheel calibration run.
#pragma once

#include "dsp/trace.h"

#include <cstdint>

constexpr int kMinRuns = 2, kMaxRuns = 255;
constexpr int kMinFileSamples = 100;

// Runs one step up (dir > 0, at most 255) or down (at least 2).
int runs_step(int runs, int dir);
// CU samples after the runs changed: rounded down to a multiple of runs (never 0).
int cu_samples_for_runs(int cu_samples, int runs);
// CU samples one step of `runs` up (dir > 0) or down. Up stops at the largest multiple of
// runs within 2048; down never leaves fewer than 100 file samples (CU samples - clipped) and
// never fewer than 2 runs.
int cu_samples_step(int cu_samples, int runs, int clipped, int dir);

// "Set Defaults": the signal settings of an antenna type (0 when the type has none).
struct SignalDefaults {
    int runs = 0;
    int file_samples = 0;
    int cu_samples = 0;
    float separation_m = 0;
    float point_interval = 0; // local units: metres (SI) or inches
};
// type: the antenna record's type, hw_type: the CU's hardware type, si: metric units.
bool signal_defaults(int type, int hw_type, int clipped, bool si, SignalDefaults& out);

// Transmitter frequency divider of the CU for a frequency index (80 MHz / frequency).
uint32_t freq_divider(int freq_index);

// Fastest wheel speed in metres per second at which every trigger step still gets its trace:
// the point interval (metres) over the time one trace takes, CU samples / f, with f = 200 kHz
// for the block-mode CU generation and 1 MHz otherwise.
double speed_limit(double point_interval_m, int cu_samples, bool udp_mode);

// One editable field of a filter slot: its label, step, range and print format.
struct FilterField {
    const char* label = nullptr; // null: the field is hidden for this slot
    float step = 1, min = 0, max = 0;
    const char* format = "%.0f";
    bool is_float = false;       // edits the slot's float parameter instead of int_par[k]
};
// Field k (0..5, the screen's fields 4..9) of filter slot `slot` (1..6).
FilterField filter_field(int slot, int k);
// The slot whose display flag switches opposite to `slot` (0 when none): DC removal (1) and
// FIR (5), time gain (2) and automatic time gain (4).
int exclusive_partner(int slot);

// Wheel calibration: pulses counted over a distance (in length units) give the calibration in
// pulses per length unit and its direction. A magnitude below 0.01 counts as 1.
struct Calibration {
    double pulses_per_unit = 1;
    int direction = 1; // +1 forward, -1 backward
};
Calibration calibration_result(int32_t pulses, double distance);
