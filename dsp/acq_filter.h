// The acquisition filter applied to every trace before it is written and queued for the
// screen: DC removal, or the triangular high-pass followed by the 61-tap band-pass.
#pragma once

#include <array>
#include <cstdint>

#include "dsp/filter_slots.h"
#include "dsp/trace.h"

constexpr int BPF_TAPS = 61;
extern const std::array<float, BPF_TAPS> bpf_H; // symmetric band-pass taps, h[60 - k] == h[k]

// One trace of min(p.samples, DSP_MAX_SAMPLES) samples; `in` and `out` may be the same array.
// Nothing beyond that sample count is read or written.
void DC_Apply(const int32_t* in, int32_t* out, const CFilterPars& p);
// The same with the current antenna's settings.
void DC_Apply(int32_t* in, int32_t* out);

// out[i] = in[i] minus a local mean with the half-window a = high / 2: type 1 boxcar, type 2
// triangular weights 1 - |k| / (a + 1) divided by a + 2. Running sums, O(samples) for any a.
void High_Pass_Filter(const int32_t* in, double* out, int type, int samples, int high);
void High_Pass_Filter(int32_t* in, double* out, int type); // current antenna

// out[i] = sum of bpf_H[30 + j] * in[i + j] over the taps inside 0 .. count - 1, clamped to the
// 32-bit range and truncated toward zero.
void convolve_BPF(const double* in, int32_t* out, int count);

// A real value clamped to -2147483648 .. 2147483647 and truncated toward zero.
int32_t clamp_to_int32(double v);
