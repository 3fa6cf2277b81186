// The classic entry points take their settings from the current antenna record, the antenna
// parameter block and the parameter store's gain switch.
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/acq_filter.h"
#include "dsp/auto_gain.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Restores the globals this test changes.
struct GlobalsGuard {
    uint16_t samples = eep.samples;
    CAntennaRecord* record = eep.ant_record;
    int32_t l_a = eep.l_a;
    uint8_t gain_switch = prm.gain_switch;
    ~GlobalsGuard()
    {
        eep.samples = samples;
        eep.ant_record = record;
        eep.l_a = l_a;
        prm.gain_switch = gain_switch;
        xml_pars.Init();
    }
};

} // namespace

TEST(CurrentAntenna, acquisition_filter_follows_the_record_edited_on_the_filter_screen)
{
    GlobalsGuard guard;
    xml_pars.Init();
    eep.ant_record = nullptr;
    eep.samples = 100;
    eep.l_a = 2; // before the block is loaded, record l_a is the current one
    CAntennaRecord& a = xml_pars.antenna[2];
    a.filter[FLT_FIR].display_on = 0;
    a.filter[FLT_DC_REMOVAL].display_on = 1;
    a.filter[FLT_DC_REMOVAL].int_par[0] = 10;

    std::vector<int32_t> t(100);
    for (int i = 0; i < 100; ++i)
        t[i] = 1000 * i;
    auto in = t;
    DC_Apply(in.data(), in.data()); // mean of samples 85 .. 94 = 89500
    EXPECT_EQ(in[0], -89500);
    EXPECT_EQ(in[99], 9500);

    // Once the antenna parameter block points at a record, that record rules.
    CAntennaRecord other = xml_pars.antenna[0];
    other.filter[FLT_DC_REMOVAL].display_on = 0;
    other.filter[FLT_FIR].display_on = 0;
    eep.ant_record = &other;
    in = t;
    DC_Apply(in.data(), in.data());
    EXPECT_EQ(in, t);
}

TEST(CurrentAntenna, gain_switch_enables_first_arrival_suppression)
{
    GlobalsGuard guard;
    xml_pars.Init();
    eep.ant_record = nullptr;
    eep.samples = 300;
    xml_pars.current_antenna = 0;
    xml_pars.antenna[0].filter[FLT_AUTO_GAIN].int_par[5] = 4;

    std::vector<float> t(300, 0.0f), out(300);
    for (int i = 40; i < 45; ++i)
        t[i] = 40000.0f;
    for (int i = 46; i < 50; ++i)
        t[i] = -40000.0f;
    prm.gain_switch = 0;
    FW_AutoGain(t.data());
    tAutoGain(t.data(), out.data());
    EXPECT_EQ(out, t);
    prm.gain_switch = 1;
    tAutoGain(t.data(), out.data());
    EXPECT_LT(out[40], t[40] / 2);
}
