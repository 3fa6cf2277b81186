// The float variant of the acquisition filter, used on grid data.
#pragma once

#include <cstdint>

class CFTrace;

// With `fir`: each sample minus the boxcar mean of the 2 * (high / 2) + 1 samples centred on
// it, then a boxcar smoothing over 2 * (low / 2) + 1 samples (both windows cut at the ends).
// Without: the tail-mean DC removal of DC_Apply on floats (dc_percent of the samples), without
// clamping. Works on the first min(count, in->count, out's capacity, DSP_MAX_SAMPLES) samples;
// `in` and `out` may be the same trace.
void fDC_Apply(const CFTrace* in, CFTrace* out, int count, bool fir, uint16_t high, uint16_t low,
               int dc_percent);
// The same with the DC-removal percentage of the current antenna.
void fDC_Apply(CFTrace* in, CFTrace* out, int count, bool fir, uint16_t high, uint16_t low);
