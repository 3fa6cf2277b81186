// The arithmetic of the parameter screens: the runs and samples steps at their edges, the
// defaults by antenna type, the speed limit, the filter fields and the calibration result.
#include "screens/param_math.h"

#include <gtest/gtest.h>

TEST(ParamMath, RunsAndSamplesSteps)
{
    struct Case { int cu, runs, clipped, dir, want; };
    const Case steps[] = {
        {1400, 14, 0, +1, 1414},  // a step is one run
        {2030, 14, 0, +1, 2044},  // 146 x 14 is the largest within 2048
        {2044, 14, 0, +1, 2044},  // and stays
        {2048, 32, 0, +1, 2048},
        {2050, 14, 0, +1, 2044},  // a count from the CU above the top falls to it
        {1400, 14, 0, -1, 1386},
        {126, 14, 0, -1, 112},    // 112 still keeps 100 file samples
        {112, 14, 0, -1, 112},    // 98 would not: the floor is never above the value
        {160, 8, 50, -1, 152},    // 152 - 50 clipped still keeps 102
        {152, 8, 50, -1, 152},    // 144 - 50 would not
        {200, 100, 0, -1, 200},   // never below two runs
    };
    for (const Case& c : steps)
        EXPECT_EQ(c.want, cu_samples_step(c.cu, c.runs, c.clipped, c.dir)) << c.cu << " by " << c.runs << " dir " << c.dir;

    EXPECT_EQ(1036, cu_samples_for_runs(1040, 14)) << "74 x 14";
    EXPECT_EQ(1040, cu_samples_for_runs(1040, 8));
    EXPECT_EQ(14, cu_samples_for_runs(10, 14)) << "a count below one run becomes one run";
    EXPECT_EQ(2, runs_step(2, -1));
    EXPECT_EQ(255, runs_step(255, +1));
    EXPECT_EQ(15, runs_step(14, +1));
}

TEST(ParamMath, DefaultsByAntennaType)
{
    struct Case { int type, hw, clipped; bool si; SignalDefaults want; };
    const Case cases[] = {
        {41, 12, 0, true, {8, 800, 1040, 0.48f, 0.09f}},
        {42, 12, 0, false, {14, 700, 1400, 0.33f, 2.0f}},
        {44, 10, 16, true, {32, 720, 736, 0.18f, 0.035f}},
        {44, 12, 16, true, {32, 736, 1536, 0.18f, 0.035f}},
        {46, 11, 20, false, {60, 400, 420, 0.14f, 0.8f}},
        {46, 12, 20, true, {60, 420, 720, 0.14f, 0.02f}},
    };
    for (const Case& c : cases) {
        SignalDefaults d;
        ASSERT_TRUE(signal_defaults(c.type, c.hw, c.clipped, c.si, d)) << c.type;
        EXPECT_EQ(c.want.runs, d.runs) << c.type;
        EXPECT_EQ(c.want.file_samples, d.file_samples) << c.type << " hw " << c.hw;
        EXPECT_EQ(c.want.cu_samples, d.cu_samples) << c.type << " hw " << c.hw;
        EXPECT_FLOAT_EQ(c.want.separation_m, d.separation_m);
        EXPECT_FLOAT_EQ(c.want.point_interval, d.point_interval);
    }
    SignalDefaults d;
    EXPECT_FALSE(signal_defaults(43, 10, 0, true, d)) << "an unknown type keeps the settings";
}

TEST(ParamMath, SpeedLimitFrequencyAndCalibration)
{
    // 3.5 cm per trace, 736 samples at 200 kHz: 3.68 ms per trace.
    EXPECT_NEAR(0.035 / 0.00368, speed_limit(0.035, 736, true), 1e-9);
    EXPECT_NEAR(0.035 / 0.000736, speed_limit(0.035, 736, false), 1e-9);
    EXPECT_EQ(256u, freq_divider(4)); // 312500 Hz
    EXPECT_EQ(512u, freq_divider(0));
    EXPECT_EQ(200u, freq_divider(7));

    struct Case { int32_t pulses; double distance, per_unit; int dir; };
    const Case runs[] = {
        {-523, 10, 52.3, -1},
        {5230, 10, 523, 1},
        {0, 10, 1, 1},      // no pulse: 1, never a calibration of 0
        {-523, 0, 1, 1},    // no distance: nothing to divide by
    };
    for (const Case& c : runs) {
        const Calibration k = calibration_result(c.pulses, c.distance);
        EXPECT_NEAR(c.per_unit, k.pulses_per_unit, 1e-9) << c.pulses;
        EXPECT_EQ(c.dir, k.direction) << c.pulses;
    }
}

TEST(ParamMath, FilterFieldsAndExclusivePairs)
{
    EXPECT_STREQ("Power Base: ", filter_field(6, 1).label);
    EXPECT_TRUE(filter_field(6, 1).is_float);
    EXPECT_FLOAT_EQ(0.01f, filter_field(6, 1).step);
    EXPECT_STREQ("Max. lin. coef.: ", filter_field(2, 0).label);
    EXPECT_FLOAT_EQ(100000, filter_field(2, 0).max);
    EXPECT_EQ(nullptr, filter_field(1, 1).label) << "DC removal has one field";
    EXPECT_EQ(nullptr, filter_field(7, 0).label);
    int shown[7] = {};
    for (int s = 1; s <= 6; s++)
        for (int k = 0; k < 6; k++)
            shown[s] += filter_field(s, k).label != nullptr;
    EXPECT_EQ(1, shown[1]);
    EXPECT_EQ(4, shown[2]);
    EXPECT_EQ(6, shown[4]);
    EXPECT_EQ(2, shown[5]);
    for (int s : {1, 2, 4, 5})
        EXPECT_EQ(s, exclusive_partner(exclusive_partner(s)));
    EXPECT_EQ(5, exclusive_partner(1));
    EXPECT_EQ(4, exclusive_partner(2));
    EXPECT_EQ(0, exclusive_partner(3));
}
