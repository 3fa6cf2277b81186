// The arithmetic of the system screens: the default zoom depth is the inverse of the depth of
// a sample, the version marker test, and the lengths a change of units re-expresses.
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "screens/system_math.h"

#include <gtest/gtest.h>

TEST(SystemMath, ZoomDepthGivesBackTheSampleOfThatDepthWithinItsLimits)
{
    xml_pars.Init();
    eep.Init();
    xml_pars.units = 1;
    xml_pars.soil_velocity = 100;
    eep.sample_interval = 0.0001;
    eep.tz_sample = 40;
    auto samples = [](double p) { return eep.e_samp(p); };
    for (float sep : {0.0f, 0.18f, 1.0f}) {
        eep.ant_separation = sep;
        for (int s : {100, 150, 400, 736})
            EXPECT_EQ(s, zoom_samples_for_depth(double(eep.e_depth(s)), sep, samples, 736)) << s << " sep " << sep;
        EXPECT_EQ(100, zoom_samples_for_depth(0.0, sep, samples, 736)) << "not below 100";
        EXPECT_EQ(736, zoom_samples_for_depth(50.0, sep, samples, 736)) << "not beyond the samples";
    }
}

TEST(SystemMath, VersionMarkerIsSevenOrEightBytesOfANumber)
{
    struct Case { const char* text; int count; bool valid; double version; };
    const Case cases[] = {
        {"12.30000", 8, true, 12.3},   {"12.2244", 7, true, 12.2244}, {"1.23456\n", 8, true, 1.23456},
        {"12.300", 6, false, 0},       {"12.30000", 9, false, 0},     {"", 0, false, 0},
        {"12.3000x", 8, false, 0},     {"1.2.3456", 8, false, 0},     {"        ", 8, false, 0},
        {"-12.3000", 8, false, 0},
    };
    for (const Case& c : cases) {
        double v = -1;
        EXPECT_EQ(c.valid, version_marker_valid(c.count, c.text, &v)) << '"' << c.text << "\" " << c.count;
        if (c.valid) {
            EXPECT_DOUBLE_EQ(c.version, v) << c.text;
        }
    }
    EXPECT_STREQ("/mnt/hda3/root/mon1/fTKVER_012", version_marker_path(0));
    EXPECT_STREQ("/mnt/hda3/root/mon1/fTKVER_012", version_marker_path(200));
    EXPECT_STREQ("/mnt/hda3/root/mon1/fRZVER_003", version_marker_path(5));
}

TEST(SystemMath, UnitChangeReexpressesPointIntervalsAndTheTraceInterval)
{
    xml_pars.Init();
    eep.trace_interval = 0.035f;
    convert_unit_lengths(true, true);
    EXPECT_FLOAT_EQ(0.035f, eep.trace_interval) << "no change, no conversion";
    convert_unit_lengths(true, false);
    EXPECT_NEAR(0.035 / 0.0254, eep.trace_interval, 1e-4);
    EXPECT_NEAR(0.04 / 0.0254, xml_pars.antenna[0].point_interval, 1e-4);
    convert_unit_lengths(false, true);
    EXPECT_NEAR(0.035, eep.trace_interval, 1e-6) << "and back";
    EXPECT_NEAR(0.09, xml_pars.antenna[1].point_interval, 1e-6);
}
