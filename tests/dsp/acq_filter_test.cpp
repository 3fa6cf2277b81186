// The acquisition filter against plain per-sample window loops written in the test.
#include "dsp/acq_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace {

CFilterPars dc_pars(int samples, int percent)
{
    CFilterPars p;
    p.samples = samples;
    p.fir_on = false;
    p.dc_on = true;
    p.dc_percent = percent;
    return p;
}

CFilterPars fir_pars(int samples, int high)
{
    CFilterPars p;
    p.samples = samples;
    p.fir_on = true;
    p.fir_high = high;
    return p;
}

int32_t ref_clamp(long double v)
{
    if (v > 2147483647.0L)
        return INT32_MAX;
    if (v < -2147483648.0L)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Band-pass written directly from its definition.
std::vector<int32_t> ref_bpf(const std::vector<double>& in)
{
    const int n = static_cast<int>(in.size());
    std::vector<int32_t> out(n);
    for (int i = 0; i < n; ++i) {
        long double s = 0;
        for (int j = -30; j <= 30; ++j)
            if (i + j >= 0 && i + j < n)
                s += static_cast<long double>(bpf_H[30 + j]) * in[i + j];
        out[i] = ref_clamp(s);
    }
    return out;
}

// Boxcar high-pass, one window sum per sample.
std::vector<double> ref_highpass1(const std::vector<int32_t>& in, int high)
{
    const int n = static_cast<int>(in.size()), a = high / 2;
    std::vector<double> out(n);
    for (int i = 0; i < n; ++i) {
        long double s = 0;
        int c = 0;
        for (int k = -a; k <= a; ++k)
            if (i + k >= 0 && i + k < n) {
                s += in[i + k];
                ++c;
            }
        out[i] = in[i] - static_cast<double>(s / c);
    }
    return out;
}

// Triangular high-pass: weights 1 - |k| / (a + 1); the weighted sum over the samples present,
// scaled to the interior divisor a + 2 (interior: the sum divided by a + 2 exactly).
std::vector<double> ref_highpass2(const std::vector<int32_t>& in, int high)
{
    const int n = static_cast<int>(in.size()), a = high / 2;
    std::vector<double> out(n);
    for (int i = 0; i < n; ++i) {
        long double s = 0, w = 0;
        for (int k = -a - 1; k <= a + 1; ++k) {
            const long double wk = 1.0L - std::fabs(static_cast<long double>(k)) / (a + 1);
            if (i + k >= 0 && i + k < n) {
                s += wk * in[i + k];
                w += wk;
            }
        }
        const long double full = a + 1; // sum of all weights
        out[i] = in[i] - static_cast<double>(s / w * full / (a + 2));
    }
    return out;
}

std::vector<int32_t> random_trace(int n, unsigned seed, int32_t amplitude)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int32_t> d(-amplitude, amplitude);
    std::vector<int32_t> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = d(rng) + static_cast<int32_t>(amplitude / 3 * std::sin(i * 0.05)); // DC-ish swell
    return v;
}

} // namespace

TEST(BandPassTaps, are_symmetric_and_sum_to_one)
{
    for (int k = 0; k < 61; ++k)
        EXPECT_EQ(bpf_H[k], bpf_H[60 - k]) << k;
    // The listed taps sum to 1.000323 (quoted as 1.0003).
    EXPECT_NEAR(std::accumulate(bpf_H.begin(), bpf_H.end(), 0.0), 1.000323, 1e-6);
    EXPECT_FLOAT_EQ(bpf_H[30], 0.351563f);
    EXPECT_FLOAT_EQ(bpf_H[0], 0.000583f);
}

TEST(ConvolveBPF, matches_the_direct_sum_everywhere_including_both_ends)
{
    for (int n : {1, 2, 30, 31, 60, 61, 62, 100, 257, 1024, 2048}) {
        std::mt19937 rng(n);
        std::uniform_real_distribution<double> d(-1e8, 1e8);
        std::vector<double> in(n); // exact size: ASan reports any tap read past either end
        for (auto& x : in)
            x = d(rng);
        std::vector<int32_t> out(n);
        convolve_BPF(in.data(), out.data(), n);
        const auto ref = ref_bpf(in);
        for (int i = 0; i < n; ++i)
            ASSERT_NEAR(out[i], ref[i], 1) << "n=" << n << " i=" << i;
    }
}

TEST(ConvolveBPF, an_impulse_at_either_end_reproduces_only_the_taps_inside)
{
    const int n = 100;
    std::vector<double> in(n, 0.0);
    std::vector<int32_t> out(n);
    in[0] = 1e6;
    convolve_BPF(in.data(), out.data(), n);
    for (int i = 0; i <= 30; ++i)
        EXPECT_EQ(out[i], static_cast<int32_t>(bpf_H[30 - i] * 1e6)) << i;
    for (int i = 31; i < n; ++i)
        EXPECT_EQ(out[i], 0) << i;

    std::fill(in.begin(), in.end(), 0.0);
    in[n - 1] = -1e6;
    convolve_BPF(in.data(), out.data(), n);
    for (int i = n - 31; i < n; ++i)
        EXPECT_EQ(out[i], static_cast<int32_t>(bpf_H[30 + (n - 1 - i)] * -1e6)) << i;
    EXPECT_EQ(out[n - 32], 0);

    // A flat trace is not padded with zeros: the ends keep only the partial tap sum.
    std::fill(in.begin(), in.end(), 1e6);
    convolve_BPF(in.data(), out.data(), n);
    double partial = 0;
    for (int j = 0; j <= 30; ++j)
        partial += bpf_H[30 + j];
    EXPECT_NEAR(out[0], partial * 1e6, 1);
    EXPECT_NEAR(out[50], 1.000323e6, 2);
}

TEST(ConvolveBPF, sums_beyond_the_32_bit_range_clamp_instead_of_wrapping)
{
    const int n = 200;
    // 1e10 stays beyond the range even where only half the taps fall inside the trace.
    std::vector<double> hi(n, 1e10), lo(n, -1e10), edge(n, 2147483647.0);
    std::vector<int32_t> out(n);
    convolve_BPF(hi.data(), out.data(), n);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(out[i], INT32_MAX) << i;
    convolve_BPF(lo.data(), out.data(), n);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(out[i], INT32_MIN) << i;
    convolve_BPF(edge.data(), out.data(), n); // interior gain 1.0003 pushes it over the top
    EXPECT_EQ(out[100], INT32_MAX);
}

TEST(HighPass, both_types_match_their_window_definitions)
{
    for (int n : {1, 2, 5, 26, 27, 60, 333, 2048}) {
        for (int high : {0, 1, 2, 10, 50, 100, 5000}) {
            const auto in = random_trace(n, n * 7 + high, 1 << 30);
            std::vector<double> out(n);
            High_Pass_Filter(in.data(), out.data(), 1, n, high);
            const auto r1 = ref_highpass1(in, high);
            for (int i = 0; i < n; ++i)
                ASSERT_NEAR(out[i], r1[i], 1e-3) << "type 1 n=" << n << " high=" << high << " i=" << i;
            High_Pass_Filter(in.data(), out.data(), 2, n, high);
            const auto r2 = ref_highpass2(in, high);
            for (int i = 0; i < n; ++i)
                ASSERT_NEAR(out[i], r2[i], 1e-3) << "type 2 n=" << n << " high=" << high << " i=" << i;
        }
    }
}

TEST(HighPass, triangular_interior_divides_the_weighted_sum_by_a_plus_two)
{
    // a = 2: weights 1/3, 2/3, 1, 2/3, 1/3; the sample at 10 sees only the impulse at 9.
    const int n = 21;
    std::vector<int32_t> in(n, 0);
    in[9] = 3000;
    std::vector<double> out(n);
    High_Pass_Filter(in.data(), out.data(), 2, n, 4);
    EXPECT_NEAR(out[10], 0 - 3000.0 * (2.0 / 3.0) / 4.0, 1e-9);
    EXPECT_NEAR(out[9], 3000 - 3000.0 / 4.0, 1e-9);
    EXPECT_NEAR(out[12], 0.0, 1e-12); // distance 3 = a + 1 carries no weight

    // A constant keeps the same residual c / (a + 2) at the ends and in the interior.
    std::vector<int32_t> flat(n, 4000);
    High_Pass_Filter(flat.data(), out.data(), 2, n, 4);
    for (int i = 0; i < n; ++i)
        EXPECT_NEAR(out[i], 1000.0, 1e-9) << i;
}

TEST(DCApply, ten_percent_of_100_samples_takes_the_mean_of_samples_85_to_94)
{
    std::vector<int32_t> in(100), out(100);
    for (int i = 0; i < 100; ++i)
        in[i] = 1000000 + 1000 * i; // any other window gives another mean
    long long sum = 0;
    for (int i = 85; i <= 94; ++i)
        sum += in[i];
    const double mean = sum / 10.0;
    DC_Apply(in.data(), out.data(), dc_pars(100, 10));
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(out[i], static_cast<int32_t>(in[i] - mean)) << i;
}

TEST(DCApply, a_longer_tail_drops_its_last_five_samples_and_results_truncate_toward_zero)
{
    // 300 samples at 10 %: a = 30, the mean over 270 .. 294.
    std::vector<int32_t> in(300, 0), out(300);
    for (int i = 270; i <= 294; ++i)
        in[i] = 7;
    in[294] = 8; // mean 7.04
    for (int i = 295; i < 300; ++i)
        in[i] = 1 << 30; // excluded
    DC_Apply(in.data(), out.data(), dc_pars(300, 10));
    EXPECT_EQ(out[0], -7);  // -7.04 -> -7
    EXPECT_EQ(out[270], 0); // -0.04 -> 0
    EXPECT_EQ(out[294], 0); // 0.96 -> 0
    EXPECT_EQ(out[299], (1 << 30) - 8); // ...816.96 -> ...816
}

TEST(DCApply, removal_clamps_instead_of_wrapping)
{
    std::vector<int32_t> in(100, -2000000000), out(100);
    in[0] = 2000000000;
    in[1] = INT32_MIN;
    DC_Apply(in.data(), out.data(), dc_pars(100, 10));
    EXPECT_EQ(out[0], INT32_MAX); // 4e9
    EXPECT_EQ(out[1], -147483648);
    EXPECT_EQ(out[50], 0);
}

TEST(DCApply, fir_is_the_triangular_high_pass_then_the_band_pass_and_works_in_place)
{
    for (int n : {40, 512, 2048}) {
        const auto in = random_trace(n, 99 + n, 1 << 29);
        const auto ref = ref_bpf(ref_highpass2(in, 50));
        std::vector<int32_t> out(n);
        DC_Apply(in.data(), out.data(), fir_pars(n, 50));
        for (int i = 0; i < n; ++i)
            ASSERT_NEAR(out[i], ref[i], 1) << "n=" << n << " i=" << i;
        auto inplace = in;
        DC_Apply(inplace.data(), inplace.data(), fir_pars(n, 50));
        EXPECT_EQ(inplace, out);
    }
}

TEST(DCApply, fir_takes_precedence_over_dc_removal_and_both_off_copies)
{
    const auto in = random_trace(256, 5, 1 << 20);
    std::vector<int32_t> a(256), b(256);
    CFilterPars both = fir_pars(256, 50);
    both.dc_on = true;
    DC_Apply(in.data(), a.data(), both);
    DC_Apply(in.data(), b.data(), fir_pars(256, 50));
    EXPECT_EQ(a, b);

    CFilterPars off;
    off.samples = 256;
    off.fir_on = off.dc_on = false;
    DC_Apply(in.data(), a.data(), off);
    EXPECT_EQ(a, in);
}

TEST(DCApply, touches_nothing_beyond_the_largest_supported_trace)
{
    // A sample count above the 2048 work samples is cut, never overrun.
    std::vector<int32_t> in(DSP_MAX_SAMPLES, 5), out(DSP_MAX_SAMPLES, 0);
    DC_Apply(in.data(), out.data(), fir_pars(5000, 50));
    DC_Apply(in.data(), out.data(), dc_pars(5000, 10));
    EXPECT_EQ(out[DSP_MAX_SAMPLES - 1], 0);
    // Traces shorter than the DC tail: the window is cut at the first sample.
    std::vector<int32_t> tiny{10, 20, 30, 40, 50, 60, 70}, tout(7);
    DC_Apply(tiny.data(), tout.data(), dc_pars(7, 50)); // mean of samples 0 .. 1 = 15
    EXPECT_EQ(tout[0], -5);
    EXPECT_EQ(tout[6], 55);
    std::vector<int32_t> four{1, 2, 3, 4}, fout(4);
    DC_Apply(four.data(), fout.data(), dc_pars(4, 50)); // no window left: unchanged
    EXPECT_EQ(fout, four);
}
