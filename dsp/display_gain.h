// Gains the radargram, the trace view and the slices apply while drawing: the time gain, the
// contrast factor and the running mean of the delete-mean-trace (background removal) filter.
#pragma once

#include "dsp/acq_filter.h"
#include "dsp/filter_slots.h"

// The radargram's trace store: STORE_COLUMNS columns of STORE_SAMPLES floats, column c at
// store + c * STORE_SAMPLES; trace positions fold onto columns modulo STORE_COLUMNS.
constexpr int STORE_COLUMNS = 3000;
constexpr int STORE_SAMPLES = DSP_MAX_SAMPLES;

inline int store_column(int position)
{
    const int c = position % STORE_COLUMNS;
    return c < 0 ? c + STORE_COLUMNS : c;
}

// Time gain curve for min(p.samples, DSP_MAX_SAMPLES) samples. With c = p.tg_value < 1 every
// factor is 1; otherwise M = K c / 255 * linear, N = K c / 255 * exponential, d = max(0, i -
// start) and gain[i] = max(floor, scale * (exp(min(d N, 10)) + 2 d M)). The radargram uses
// scale = floor = 0.2, the slices 2 and 0.5, the trace view 1 and no floor (0).
void TimeGain(float* gain, const CFilterPars& p, float scale = 0.2f, float floor = 0.2f);

// Smooths a gain curve over samples from .. n - 1 for the display: three passes of a running
// mean over `width` samples of the log of the gain (a nearly Gaussian kernel, cut at both
// ends). The automatic gain follows the energy of its boxed windows, whose edges would show
// as hard steps, i.e. horizontal bands in the noise; the smoothed curve keeps its level and
// its dips and rises, without steps. Non-positive factors and width < 3 leave it as it is.
void SmoothGain(float* gain, int from, int n, int width);

// 0.1 * base ^ value of the contrast slot.
float contrast_factor(const CFilterPars& p);

// Background window L of the delete-mean-trace slot: its "number of previous traces" when the
// slot is on for display and it is at least 2, else 0 (removal off).
inline int del_mean_traces(const CFilterPars& p) { return p.dm_on && p.dm_traces >= 2 ? p.dm_traces : 0; }

// A stored column left empty for a skipped trigger step: its first sample and sample
// samples - 10 are both 0.
bool empty_column(const float* column, int samples);

// Running sum of the stored columns of a window of trace positions [lo, hi), skipping empty
// columns; the background subtracted from a column is the mean of the columns before it.
// Moving the window by a few positions subtracts the columns that leave it and adds those that
// enter; a jump, a short window (fewer than 4 positions), a changed sample count or reset()
// recomputes it. Call reset() whenever a column already inside the window is overwritten.
class CDelMean {
public:
    CDelMean() { reset(); }
    void reset() { valid = false; }
    void move_to(const float* store, int lo, int hi, int samples);
    int counted() const { return valid ? n : 0; } // non-empty columns in the window
    int first() const { return lo_; }
    int last() const { return hi_; }
    // The mean column into b (min(samples, DSP_MAX_SAMPLES) values; zeros when no column counts).
    void mean(float* b) const;

private:
    void add(const float* column, double sign);
    void recompute(const float* store, int lo, int hi);

    double sum[DSP_MAX_SAMPLES];
    int n = 0;
    int lo_ = 0, hi_ = 0;
    int samples_ = 0;
    bool valid = false;
};
