#include "dsp/auto_gain.h"

#include <algorithm>
#include <cmath>

#include "dsp/rounding.h"

float agf_start_pick = 0.0f;

namespace {

constexpr int kPickWindow = 200;      // samples searched from the start sample
constexpr float kLobeLevel = 1600.0f; // |value| above this belongs to a lobe
constexpr double kPeakScale = 87378.664;
constexpr double kFullScale = 16383.5;

int usable(int samples) { return std::clamp(samples, 0, DSP_MAX_SAMPLES); }

// The pick window [begin, end) cut to the trace.
void pick_window(const CFilterPars& p, int samples, int& begin, int& end)
{
    begin = std::clamp(p.ag_start, 0, samples);
    end = std::min(begin + kPickWindow, samples);
}

struct Lobe {
    int sign = 0;
    int start = 0;
    int end = 0;      // one past its last sample
    int peak_pos = 0;
    float peak = 0.0f; // largest |value|
};

} // namespace

int FW_AutoGain(const float* trace, const CFilterPars& p)
{
    const int samples = usable(p.samples);
    int begin, end;
    pick_window(p, samples, begin, end);
    agf_start_pick = 0.0f;

    float big = 0.0f;
    for (int i = begin; i < end; ++i)
        big = std::max(big, std::fabs(trace[i]));
    for (int i = begin; i < end; ++i)
        if (std::fabs(trace[i]) > big / 2) {
            agf_start_pick = trace[i];
            return i;
        }
    return end;
}

void tAutoGain(const float* in, float* out, const CFilterPars& p)
{
    const int samples = usable(p.samples);
    if (in != out)
        std::copy(in, in + samples, out);
    if (!p.auto_gain || p.ag_first_arrival == 0)
        return;

    // Lobes: runs of samples beyond +-1600 of one sign; a sample inside the band or a change of
    // sign ends a lobe. The first lobe must match the pick's sign and exceed half its size.
    int begin, end;
    pick_window(p, samples, begin, end);
    const int pick_sign = m_sign(agf_start_pick);
    const float pick_half = std::fabs(agf_start_pick) / 2;
    Lobe lobes[2];
    int found = 0;
    Lobe cur;
    bool inside = false;
    for (int i = begin; i < end && found < 2; ++i) {
        const float v = out[i];
        const int sign = v > kLobeLevel ? 1 : (v < -kLobeLevel ? -1 : 0);
        if (inside && sign != cur.sign) {
            cur.end = i;
            inside = false;
            if (found == 1 || (cur.sign == pick_sign && cur.peak > pick_half))
                lobes[found++] = cur;
        }
        if (found == 2)
            break;
        if (sign == 0)
            continue;
        if (!inside) {
            cur = Lobe{sign, i, i, i, std::fabs(v)};
            inside = true;
        } else if (std::fabs(v) > cur.peak) {
            cur.peak = std::fabs(v);
            cur.peak_pos = i;
        }
    }
    if (found < 2)
        return;

    const Lobe& a = lobes[0];
    const Lobe& b = lobes[1];
    const int f = a.start;
    const int o = a.end;
    const int n = a.peak_pos;
    const long t = o + static_cast<long>(o - f);
    const long e = o + 5L * (o - f);
    const double u = std::max<double>(b.peak, std::max<double>(a.peak, 0.0)) / kPeakScale +
                     2.0 * p.ag_first_arrival;
    if (!(u > 0.0))
        return;

    for (int i = 0; i < n && i < samples; ++i)
        out[i] = static_cast<float>(out[i] / u);
    for (long i = n; i < t && i < samples; ++i) {
        const double d = u - (u / 2) * static_cast<double>(i - n) / static_cast<double>(t - n);
        out[i] = static_cast<float>(out[i] / d);
    }
    for (long i = t; i < e && i < samples; ++i) {
        const double d = u / 2 + (1.0 - u / 2) * static_cast<double>(i - t) / static_cast<double>(e - t);
        out[i] = static_cast<float>(out[i] / d);
    }
}

void AutoGain(const float* store, int first, int last, float* gain, const CFilterPars& p,
              int stride)
{
    int n = last - first;
    if (n < 0)
        n += STORE_COLUMNS;
    if (n <= 0)
        return;
    const int samples = usable(p.samples);
    const int s = std::clamp(p.ag_start, 0, samples);

    // Mean trace over samples s .. samples - 1.
    double acc[DSP_MAX_SAMPLES];
    std::fill(acc + s, acc + samples, 0.0);
    for (int c = 0; c < n; ++c) {
        const float* col = store + static_cast<long>(store_column(first + c)) * stride;
        for (int i = s; i < samples; ++i)
            acc[i] += col[i];
    }
    float mean[DSP_MAX_SAMPLES];
    std::fill(mean, mean + s, 0.0f);
    for (int i = s; i < samples; ++i)
        mean[i] = static_cast<float>(acc[i] / n);

    FW_AutoGain(mean, p);
    tAutoGain(mean, mean, p);

    // Energy: mean |mean trace| over i - h .. i + h - 1 cut to s .. samples - 1, from prefix sums
    // (prefix[k] = sum of the values before sample s + k).
    double prefix[DSP_MAX_SAMPLES + 1];
    const int m = samples - s;
    prefix[0] = 0.0;
    for (int k = 0; k < m; ++k)
        prefix[k + 1] = prefix[k] + std::fabs(mean[s + k]);
    auto window_mean = [&](const double* pre, int i, int half) {
        const int lo = std::max(i - half, s);
        const int hi = std::min(i + half, samples);
        return hi > lo ? (pre[hi - s] - pre[lo - s]) / (hi - lo) : 0.0;
    };
    const int h = p.ag_energy_window / 2;
    double energy_prefix[DSP_MAX_SAMPLES + 1];
    energy_prefix[0] = 0.0;
    for (int k = 0; k < m; ++k)
        energy_prefix[k + 1] = energy_prefix[k] + window_mean(prefix, s + k, h);

    const int g = p.ag_gain_window / 2;
    std::fill(gain, gain + s, 1.0f);
    for (int i = s; i < samples; ++i) {
        double x = window_mean(energy_prefix, i, g);
        if (x == 0.0)
            x = kFullScale;
        const double den = p.ag_bias + x;
        gain[i] = den > 0.0 ? static_cast<float>(12.0 * kFullScale / den) : 1.0f;
    }
}

void AutoGain(float* store, int first, int last, float* gain)
{
    AutoGain(store, first, last, gain, current_filter_pars());
}

int FW_AutoGain(float* trace) { return FW_AutoGain(trace, current_filter_pars()); }

void tAutoGain(float* in, float* out) { tAutoGain(in, out, current_filter_pars()); }
