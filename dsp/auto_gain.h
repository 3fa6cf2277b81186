// Automatic gain: the gain curve computed from the mean of the traces in memory, the
// first-arrival pick and the first-arrival suppression.
#pragma once

#include "dsp/display_gain.h"
#include "dsp/filter_slots.h"

// Signed value of the first-arrival pick of the last FW_AutoGain (0 when none was found);
// tAutoGain suppresses only a lobe that matches it. GUI thread only.
extern float agf_start_pick;

// Gain curve from the store columns first .. last - 1 (modulo STORE_COLUMNS; `stride` floats per
// column). Nothing changes when last - first (plus STORE_COLUMNS when negative) is not positive.
// gain receives min(p.samples, DSP_MAX_SAMPLES) values.
void AutoGain(const float* store, int first, int last, float* gain, const CFilterPars& p,
              int stride = STORE_SAMPLES);
void AutoGain(float* store, int first, int last, float* gain); // current antenna

// First-arrival pick in the 200 samples from the start sample: the first sample whose |value|
// exceeds half the window's largest |value|. Returns its index (the window end when none) and
// keeps its signed value in agf_start_pick.
int FW_AutoGain(const float* trace, const CFilterPars& p);
int FW_AutoGain(float* trace);

// Copies in to out (they may be the same) and, with automatic gain on and a non-zero
// first-arrival suppression, divides the first arrival of out down.
void tAutoGain(const float* in, float* out, const CFilterPars& p);
void tAutoGain(float* in, float* out);
