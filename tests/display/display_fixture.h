// Shared set-up of the display tests: a known antenna block and filter chain, synthetic
// traces put straight into the profile's trace store, and a radargram built on the real
// background bitmap.
#pragma once

#include "gui/scrbuf.h"

#include <functional>
#include <memory>

// Settings every test starts from (restored by ~DisplayState): 512 samples of 0.1 ns, time
// zero at sample 20, 1 sample per row, no background removal, time gain off, contrast factor
// 0.1 (so palette index = trunc(value * 2e-5 + 128)), automatic gain off, trace view off.
class DisplayState {
public:
    DisplayState();
    ~DisplayState();
};

// Value of sample s of trace t.
using TraceFn = std::function<float(int t, int s)>;

// Puts traces 0 .. count-1 into the trace store as a live measurement would (ring from
// column 0, trace count = count).
void fill_store(int count, const TraceFn& f);

// The radargram of the measurement screens (background images/empty1_1024.bmp).
std::unique_ptr<CScrBuf> make_radargram(bool secondRuler = false);

// The filters of the current antenna.
struct CFilterSlot;
CFilterSlot* test_filters();

// Image row holding the largest palette index in column col (first one on ties).
int brightest_row(const CScrBuf& b, int col, int rows);
// Middle of the columns holding the largest palette index in row.
double brightest_column(const CScrBuf& b, int row, int cols);
