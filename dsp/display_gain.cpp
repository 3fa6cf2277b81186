#include "dsp/display_gain.h"

#include <algorithm>
#include <cmath>

namespace {

int usable(int samples) { return std::clamp(samples, 0, DSP_MAX_SAMPLES); }

} // namespace

void TimeGain(float* gain, const CFilterPars& p, float scale, float floor)
{
    const int n = usable(p.samples);
    const int c = p.tg_value;
    if (c < 1) {
        std::fill(gain, gain + n, 1.0f);
        return;
    }
    const double k = p.gain_factor * c / 255.0;
    const double M = k * p.tg_linear;
    const double N = k * p.tg_exponential;
    for (int i = 0; i < n; ++i) {
        const double d = std::max(0, i - p.tg_start);
        const double g = scale * (std::exp(std::min(d * N, 10.0)) + 2.0 * d * M);
        gain[i] = static_cast<float>(std::max(static_cast<double>(floor), g));
    }
}

void SmoothGain(float* gain, int from, int n, int width)
{
    n = usable(n);
    from = std::clamp(from, 0, n);
    const int m = n - from;
    if (width < 3 || m < 3)
        return;
    double v[DSP_MAX_SAMPLES], prefix[DSP_MAX_SAMPLES + 1];
    for (int i = 0; i < m; ++i) {
        if (!(gain[from + i] > 0.0f))
            return;
        v[i] = std::log(double(gain[from + i]));
    }
    const int half = width / 2;
    for (int pass = 0; pass < 3; ++pass) {
        prefix[0] = 0.0;
        for (int i = 0; i < m; ++i)
            prefix[i + 1] = prefix[i] + v[i];
        for (int i = 0; i < m; ++i) {
            const int lo = std::max(0, i - half), hi = std::min(m, i + half + 1);
            v[i] = (prefix[hi] - prefix[lo]) / (hi - lo);
        }
    }
    for (int i = 0; i < m; ++i)
        gain[from + i] = static_cast<float>(std::exp(v[i]));
}

float contrast_factor(const CFilterPars& p)
{
    return static_cast<float>(0.1 * std::pow(static_cast<double>(p.contrast_base), p.contrast_value));
}

bool empty_column(const float* column, int samples)
{
    if (column[0] != 0.0f)
        return false;
    const int late = samples - 10;
    return late < 0 || late >= DSP_MAX_SAMPLES || column[late] == 0.0f;
}

void CDelMean::add(const float* column, double sign)
{
    if (empty_column(column, samples_))
        return;
    for (int s = 0; s < samples_; ++s)
        sum[s] += sign * column[s];
    n += sign > 0 ? 1 : -1;
}

void CDelMean::recompute(const float* store, int lo, int hi)
{
    std::fill(sum, sum + samples_, 0.0);
    n = 0;
    for (int t = lo; t < hi; ++t)
        add(store + static_cast<long>(store_column(t)) * STORE_SAMPLES, 1.0);
    lo_ = lo;
    hi_ = hi;
    valid = true;
}

void CDelMean::move_to(const float* store, int lo, int hi, int samples)
{
    samples = usable(samples);
    if (hi < lo)
        hi = lo;
    if (valid && lo == lo_ && hi == hi_ && samples == samples_)
        return;
    const int width = hi - lo;
    const int changes = std::abs(lo - lo_) + std::abs(hi - hi_);
    if (!valid || samples != samples_ || width < 4 || hi_ - lo_ < 4 || changes >= width) {
        samples_ = samples;
        recompute(store, lo, hi);
        return;
    }
    auto col = [&](int t) { return store + static_cast<long>(store_column(t)) * STORE_SAMPLES; };
    // Leaving or entering at the old end.
    for (int t = lo_; t < lo; ++t)
        add(col(t), -1.0);
    for (int t = lo; t < lo_; ++t)
        add(col(t), 1.0);
    for (int t = hi_; t < hi; ++t)
        add(col(t), 1.0);
    for (int t = hi; t < hi_; ++t)
        add(col(t), -1.0);
    lo_ = lo;
    hi_ = hi;
}

void CDelMean::mean(float* b) const
{
    const int cnt = counted();
    if (cnt <= 0) {
        std::fill(b, b + samples_, 0.0f);
        return;
    }
    for (int s = 0; s < samples_; ++s)
        b[s] = static_cast<float>(sum[s] / cnt);
}
