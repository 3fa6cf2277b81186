// The float filter of the grid data against plain window loops.
#include "dsp/float_filter.h"
#include "dsp/trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

std::vector<double> ref_boxcar(const std::vector<double>& x, int h, bool subtract)
{
    const int n = static_cast<int>(x.size());
    std::vector<double> y(n);
    for (int i = 0; i < n; ++i) {
        double s = 0;
        int c = 0;
        for (int k = i - h; k <= i + h; ++k)
            if (k >= 0 && k < n) {
                s += x[k];
                ++c;
            }
        y[i] = subtract ? x[i] - s / c : s / c;
    }
    return y;
}

CFTrace random_ftrace(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<float> d(300.0f, 1000.0f);
    CFTrace t(n);
    for (int i = 0; i < n; ++i)
        t[i] = d(rng);
    return t;
}

} // namespace

TEST(FloatFilter, fir_is_a_boxcar_high_pass_then_a_boxcar_smoothing_cut_at_the_ends)
{
    for (int n : {1, 3, 20, 440}) {
        for (auto [high, low] : {std::pair<int, int>{50, 0}, {10, 4}, {25, 5}, {1000, 20}}) {
            const CFTrace in = random_ftrace(n, n + high);
            CFTrace out(n);
            fDC_Apply(&in, &out, n, true, high, low, 50);
            std::vector<double> x(in.data, in.data + n);
            const auto ref = ref_boxcar(ref_boxcar(x, high / 2, true), low / 2, false);
            for (int i = 0; i < n; ++i)
                ASSERT_NEAR(out[i], ref[i], 0.05) << "n=" << n << " high=" << high << " i=" << i;

            CFTrace same = in; // in place
            fDC_Apply(&same, &same, n, true, high, low, 50);
            for (int i = 0; i < n; ++i)
                ASSERT_FLOAT_EQ(same[i], out[i]);
        }
    }
}

TEST(FloatFilter, without_fir_removes_the_tail_mean_without_clamping)
{
    CFTrace in(100), out(100);
    for (int i = 0; i < 100; ++i)
        in[i] = 3e9f + 1000.0f * i; // beyond the 32-bit range on purpose
    double sum = 0;
    for (int i = 85; i <= 94; ++i)
        sum += in[i];
    fDC_Apply(&in, &out, 100, false, 50, 0, 10);
    for (int i = 0; i < 100; ++i)
        ASSERT_NEAR(out[i], in[i] - sum / 10, 1e3) << i;
    EXPECT_NEAR(out[0], -89500.0, 1e3);
}

TEST(FloatFilter, never_works_past_either_trace)
{
    CFTrace in = random_ftrace(10, 1);
    CFTrace out(6);
    for (int i = 0; i < 6; ++i)
        out[i] = -1.0f;
    fDC_Apply(&in, &out, 10, true, 4, 2, 50); // cut to the smaller output
    std::vector<double> x(in.data, in.data + 6);
    const auto ref = ref_boxcar(ref_boxcar(x, 2, true), 1, false);
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(out[i], ref[i], 0.01) << i;
    fDC_Apply(&in, &out, 0, true, 4, 2, 50);
    fDC_Apply(nullptr, &out, 6, true, 4, 2, 50);
}
