// The factory filter table and the values the filters take from the slots.
#include "dsp/filter_slots.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(FilterTable, factory_slots_carry_their_kinds_names_switches_and_parameters)
{
    CFilterSlot f[FILTER_SLOTS];
    std::memset(f, 0x5A, sizeof f); // anything left over would show
    init_filter(f, FILTER_SLOTS);

    const char* names[7] = {"Undefined Filter", "DC Removal", "Time Gain Filter",
                            "Delete Mean Trace", "Auto Time Gain Filter", "FIR filter", "Contrast"};
    const char* short_names[7] = {"Undef", "DC-Rem", "Time Gain", "Del.Mean", "Auto Gain", "FIR",
                                  "Contrast"};
    const int display[7] = {0, 0, 0, 1, 1, 1, 1};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(f[k].index, k);
        EXPECT_STREQ(f[k].name, names[k]);
        EXPECT_STREQ(f[k].sh_name, short_names[k]);
        EXPECT_EQ(f[k].display_on, display[k]) << k;
        EXPECT_EQ(f[k].file_on, 0);
    }
    EXPECT_EQ(f[2].int_par[3], 50); // time gain "current value"
    EXPECT_FLOAT_EQ(f[6].float_par, 1.05f);
    EXPECT_EQ(f[0].int_par[9], 0);
    EXPECT_EQ(f[4].int_par[6], 0);
    EXPECT_EQ(f[0].float_par, 0.0f);
}

TEST(FilterTable, fewer_slots_than_seven_are_filled_without_writing_past_them)
{
    std::vector<CFilterSlot> f(3); // exact size: ASan reports a write past slot 2
    init_filter(f.data(), 3);
    EXPECT_STREQ(f[2].name, "Time Gain Filter");
    init_filter(nullptr, 7);
    init_filter(f.data(), 0);
}

TEST(FilterTable, snapshot_reads_each_parameter_from_its_slot)
{
    CFilterSlot f[FILTER_SLOTS];
    init_filter(f, FILTER_SLOTS);
    f[1].display_on = 1;
    f[1].int_par[0] = 12;
    f[2].int_par[3] = 77;  // time gain "current value"
    f[2].int_par[2] = 33;  // its start sample
    f[3].display_on = 0;
    f[4].int_par[3] = 4;   // bias
    f[4].int_par[5] = 6;   // first-arrival suppression
    f[5].display_on = 0;
    f[5].int_par[0] = 80;
    f[5].int_par[1] = 8;
    f[6].int_par[0] = 22;
    f[6].float_par = 1.5f;

    const CFilterPars p = filter_pars(f, FILTER_SLOTS, 736, 0.00025, true);
    EXPECT_EQ(p.samples, 736);
    EXPECT_DOUBLE_EQ(p.gain_factor, 0.00025);
    EXPECT_TRUE(p.auto_gain);
    EXPECT_TRUE(p.dc_on);
    EXPECT_EQ(p.dc_percent, 12);
    EXPECT_EQ(p.tg_value, 77);
    EXPECT_EQ(p.tg_start, 33);
    EXPECT_EQ(p.tg_linear, 20000);
    EXPECT_FALSE(p.dm_on);
    EXPECT_EQ(p.ag_bias, 4);
    EXPECT_EQ(p.ag_first_arrival, 6);
    EXPECT_FALSE(p.fir_on);
    EXPECT_EQ(p.fir_high, 80);
    EXPECT_EQ(p.fir_low, 8);
    EXPECT_EQ(p.contrast_value, 22);
    EXPECT_FLOAT_EQ(p.contrast_base, 1.5f);

    // An antenna record with only two filters keeps the factory values for the others.
    const CFilterPars q = filter_pars(f, 2, 500, 0.0001, false);
    EXPECT_TRUE(q.fir_on);
    EXPECT_EQ(q.fir_high, 50);
    EXPECT_EQ(q.dc_percent, 12);
}
