// Automatic gain, the first-arrival pick and its suppression.
#include "dsp/auto_gain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

CFilterPars ag_pars(int samples)
{
    CFilterPars p;
    p.samples = samples;
    p.auto_gain = true;
    p.ag_traces = 100;
    p.ag_energy_window = 100;
    p.ag_gain_window = 10;
    p.ag_bias = 2;
    p.ag_start = 20;
    p.ag_first_arrival = 0;
    return p;
}

struct Store {
    std::vector<float> v = std::vector<float>(size_t(STORE_COLUMNS) * STORE_SAMPLES, 0.0f);
    float* col(int pos) { return v.data() + size_t(store_column(pos)) * STORE_SAMPLES; }
};

// The gain curve by direct window loops over a given mean trace (no suppression).
std::vector<double> ref_gain(const std::vector<double>& mean, const CFilterPars& p)
{
    const int S = p.samples, s = p.ag_start, h = p.ag_energy_window / 2, g = p.ag_gain_window / 2;
    std::vector<double> energy(S, 0.0), gain(S, 1.0);
    for (int i = s; i < S; ++i) {
        double sum = 0;
        int c = 0;
        for (int k = i - h; k < i + h; ++k)
            if (k >= s && k < S) {
                sum += std::fabs(mean[k]);
                ++c;
            }
        energy[i] = c ? sum / c : 0;
    }
    for (int i = s; i < S; ++i) {
        double sum = 0;
        int c = 0;
        for (int k = i - g; k < i + g; ++k)
            if (k >= s && k < S) {
                sum += energy[k];
                ++c;
            }
        double x = c ? sum / c : 0;
        if (x == 0)
            x = 16383.5;
        gain[i] = 12 * 16383.5 / (p.ag_bias + x);
    }
    return gain;
}

} // namespace

TEST(AutoGain, first_equal_to_last_changes_nothing)
{
    Store st;
    std::fill(st.col(5), st.col(5) + 500, 1234.0f);
    std::vector<float> gain(STORE_SAMPLES, 7.0f);
    AutoGain(st.v.data(), 5, 5, gain.data(), ag_pars(500));
    for (float g : gain)
        ASSERT_EQ(g, 7.0f);
}

TEST(AutoGain, mean_of_the_columns_across_the_ring_wrap_gives_the_window_gain)
{
    const int S = 600;
    const CFilterPars p = ag_pars(S);
    Store st;
    std::mt19937 rng(11);
    std::normal_distribution<float> d(0.0f, 800.0f);
    for (int c = 0; c < STORE_COLUMNS; ++c)
        for (int i = 0; i < S; ++i)
            st.col(c)[i] = d(rng) * (1.0f + i / 50.0f);
    // Columns 2990 .. 2999 and 0 .. 9.
    std::vector<double> mean(S, 0.0);
    for (int c = 2990; c < 3010; ++c)
        for (int i = 0; i < S; ++i)
            mean[i] += st.col(c)[i] / 20.0;
    const auto ref = ref_gain(mean, p);

    std::vector<float> gain(STORE_SAMPLES, 7.0f);
    AutoGain(st.v.data(), 2990, 10, gain.data(), p);
    for (int i = 0; i < S; ++i)
        ASSERT_NEAR(gain[i], ref[i], std::fabs(ref[i]) * 1e-4) << i;
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(gain[i], 1.0f);
    EXPECT_EQ(gain[S], 7.0f); // nothing past the sample count
}

TEST(AutoGain, silent_traces_use_the_full_scale_and_a_single_trace_works_as_a_store)
{
    CFilterPars p = ag_pars(300);
    p.ag_bias = 200;
    std::vector<float> trace(300, 0.0f), gain(300, 0.0f); // exact size: one column only
    AutoGain(trace.data(), 0, 1, gain.data(), p, 300);
    EXPECT_NEAR(gain[100], 12 * 16383.5 / (200 + 16383.5), 1e-5);

    // Windows that would reach before the start sample or past the end are cut.
    for (int i = 0; i < 300; ++i)
        trace[i] = (i % 2 ? 1000.0f : -1000.0f);
    p.ag_start = 0;
    p.ag_energy_window = 1000;
    p.ag_gain_window = 1000;
    AutoGain(trace.data(), 0, 1, gain.data(), p, 300);
    for (int i = 0; i < 300; ++i)
        ASSERT_NEAR(gain[i], 12 * 16383.5 / (200 + 1000.0), 1e-3) << i;
}

namespace {

// Start sample 20; a positive lobe over 40 .. 44 (peak 50000 at 42), a negative lobe over
// 46 .. 49 (peak 30000), small values elsewhere.
std::vector<float> arrival_trace(int S)
{
    std::vector<float> t(S, 100.0f);
    const float pos[5] = {5000, 30000, 50000, 20000, 2000};
    for (int i = 0; i < 5; ++i)
        t[40 + i] = pos[i];
    const float neg[4] = {-10000, -30000, -8000, -1700};
    for (int i = 0; i < 4; ++i)
        t[46 + i] = neg[i];
    return t;
}

} // namespace

TEST(FirstArrival, pick_is_the_first_sample_above_half_the_window_peak)
{
    const CFilterPars p = ag_pars(500);
    auto t = arrival_trace(500);
    t[10] = 1e6f;  // before the start sample: ignored
    t[230] = 1e6f; // beyond the 200-sample window: ignored
    EXPECT_EQ(FW_AutoGain(t.data(), p), 41);
    EXPECT_EQ(agf_start_pick, 30000.0f);

    std::vector<float> flat(500, 0.0f);
    EXPECT_EQ(FW_AutoGain(flat.data(), p), 220); // none: the window end
    EXPECT_EQ(agf_start_pick, 0.0f);

    CFilterPars late = p;
    late.ag_start = 450;
    EXPECT_EQ(FW_AutoGain(flat.data(), late), 500); // window cut at the trace end
}

TEST(FirstArrival, suppression_off_at_zero_or_with_manual_gain_leaves_the_trace_as_it_is)
{
    CFilterPars p = ag_pars(500);
    const auto t = arrival_trace(500);
    FW_AutoGain(t.data(), p);
    std::vector<float> out(500, -1.0f);
    tAutoGain(t.data(), out.data(), p);
    EXPECT_EQ(out, t);

    p.ag_first_arrival = 3;
    p.auto_gain = false;
    tAutoGain(t.data(), out.data(), p);
    EXPECT_EQ(out, t);

    // And the automatic gain curve with suppression 0 equals the one of the untouched mean.
    Store st;
    std::copy(t.begin(), t.end(), st.col(0));
    std::vector<float> gain(500);
    CFilterPars on = ag_pars(500);
    AutoGain(st.v.data(), 0, 1, gain.data(), on);
    const auto ref = ref_gain(std::vector<double>(t.begin(), t.end()), on);
    for (int i = 0; i < 500; ++i)
        ASSERT_NEAR(gain[i], ref[i], ref[i] * 1e-4) << i;
}

TEST(FirstArrival, two_lobes_divide_the_arrival_down_and_fade_back_to_one)
{
    CFilterPars p = ag_pars(500);
    p.ag_first_arrival = 3;
    const auto t = arrival_trace(500);
    FW_AutoGain(t.data(), p);
    std::vector<float> out(500);
    tAutoGain(t.data(), out.data(), p);

    // First lobe 40 .. 44 ends at 45: f = 40, o = 45, t = 50, e = 70; its peak is at n = 42.
    const double u = 50000 / 87378.664 + 6;
    for (int i = 0; i < 42; ++i)
        ASSERT_NEAR(out[i], t[i] / u, 1e-2) << i;
    for (int i = 42; i < 50; ++i) {
        const double div = u - u / 2 * (i - 42) / 8.0;
        ASSERT_NEAR(out[i], t[i] / div, 1e-2) << i;
    }
    for (int i = 50; i < 70; ++i) {
        const double div = u / 2 + (1 - u / 2) * (i - 50) / 20.0;
        ASSERT_NEAR(out[i], t[i] / div, 1e-2) << i;
    }
    for (int i = 70; i < 500; ++i)
        ASSERT_EQ(out[i], t[i]) << i;

    // In place gives the same.
    auto same = t;
    tAutoGain(same.data(), same.data(), p);
    EXPECT_EQ(same, out);
}

TEST(FirstArrival, incomplete_or_mismatched_lobes_suppress_nothing)
{
    CFilterPars p = ag_pars(500);
    p.ag_first_arrival = 3;
    auto t = arrival_trace(500);
    FW_AutoGain(t.data(), p); // positive pick

    // The second lobe still running when the window ends.
    auto open = t;
    for (int i = 46; i < 220; ++i)
        open[i] = -5000.0f;
    std::vector<float> out(500);
    tAutoGain(open.data(), out.data(), p);
    EXPECT_EQ(out, open);

    // A negative first lobe does not match the positive pick: it is skipped and the following
    // positive and negative lobes are taken instead.
    auto flipped = t;
    for (int i = 30; i < 33; ++i)
        flipped[i] = -40000.0f;
    tAutoGain(flipped.data(), out.data(), p);
    EXPECT_NEAR(out[31], -40000.0 / (50000 / 87378.664 + 6), 1e-2);

    // Suppression reaching past the trace end stops at the last sample.
    CFilterPars shortp = p;
    shortp.samples = 60;
    std::vector<float> s60(t.begin(), t.begin() + 60), o60(60);
    tAutoGain(s60.data(), o60.data(), shortp);
    EXPECT_LT(o60[59], s60[59]);
}
