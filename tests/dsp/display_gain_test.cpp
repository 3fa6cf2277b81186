// Time gain, contrast and the running background mean.
#include "dsp/display_gain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

CFilterPars gain_pars(int samples)
{
    CFilterPars p;
    p.samples = samples;
    p.gain_factor = 0.0001;
    p.tg_linear = 20000;
    p.tg_exponential = 100;
    p.tg_start = 40;
    p.tg_value = 50;
    return p;
}

} // namespace

TEST(TimeGain, value_below_one_gives_a_flat_curve)
{
    std::vector<float> g(1000, 5.0f);
    CFilterPars p = gain_pars(1000);
    p.tg_value = 0;
    TimeGain(g.data(), p);
    for (float v : g)
        ASSERT_EQ(v, 1.0f);
}

TEST(TimeGain, follows_the_linear_and_exponential_terms_from_the_start_sample)
{
    const CFilterPars p = gain_pars(1000);
    std::vector<float> g(1000);
    TimeGain(g.data(), p);
    const double k = 0.0001 * 50 / 255.0, M = k * 20000, N = k * 100;
    for (int i : {0, 39, 40, 41, 100, 500, 999}) {
        const double d = i > 40 ? i - 40 : 0;
        const double want = std::max(0.2, 0.2 * (std::exp(std::min(d * N, 10.0)) + 2 * d * M));
        EXPECT_NEAR(g[i], want, want * 1e-6) << i;
    }
    EXPECT_NEAR(g[0], 0.2, 1e-7); // before the start sample only the floor-level constant remains

    // A steep exponent is capped at e^10 for late samples; the trace view's raw curve has no
    // 0.2 scale and no floor.
    CFilterPars steep = p;
    steep.tg_exponential = 1000000;
    steep.tg_linear = 0;
    TimeGain(g.data(), steep, 1.0f, 0.0f);
    EXPECT_NEAR(g[999], std::exp(10.0), 1e-1);
    EXPECT_NEAR(g[0], 1.0, 1e-7);
}

TEST(Contrast, is_a_tenth_of_the_base_to_the_current_value)
{
    CFilterPars p;
    EXPECT_NEAR(contrast_factor(p), 0.1 * std::pow(double(1.05f), 40), 1e-6); // factory: about 0.704
    p.contrast_value = 0;
    EXPECT_NEAR(contrast_factor(p), 0.1, 1e-7);
    p.contrast_value = 10;
    p.contrast_base = 2.0f;
    EXPECT_NEAR(contrast_factor(p), 102.4, 1e-4);
}

namespace {

struct Store {
    std::vector<float> v = std::vector<float>(size_t(STORE_COLUMNS) * STORE_SAMPLES, 0.0f);
    float* col(int pos) { return v.data() + size_t(store_column(pos)) * STORE_SAMPLES; }
};

// Mean of the non-empty columns among positions [lo, hi), summed directly.
std::vector<double> ref_mean(Store& st, int lo, int hi, int samples)
{
    std::vector<double> m(samples, 0.0);
    int n = 0;
    for (int t = lo; t < hi; ++t) {
        const float* c = st.col(t);
        if (c[0] == 0.0f && c[samples - 10] == 0.0f)
            continue;
        for (int s = 0; s < samples; ++s)
            m[s] += c[s];
        ++n;
    }
    for (auto& x : m)
        x = n ? x / n : 0.0;
    return m;
}

} // namespace

TEST(DelMean, running_sum_matches_a_fresh_sum_while_sliding_jumping_and_wrapping)
{
    const int samples = 300;
    Store st;
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-3000.0f, 3000.0f);
    for (int c = 0; c < STORE_COLUMNS; ++c) {
        float* col = st.v.data() + size_t(c) * STORE_SAMPLES;
        if (c % 7 == 3) // skipped trigger step: left empty and not counted
            continue;
        for (int s = 0; s < samples; ++s)
            col[s] = d(rng);
    }
    CDelMean dm;
    std::vector<float> b(samples);
    const int L = 50;
    auto check = [&](int t) {
        const int lo = std::max(t - L, 0);
        dm.move_to(st.v.data(), lo, t, samples);
        dm.mean(b.data());
        const auto ref = ref_mean(st, lo, t, samples);
        for (int s = 0; s < samples; ++s)
            ASSERT_NEAR(b[s], ref[s], 0.05) << "t=" << t << " s=" << s;
    };
    for (int t = 0; t < 200; ++t) // growing from the first stored column, then sliding
        check(t);
    for (int t = 2950; t < 3100; ++t) // across the ring's wrap
        check(t);
    check(500);  // jump
    check(498);  // back
    for (int t = 498; t > 470; --t)
        check(t);
    EXPECT_EQ(dm.counted(), 50 - 7); // columns 420 .. 469: seven empty ones
}

TEST(DelMean, window_is_off_below_two_traces_or_with_the_slot_off)
{
    CFilterPars p;
    p.dm_traces = 1;
    EXPECT_EQ(del_mean_traces(p), 0);
    p.dm_traces = 2;
    EXPECT_EQ(del_mean_traces(p), 2);
    p.dm_on = false;
    EXPECT_EQ(del_mean_traces(p), 0);
}

TEST(DelMean, an_all_empty_window_gives_no_background)
{
    Store st;
    CDelMean dm;
    std::vector<float> b(100, 9.0f);
    dm.move_to(st.v.data(), 10, 20, 100);
    dm.mean(b.data());
    EXPECT_EQ(dm.counted(), 0);
    for (float x : b)
        ASSERT_EQ(x, 0.0f);
}

TEST(DelMean, reset_after_an_overwritten_column_takes_the_new_values)
{
    const int samples = 64;
    Store st;
    for (int t = 0; t < 10; ++t)
        std::fill(st.col(t), st.col(t) + samples, float(t + 1));
    CDelMean dm;
    std::vector<float> b(samples);
    dm.move_to(st.v.data(), 0, 10, samples);
    dm.mean(b.data());
    EXPECT_FLOAT_EQ(b[5], 5.5f);
    std::fill(st.col(4), st.col(4) + samples, 100.0f); // redrawn column
    dm.reset();
    dm.move_to(st.v.data(), 0, 10, samples);
    dm.mean(b.data());
    EXPECT_FLOAT_EQ(b[5], (55.0f - 5.0f + 100.0f) / 10.0f);
}

// The automatic gain of a profile with a strong flat layer: its boxed energy window makes a
// plateau with hard edges. Smoothed, the curve has no step left, keeps its level away from
// the layer and still dips at it.
TEST(SmoothGain, boxed_plateau_edges_become_ramps_the_level_stays)
{
    struct Case {
        int width;
        double max_step; // largest ratio between neighbouring factors
    } cases[] = {{100, 1.03}, {40, 1.08}, {2, 1.0}};
    for (const Case& c : cases) {
        std::vector<float> g(800, 10.0f);
        std::fill(g.begin() + 300, g.begin() + 400, 2.0f);
        g[0] = g[1] = 1.0f; // before the start sample: untouched
        SmoothGain(g.data(), 20, 800, c.width);
        EXPECT_EQ(1.0f, g[0]);
        double step = 1.0;
        for (int i = 21; i < 800; ++i)
            step = std::max(step, double(std::max(g[i], g[i - 1]) / std::min(g[i], g[i - 1])));
        if (c.width < 3) {
            EXPECT_EQ(2.0f, g[350]);
            continue;
        }
        EXPECT_LT(step, c.max_step) << c.width;
        EXPECT_NEAR(10.0, g[60], 0.01) << c.width;
        EXPECT_NEAR(10.0, g[700], 0.01) << c.width;
        EXPECT_LT(g[350], 4.0f) << c.width;
    }
    std::vector<float> off(100, 3.0f);
    off[50] = 0.0f;
    SmoothGain(off.data(), 0, 100, 20);
    EXPECT_EQ(0.0f, off[50]) << "a curve with a zero factor is left as it is";
}
