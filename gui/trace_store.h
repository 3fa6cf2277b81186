// How the radargram and the trace view read the profile's trace store (rdr.prof): trace t of
// the profile (0-based) sits in the ring of 3000 columns at start + t - first_trace while
// first_trace <= t < first_trace + b_size(). The profile's trace count is `shown_traces`.
#pragma once

#include "dsp/display_gain.h"

// Traces in the profile (the trace count kept by the profile record and the acquisition).
int store_trace_count();
// First trace held in memory and one past the last.
int store_first();
int store_end();
// The samples of trace t, or null when it is not in memory.
const float* store_trace(int t);
// Reads traces of the open profile so that [first, first + count) is in memory (a no-op for
// traces already there). Returns false when no data file is open or the read fell short.
bool store_load(int first, int count);

// Background of trace t: the mean of the (non-empty) traces [t - window, t) that are in
// memory, into b (`samples` values). `mean` keeps the running sum between calls, so the
// columns of one pass cost two column updates each. Returns the number of traces averaged.
int store_background(CDelMean& mean, int t, int window, int samples, float* b);
