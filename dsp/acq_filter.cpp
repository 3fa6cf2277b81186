#include "dsp/acq_filter.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// h[0] .. h[30]; the taps after the centre mirror them.
constexpr float kHalfBPF[BPF_TAPS / 2 + 1] = {
    0.000583f, 0.00048f,  -0.00053f, -0.001468f, -0.0008f,   0.001438f,  0.00282f,  0.000931f,
    -0.003107f, -0.004656f, -0.000578f, 0.005841f, 0.006918f, -0.000689f, -0.01001f, -0.009464f,
    0.003497f, 0.016151f, 0.012082f, -0.008892f, -0.025324f, -0.014512f, 0.019135f, 0.040428f,
    0.016489f, -0.041514f, -0.073484f, -0.01778f, 0.126703f, 0.283692f, 0.351563f,
};

constexpr std::array<float, BPF_TAPS> mirrored_taps()
{
    std::array<float, BPF_TAPS> h{};
    for (int k = 0; k <= BPF_TAPS / 2; ++k) {
        h[k] = kHalfBPF[k];
        h[BPF_TAPS - 1 - k] = kHalfBPF[k];
    }
    return h;
}

} // namespace

const std::array<float, BPF_TAPS> bpf_H = mirrored_taps();

namespace {

constexpr int kHalfTaps = BPF_TAPS / 2; // 30

// Half-windows beyond this cover any trace many times over; the bound keeps the integer
// running sums of the triangular window exact and free of overflow.
constexpr int64_t kMaxHalfWindow = 32767;

int usable_samples(int samples) { return std::clamp(samples, 0, DSP_MAX_SAMPLES); }

// Block of interior outputs accumulated together: each tap pass is a vectorisable sweep over
// the block, which stays in L1 between the 31 passes.
constexpr int kBlock = 256;

} // namespace

int32_t clamp_to_int32(double v)
{
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(v); // truncation toward zero
}

void convolve_BPF(const double* in, int32_t* out, int count)
{
    if (count <= 0)
        return;
    double h[kHalfTaps + 1]; // h[k] is the tap at distance k from the centre
    for (int k = 0; k <= kHalfTaps; ++k)
        h[k] = bpf_H[kHalfTaps + k];

    // Ends: only the taps that fall inside the trace.
    auto edge = [&](int i) {
        const int jlo = std::max(-kHalfTaps, -i);
        const int jhi = std::min(kHalfTaps, count - 1 - i);
        double s = 0.0;
        for (int j = jlo; j <= jhi; ++j)
            s += static_cast<double>(bpf_H[kHalfTaps + j]) * in[i + j];
        out[i] = clamp_to_int32(s);
    };

    const int lo = kHalfTaps;             // first output with every tap inside
    const int hi = count - kHalfTaps;     // one past the last such output
    if (hi <= lo) {
        for (int i = 0; i < count; ++i)
            edge(i);
        return;
    }
    for (int i = 0; i < lo; ++i)
        edge(i);

    double acc[kBlock];
    for (int b = lo; b < hi; b += kBlock) {
        const int n = std::min(kBlock, hi - b);
        const double* x = in + b;
        for (int i = 0; i < n; ++i)
            acc[i] = h[0] * x[i];
        for (int k = 1; k <= kHalfTaps; ++k) {
            const double hk = h[k];
            const double* xm = x - k;
            const double* xp = x + k;
            for (int i = 0; i < n; ++i)
                acc[i] += hk * (xm[i] + xp[i]);
        }
        for (int i = 0; i < n; ++i)
            out[b + i] = clamp_to_int32(acc[i]);
    }

    for (int i = hi; i < count; ++i)
        edge(i);
}

void High_Pass_Filter(const int32_t* in, double* out, int type, int samples, int high)
{
    const int n = usable_samples(samples);
    if (n <= 0)
        return;
    const int64_t a = std::clamp<int64_t>(high / 2, 0, kMaxHalfWindow);

    if (type == 1) {
        // Boxcar over i - a .. i + a, cut to the trace: a running sum plus a closed-form count.
        int64_t sum = 0;
        const int64_t first_hi = std::min<int64_t>(a, n - 1);
        for (int64_t j = 0; j <= first_hi; ++j)
            sum += in[j];
        for (int64_t i = 0; i < n; ++i) {
            const int64_t lo = std::max<int64_t>(i - a, 0);
            const int64_t hi = std::min<int64_t>(i + a, n - 1);
            out[i] = in[i] - static_cast<double>(sum) / static_cast<double>(hi - lo + 1);
            if (i + 1 < n) {
                if (i + a + 1 < n)
                    sum += in[i + a + 1];
                if (i - a >= 0)
                    sum -= in[i - a];
            }
        }
        return;
    }

    // Triangular window in integer form: W(i) = sum over |k| <= a of (a + 1 - |k|) * x[i + k],
    // D(i) the same sum of the weights alone, both over the samples inside the trace. Moving one
    // sample right adds the a + 1 samples after i and removes the a + 1 samples up to i:
    //   W(i + 1) = W(i) + R(i) - L(i),  R(i) = x[i+1 .. i+a+1],  L(i) = x[i-a .. i].
    // The interior mean is W / (a + 1)^2 and the rule divides the weighted sum by a + 2, i.e.
    // W / ((a + 1)(a + 2)); at the ends the same proportion is applied to the weights present,
    // W / D * (a + 1) / (a + 2), so the response is uniform along the trace.
    int64_t W = 0, D = 0;
    const int64_t first_hi = std::min<int64_t>(a, n - 1);
    for (int64_t k = 0; k <= first_hi; ++k) {
        W += (a + 1 - k) * static_cast<int64_t>(in[k]);
        D += a + 1 - k;
    }
    int64_t R = 0;
    for (int64_t j = 1; j <= std::min<int64_t>(a + 1, n - 1); ++j)
        R += in[j];
    int64_t L = in[0];
    const double scale = static_cast<double>(a + 1) / static_cast<double>(a + 2);

    for (int64_t i = 0; i < n; ++i) {
        out[i] = in[i] - static_cast<double>(W) / static_cast<double>(D) * scale;
        if (i + 1 >= n)
            break;
        const int64_t rc = std::min<int64_t>(i + a + 1, n - 1) - i;
        const int64_t lc = i - std::max<int64_t>(i - a, 0) + 1;
        W += R - L;
        D += rc - lc;
        R -= in[i + 1];
        if (i + a + 2 < n)
            R += in[i + a + 2];
        L += in[i + 1];
        if (i - a >= 0)
            L -= in[i - a];
    }
}

void DC_Apply(const int32_t* in, int32_t* out, const CFilterPars& p)
{
    const int n = usable_samples(p.samples);
    if (n <= 0)
        return;

    if (p.fir_on) {
        double work[DSP_MAX_SAMPLES];
        High_Pass_Filter(in, work, 2, n, p.fir_high);
        convolve_BPF(work, out, n);
        return;
    }

    if (p.dc_on) {
        // Mean of the tail (at least 15 samples) without its last 5 samples.
        const int64_t a = static_cast<int64_t>(n) * p.dc_percent / 100;
        const int64_t tail = std::max<int64_t>(a, 15);
        const int64_t lo = std::max<int64_t>(n - tail, 0);
        const int64_t hi = n - 6; // inclusive
        double mean = 0.0;
        if (hi >= lo) {
            int64_t sum = 0;
            for (int64_t i = lo; i <= hi; ++i)
                sum += in[i];
            mean = static_cast<double>(sum) / static_cast<double>(hi - lo + 1);
        }
        for (int i = 0; i < n; ++i)
            out[i] = clamp_to_int32(static_cast<double>(in[i]) - mean);
        return;
    }

    if (in != out)
        std::copy(in, in + n, out);
}

void DC_Apply(int32_t* in, int32_t* out) { DC_Apply(in, out, current_filter_pars()); }

void High_Pass_Filter(int32_t* in, double* out, int type)
{
    const CFilterPars p = current_filter_pars();
    High_Pass_Filter(in, out, type, p.samples, p.fir_high);
}
