#include "dsp/float_filter.h"

#include <algorithm>

#include "dsp/acq_filter.h"
#include "dsp/filter_slots.h"
#include "dsp/trace.h"

namespace {

// dst[i] = mean of src over i - h .. i + h cut to 0 .. n - 1 (running sum).
// With subtract, dst[i] = src[i] - that mean. dst may not alias src.
void boxcar(const float* src, float* dst, int n, int h, bool subtract)
{
    h = std::max(h, 0);
    double sum = 0.0;
    const int first_hi = std::min(h, n - 1);
    for (int j = 0; j <= first_hi; ++j)
        sum += src[j];
    for (int i = 0; i < n; ++i) {
        const int lo = std::max(i - h, 0);
        const int hi = std::min(i + h, n - 1);
        const double mean = sum / (hi - lo + 1);
        dst[i] = static_cast<float>(subtract ? src[i] - mean : mean);
        if (i + h + 1 < n)
            sum += src[i + h + 1];
        if (i - h >= 0)
            sum -= src[i - h];
    }
}

} // namespace

void fDC_Apply(const CFTrace* in, CFTrace* out, int count, bool fir, uint16_t high, uint16_t low,
               int dc_percent)
{
    if (!in || !out)
        return;
    const int n = std::min({count, in->count, out->capacity(), DSP_MAX_SAMPLES});
    if (n <= 0)
        return;
    const float* x = in->data;
    float* y = out->data;

    if (fir) {
        float work[DSP_MAX_SAMPLES];
        boxcar(x, work, n, high / 2, true);
        boxcar(work, y, n, low / 2, false);
        return;
    }

    const long long a = static_cast<long long>(n) * dc_percent / 100;
    const long long tail = std::max(a, 15LL);
    const long long lo = std::max(n - tail, 0LL);
    const long long hi = n - 6;
    double mean = 0.0;
    if (hi >= lo) {
        double sum = 0.0;
        for (long long i = lo; i <= hi; ++i)
            sum += x[i];
        mean = sum / static_cast<double>(hi - lo + 1);
    }
    for (int i = 0; i < n; ++i)
        y[i] = static_cast<float>(x[i] - mean);
}

void fDC_Apply(CFTrace* in, CFTrace* out, int count, bool fir, uint16_t high, uint16_t low)
{
    fDC_Apply(in, out, count, fir, high, low, current_filter_pars().dc_percent);
}
