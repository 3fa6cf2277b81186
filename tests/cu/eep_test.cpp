// The antenna parameter block: units and names, depth conversions, antenna selection, loading
// from and saving to the XML parameter object with the CU off, and the trigger step.
#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "gui/lang.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

class EepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        xml_pars.Init();
        eep = CEEP();
        eep.Init();
        prm.language = 0;
        lngs.create_M(0);
    }
    void TearDown() override
    {
        xml_pars.Init();
        prm.language = 0;
        lngs.create_M(0);
    }
    static std::string unit_name(int code)
    {
        char b[kUnitNameSize] = "keep";
        eep.GetUnitName(b, code);
        return b;
    }
    static std::string sh_name(int code, int bracket = 0, int b = 0)
    {
        char t[kUnitNameSize] = "keep";
        eep.GetShUnitName(t, bracket, code, b);
        return t;
    }
};

// ---- Units ----------------------------------------------------------------------------

TEST_F(EepTest, UnitSizesFollowTheMetricSetting)
{
    xml_pars.units = 1;
    EXPECT_EQ(eep.GetUnit(0), 1.0L);
    EXPECT_EQ(eep.GetUnit(1), 0.01L);
    EXPECT_EQ(eep.GetUnit(2), 0.001L);
    EXPECT_EQ(eep.GetUnit(10), 1.0L);
    xml_pars.units = 0;
    EXPECT_EQ(eep.GetUnit(0), 0.3048L);
    EXPECT_EQ(eep.GetUnit(1), 0.0254L);
    EXPECT_EQ(eep.GetUnit(2), 1.0L);
    EXPECT_EQ(eep.GetUnit(10), 0.0254L);
    // Times do not depend on the setting.
    for (int si : {0, 1}) {
        xml_pars.units = si;
        EXPECT_EQ(eep.GetUnit(5), 1.0L);
        EXPECT_EQ(eep.GetUnit(9), 1.0L);
        EXPECT_EQ(eep.GetUnit(6), 0.001L);
        EXPECT_EQ(eep.GetUnit(7), 1e-6L);
        EXPECT_EQ(eep.GetUnit(8), 1e-9L);
        EXPECT_EQ(eep.GetUnit(3), 1.0L);
        EXPECT_EQ(eep.GetUnit(255), 1.0L);
    }
}

TEST_F(EepTest, LongUnitNamesInSiAndImperial)
{
    xml_pars.units = 1;
    EXPECT_EQ(unit_name(0), "Meters");
    EXPECT_EQ(unit_name(10), "Meters");
    EXPECT_EQ(unit_name(1), "cm");
    EXPECT_EQ(unit_name(100), "SI");
    EXPECT_EQ(unit_name(20), " [m/\xB5s]");
    xml_pars.units = 0;
    EXPECT_EQ(unit_name(0), "Feet");
    EXPECT_EQ(unit_name(1), "Inches");
    EXPECT_EQ(unit_name(10), "Inches");
    EXPECT_EQ(unit_name(100), "Imperial");
    EXPECT_EQ(unit_name(20), " [ft/\xB5s]");
    // Times and codes without a name.
    EXPECT_EQ(unit_name(5), "sec");
    EXPECT_EQ(unit_name(8), "ns");
    EXPECT_EQ(unit_name(6), "keep");
    EXPECT_EQ(unit_name(7), "keep");
    EXPECT_EQ(unit_name(9), "keep");
    EXPECT_EQ(unit_name(11), "undef");
    EXPECT_EQ(unit_name(-1), "undef");
}

TEST_F(EepTest, ShortUnitNamesAndBrackets)
{
    xml_pars.units = 1;
    EXPECT_EQ(sh_name(0), "m");
    EXPECT_EQ(sh_name(10), "m");
    EXPECT_EQ(sh_name(1), "cm");
    EXPECT_EQ(sh_name(0, 1), "[m]");
    xml_pars.units = 0;
    EXPECT_EQ(sh_name(0), "ft");
    EXPECT_EQ(sh_name(1), "in");
    EXPECT_EQ(sh_name(10, 1), "[in]");
    EXPECT_EQ(sh_name(5), "s");
    EXPECT_EQ(sh_name(7), "\xB5s");
    EXPECT_EQ(sh_name(8, 1), "[ns]");
    EXPECT_EQ(sh_name(6), "");
    EXPECT_EQ(sh_name(9, 1), "[]");
    EXPECT_EQ(sh_name(12), "ud");
}

TEST_F(EepTest, UnitWordsComeFromTheCurrentLanguageExceptInChinese)
{
    prm.language = 4;
    lngs.create_M(4); // German
    xml_pars.units = 1;
    EXPECT_EQ(unit_name(0), "Meter");
    xml_pars.units = 0;
    EXPECT_EQ(unit_name(0), "Fu\xDF");

    // Chinese words are 16-bit text: the 8-bit unit texts use the English words.
    prm.language = 8;
    lngs.create_M(8);
    EXPECT_EQ(sh_name(0, 0, 10), "ft");
    EXPECT_EQ(sh_name(0, 1, 0), "[ft]");
}

TEST_F(EepTest, UnitNamesNeverOverrunASmallBuffer)
{
    char small[4];
    memset(small, 'x', sizeof small);
    xml_pars.units = 0;
    eep.GetUnitName(small, 1, sizeof small); // "Inches"
    EXPECT_STREQ(small, "Inc");
    eep.GetShUnitName(small, 1, 8, 0, sizeof small); // "[ns]"
    EXPECT_STREQ(small, "[ns");
}

TEST_F(EepTest, SoilVelocityInOtherUnitsAndAsText)
{
    xml_pars.soil_velocity = 100;
    xml_pars.units = 1;
    EXPECT_DOUBLE_EQ(static_cast<double>(eep.GetSoilVel(0)), 100.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(eep.GetSoilVel(1)), 10000.0);
    xml_pars.units = 0; // 100 ft/us in inches per us
    EXPECT_NEAR(static_cast<double>(eep.GetSoilVel(1)), 1200.0, 1e-9);
    char t[kUnitNameSize];
    eep.GetSoilVel_HF(t);
    EXPECT_STREQ(t, "100 ft/\xB5s");
    xml_pars.units = 1;
    xml_pars.soil_velocity = 7;
    eep.GetSoilVel_HF(t);
    EXPECT_STREQ(t, "  7 m/\xB5s");
}

// ---- Depth and time -------------------------------------------------------------------

TEST_F(EepTest, DepthIsZeroAboveAndAtTimeZero)
{
    xml_pars.soil_velocity = 100;
    eep.sample_interval = 0.0001;
    eep.tz_sample = 50;
    eep.ant_separation = 0.5f;
    EXPECT_EQ(eep.e_depth(0), 0.0L);
    EXPECT_EQ(eep.e_depth(49), 0.0L);
    EXPECT_EQ(eep.e_depth(50), 0.0L); // whatever the separation
    // 200 samples below time zero: h = 100 * 200 * 0.0001 / 2 = 1 m.
    eep.ant_separation = 0.1f;
    EXPECT_NEAR(static_cast<double>(eep.e_depth(250)), std::sqrt(0.1 * 1.0 + 1.0), 1e-6);
    // Imperial velocity: 100 ft/us.
    xml_pars.units = 0;
    eep.ant_separation = 0;
    EXPECT_NEAR(static_cast<double>(eep.e_depth(250)), 0.3048, 1e-9);
}

TEST_F(EepTest, SampleOfAPathLength)
{
    xml_pars.soil_velocity = 100;
    eep.sample_interval = 0.0001;
    eep.tz_sample = 30;
    EXPECT_EQ(eep.e_samp(-0.1), 0);
    EXPECT_EQ(eep.e_samp(0), 30);
    EXPECT_EQ(eep.e_samp(1.0), 130);   // 1 m / (100 m/us * 0.0001 us) = 100 samples
    EXPECT_EQ(eep.e_samp(0.0149), 31); // 1.49 samples rounds down
    EXPECT_EQ(eep.e_samp(0.015), 32);  // halves round up
    // No velocity: nothing maps below time zero (no division by zero).
    xml_pars.soil_velocity = 0;
    EXPECT_EQ(eep.e_samp(1.0), 30);
}

TEST_F(EepTest, TimeZeroShiftOfTheSeparation)
{
    eep.sample_interval = 0.0001;
    eep.ant_separation = 0.1f;
    EXPECT_EQ(eep.tz_shift(), 4); // 0.1 / (0.0001 * 250)
    eep.ant_separation = 0.124f;
    EXPECT_EQ(eep.tz_shift(), 4); // 4.96 truncates
    eep.ant_separation = -0.124f;
    EXPECT_EQ(eep.tz_shift(), -4); // toward zero
    eep.sample_interval = 0;
    EXPECT_EQ(eep.tz_shift(), 0);
}

TEST_F(EepTest, TimeWindowText)
{
    xml_pars.soil_velocity = 100;
    xml_pars.units = 1;
    xml_pars.depth_units = 1; // cm
    eep.sample_interval = 0.0001;
    eep.samples = 1000;
    eep.tz_sample = 0;
    eep.ant_separation = 0;
    char buf[100];
    int n = eep.GetTimeWin(buf);
    // 0.0001 us * 1000 = 100 ns; depth 100 * 1000 * 0.0001 / 2 = 5 m = 500 cm.
    EXPECT_STREQ(buf, "100.0 ns (500.00 cm, 1000 smp)");
    EXPECT_EQ(n, static_cast<int>(strlen(buf)));
    char tiny[8];
    EXPECT_EQ(eep.GetTimeWin(tiny, sizeof tiny), 7);
    EXPECT_STREQ(tiny, "100.0 n");
}

// ---- Antenna selection and names ----------------------------------------------------------

TEST_F(EepTest, LoadParametersSelectsTheFirstRecordWithTheCode)
{
    EXPECT_EQ(eep.load_parameters(44, 3), 0);
    EXPECT_EQ(eep.get_l_a(), 3);
    EXPECT_EQ(eep.ant_code, 44);
    EXPECT_EQ(eep.ant_version, 3);
    EXPECT_EQ(xml_pars.current_antenna, 3);
    // Two records with the code: the first wins. An unknown code selects record 0.
    xml_pars.antenna[4].index = 41;
    eep.load_parameters(41, 0);
    EXPECT_EQ(eep.get_l_a(), 1);
    eep.load_parameters(999, 0);
    EXPECT_EQ(eep.get_l_a(), 0);
    EXPECT_EQ(xml_pars.current_antenna, 0);
    // A record beyond the antenna count is not in the list.
    xml_pars.antenna_count = 2;
    eep.load_parameters(44, 0);
    EXPECT_EQ(eep.get_l_a(), 0);
}

TEST_F(EepTest, SetLaKeepsTheIndexInsideTheList)
{
    eep.set_l_a(2);
    EXPECT_EQ(eep.get_l_a(), 2);
    EXPECT_EQ(eep.ant_record, &xml_pars.antenna[2]);
    eep.set_l_a(-1);
    EXPECT_EQ(eep.get_l_a(), 0);
    eep.set_l_a(xml_pars.antenna_count);
    EXPECT_EQ(eep.get_l_a(), 0);
    EXPECT_EQ(eep.ant_record, &xml_pars.antenna[0]);
}

// Every reader of the current antenna (display filters, header settings, raw-mode sample
// count, psave) goes through current_antenna: the record pointer wins, then l_a, never the
// XML object's own current-antenna index (a profile's l_a differs from it in the viewer).
TEST_F(EepTest, CurrentAntennaIsTheRecordPointerThenRecordLa)
{
    xml_pars.antenna_count = 4;
    xml_pars.current_antenna = 3;
    struct Case {
        int record; // -1: no record pointer
        int l_a;
        int expected;
    } cases[] = {{2, 1, 2}, {-1, 1, 1}, {-1, 0, 0}, {-1, 4, 0}, {-1, -1, 0}, {-1, kMaxAntennas, 0}};
    for (const Case& c : cases) {
        eep.ant_record = c.record < 0 ? nullptr : &xml_pars.antenna[c.record];
        eep.l_a = c.l_a;
        EXPECT_EQ(&eep.current_antenna(), &xml_pars.antenna[c.expected]) << "record " << c.record << " l_a " << c.l_a;
    }
    // psave writes the samples into that record.
    eep.ant_record = nullptr;
    eep.l_a = 1;
    eep.samples = 612;
    eep.psave_l_a();
    EXPECT_EQ(xml_pars.antenna[1].samples_in_file, 612);
    EXPECT_NE(xml_pars.antenna[3].samples_in_file, 612);
}

TEST_F(EepTest, AntennaNameWithVersionAndForAnUnknownIndex)
{
    char name[kAntNameSize];
    eep.load_parameters(46, 7);
    eep.GetAName_HF(name, true, false);
    EXPECT_STREQ(name, "TK Pro HDR (v.7)");
    eep.GetAName_HF(name, false, true);
    EXPECT_STREQ(name, "TK Pro HDR");
    eep.l_a = 12; // e.g. from a profile of a longer list
    eep.GetAName_HF(name, true, false);
    EXPECT_STREQ(name, "Antenna index error (v.7)");
    // A 49-character record name with the version still fits and stays terminated.
    eep.l_a = 0;
    memset(xml_pars.antenna[0].name, 'A', 49);
    xml_pars.antenna[0].name[49] = 0;
    eep.ant_version = 65535;
    eep.GetAName_HF(name, true, false);
    EXPECT_EQ(std::string(name), std::string(49, 'A') + " (v.65535)");
    char small[6];
    eep.GetAName_HF(small, true, false, sizeof small);
    EXPECT_STREQ(small, "AAAAA");
}

TEST_F(EepTest, ChineseNamesAreWidenedWhenConverted)
{
    prm.language = 8;
    lngs.create_M(8);
    eep.load_parameters(41, 2);
    char name[kAntNameSize];
    eep.GetAName_HF(name, false, true);
    EXPECT_EQ(name[0], 'T');
    EXPECT_EQ(name[1], 0);
    EXPECT_EQ(name[2], 'a');
}

TEST_F(EepTest, TriggerSourceAndWheelNames)
{
    char w[kAntNameSize];
    eep.trig_code = 0;
    EXPECT_STREQ(eep.GetTrigSource(), "Wheel");
    xml_pars.current_wheel = 1;
    eep.GetWheelName(w);
    EXPECT_STREQ(w, "TK Pro Cart");
    eep.trig_code = kTrigTime;
    EXPECT_STREQ(eep.GetTrigSource(), "Time Triggering");
    eep.GetWheelName(w);
    EXPECT_STREQ(w, "Time Triggering");
    eep.trig_code = kTrigKeyboard;
    EXPECT_STREQ(eep.GetTrigSource(), "Keyboard Triggering");
    eep.trig_code = 0x7F;
    EXPECT_STREQ(eep.GetTrigSource(), "Wheel");
    // A current wheel beyond the list is reported before the trigger mode.
    eep.trig_code = kTrigTime;
    xml_pars.current_wheel = xml_pars.wheel_count;
    eep.GetWheelName(w);
    EXPECT_STREQ(w, "Wheel index error");
}

// ---- Loading from and saving to the XML object ---------------------------------------------

TEST_F(EepTest, InitSetsTheOptionDefaults)
{
    CEEP e;
    EXPECT_EQ(e.mea_dir, 1);
    e.Init();
    EXPECT_EQ(e.trig_aux, 16);
    EXPECT_EQ(e.screen_opt1, 1);
    EXPECT_EQ(e.screen_opt2, 1);
    EXPECT_EQ(e.display_opt, 0);
    EXPECT_EQ(e.power_opt, 11);
    EXPECT_EQ(e.backlight_level, 100);
    EXPECT_EQ(e.power_opt2, 1);
    EXPECT_EQ(e.tz_search_opt, 1);
    EXPECT_EQ(e.gps_enabled, 0);
    EXPECT_EQ(e.gps_source, 2);
    EXPECT_EQ(e.gps_cs_check, 1);
    EXPECT_EQ(e.gps_quality_opt, 0);
    EXPECT_EQ(e.gps_baud_index, 1);
    EXPECT_EQ(e.adc_freq, 160000u);
    EXPECT_EQ(e.clock_freq, 1000u);
    e.err_flags[3] = 1;
    e.err_flags[9] = 7;
    e.clear_all_err();
    for (uint8_t f : e.err_flags)
        EXPECT_EQ(f, 0);
}

TEST_F(EepTest, PloadWithTheCuOffGivesTheDefaults)
{
    pisOn = false;
    eep.samples = 333;
    eep.runs = 7;
    eep.clipped = 9;
    eep.cu_samples = 12;
    eep.ant_separation = 2.0f;
    eep.sample_interval = 5;
    eep.adc_freq = 1;
    eep.clock_freq = 2;
    EXPECT_EQ(eep.pload_l_a(), 1);
    EXPECT_EQ(eep.samples, 1000);
    EXPECT_EQ(eep.cu_samples, 1000);
    EXPECT_EQ(eep.runs, 50);
    EXPECT_EQ(eep.clipped, 0);
    EXPECT_FLOAT_EQ(eep.ant_separation, 0.1f);
    EXPECT_DOUBLE_EQ(eep.sample_interval, 0.0001);
    EXPECT_EQ(eep.adc_freq, 160000u);
    EXPECT_EQ(eep.clock_freq, 1000u);
}

TEST_F(EepTest, PloadCopiesTheSettingsOfTheXmlObject)
{
    xml_pars.trigger_type = kTrigTime;
    xml_pars.autostacks = false;
    xml_pars.time_interval = 0.25f;
    xml_pars.measurement_direction = -1;
    xml_pars.current_palette = 2;
    xml_pars.missed_traces_mode = false;
    xml_pars.resampling_on = 3;
    xml_pars.trace_view_on = true;
    xml_pars.max_bat_level = 12.6f;
    xml_pars.backlighter_level = 55;
    xml_pars.powersave = 0;
    xml_pars.first_arrival_search_mode = 0;
    xml_pars.gps_on = 1;
    xml_pars.gps_com_usb = 3;
    xml_pars.gps_check_sum = 0;
    xml_pars.gps_best = 1;
    xml_pars.gps_brate_ind = 5;
    eep.load_parameters(42, 4);
    eep.pload_l_a();
    EXPECT_EQ(eep.trig_code, kTrigTime);
    EXPECT_EQ(eep.auto_stacks, 0);
    EXPECT_FLOAT_EQ(eep.trigg_option, 0.25f);
    EXPECT_EQ(eep.mea_dir, -1);
    EXPECT_EQ(eep.ant_option, 2);
    EXPECT_EQ(eep.ant_record, &xml_pars.antenna[2]);
    EXPECT_FLOAT_EQ(eep.trace_interval, 0.05f);
    EXPECT_EQ(eep.screen_opt1, 0);
    EXPECT_EQ(eep.screen_opt2, 3);
    EXPECT_EQ(eep.display_opt, 1);
    EXPECT_EQ(eep.power_opt, 13);
    EXPECT_EQ(eep.backlight_level, 55);
    EXPECT_EQ(eep.power_opt2, 0);
    EXPECT_EQ(eep.tz_search_opt, 0);
    EXPECT_EQ(eep.gps_enabled, 1);
    EXPECT_EQ(eep.gps_source, 3);
    EXPECT_EQ(eep.gps_cs_check, 0);
    EXPECT_EQ(eep.gps_quality_opt, 1);
    EXPECT_EQ(eep.gps_baud_index, 5);
    EXPECT_STREQ(eep.ant_name, "Tarsel B (v.4)");
    EXPECT_EQ(gl_mea_dir, 1); // time triggering ignores the direction

    // The antenna GPS has no RTK choice; a backlight outside 20..100 is 100.
    xml_pars.gps_com_usb = 2;
    xml_pars.backlighter_level = 10;
    eep.pload_l_a();
    EXPECT_EQ(eep.gps_quality_opt, 0);
    EXPECT_EQ(eep.backlight_level, 100);
}

TEST_F(EepTest, ShownSamplesFallBackToTheFileSamples)
{
    eep.load_parameters(44, 0); // start_samples 350
    eep.pload_l_a();
    EXPECT_EQ(eep.view_samples, 350);
    xml_pars.antenna[3].start_samples = 99;
    eep.pload_l_a();
    EXPECT_EQ(eep.view_samples, 1000);
    xml_pars.antenna[3].start_samples = 1001;
    eep.pload_l_a();
    EXPECT_EQ(eep.view_samples, 1000);
}

TEST_F(EepTest, MeasurementDirectionCarriesTheWheelDirection)
{
    xml_pars.trigger_type = 0;
    xml_pars.current_wheel = 1; // direction -1
    xml_pars.measurement_direction = 1;
    eep.pload_l_a();
    EXPECT_EQ(gl_mea_dir, -1);
    eep.set_gl_mea_dir(-1);
    EXPECT_EQ(eep.mea_dir, -1);
    EXPECT_EQ(gl_mea_dir, 1);
    xml_pars.current_wheel = 0; // direction 1
    eep.set_gl_mea_dir(-1);
    EXPECT_EQ(gl_mea_dir, -1);
}

TEST_F(EepTest, PloadWithAnAntennaIndexBeyondTheListStaysInsideIt)
{
    eep.l_a = 200;
    eep.ant_version = 1;
    eep.pload_l_a();
    EXPECT_EQ(eep.ant_record, &xml_pars.antenna[0]);
    EXPECT_STREQ(eep.ant_name, "Antenna index error (v.1)");
}

TEST_F(EepTest, PsaveWritesTheBlockBack)
{
    eep.load_parameters(41, 0);
    eep.pload_l_a();
    eep.trig_code = 0xFF;
    eep.auto_stacks = 5;
    eep.trigg_option = 0.5f;
    eep.mea_dir = -1;
    eep.ant_option = 1;
    eep.screen_opt1 = 1;
    eep.screen_opt2 = 2;
    eep.display_opt = 1;
    eep.power_opt = 12;
    eep.backlight_level = 40;
    eep.power_opt2 = 0;
    eep.tz_search_opt = 0;
    eep.gps_enabled = 1;
    eep.gps_source = 1;
    eep.gps_cs_check = 0;
    eep.gps_quality_opt = 1;
    eep.gps_baud_index = 6;
    eep.samples = 512;
    eep.view_samples = 400;
    eep.trace_interval = 0.1f;
    xml_pars.current_antenna = 0;
    eep.psave_l_a();
    EXPECT_EQ(xml_pars.trigger_type, 0xFF);
    EXPECT_TRUE(xml_pars.autostacks);
    EXPECT_FLOAT_EQ(xml_pars.time_interval, 0.5f);
    EXPECT_EQ(xml_pars.measurement_direction, -1);
    EXPECT_EQ(xml_pars.current_palette, 1);
    EXPECT_EQ(xml_pars.current_antenna, 1);
    EXPECT_TRUE(xml_pars.missed_traces_mode);
    EXPECT_EQ(xml_pars.resampling_on, 2);
    EXPECT_TRUE(xml_pars.trace_view_on);
    EXPECT_FLOAT_EQ(xml_pars.max_bat_level, 12.0f);
    EXPECT_EQ(xml_pars.backlighter_level, 40);
    EXPECT_EQ(xml_pars.powersave, 0);
    EXPECT_EQ(xml_pars.first_arrival_search_mode, 0);
    EXPECT_EQ(xml_pars.gps_on, 1);
    EXPECT_EQ(xml_pars.gps_com_usb, 1);
    EXPECT_EQ(xml_pars.gps_check_sum, 0);
    EXPECT_EQ(xml_pars.gps_best, 1);
    EXPECT_EQ(xml_pars.gps_brate_ind, 6);
    EXPECT_EQ(xml_pars.antenna[1].samples_in_file, 512);
    EXPECT_EQ(xml_pars.antenna[1].start_samples, 400);
    EXPECT_FLOAT_EQ(xml_pars.antenna[1].point_interval, 0.1f);
    EXPECT_EQ(xml_pars.antenna[0].samples_in_file, 700); // other records untouched

    // Reloading gives back what was saved.
    CEEP again;
    again.Init();
    again.load_parameters(41, 0);
    again.pload_l_a();
    EXPECT_EQ(again.trig_code, 0xFF);
    EXPECT_EQ(again.backlight_level, 40);
    EXPECT_FLOAT_EQ(again.trace_interval, 0.1f);
}

// ---- Trigger step ------------------------------------------------------------------------

TEST_F(EepTest, StepIsAWholeNumberOfWheelPulses)
{
    xml_pars.units = 1;
    xml_pars.current_wheel = 1;
    xml_pars.wheel[1].wheel_calibration = 500.0; // pulses per metre
    eep.trace_interval = 0.05f;                  // 25 pulses
    eep.compute_step_distance();
    EXPECT_NEAR(eep.step_distance, 25.0 / 500.0, 1e-12);
    eep.trace_interval = 0.0519f; // 25.95 pulses: whole pulses only
    eep.compute_step_distance();
    EXPECT_NEAR(eep.step_distance, 25.0 / 500.0, 1e-12);
    // Imperial: the interval is in inches.
    xml_pars.units = 0;
    eep.trace_interval = 2.0f; // 0.0508 m = 25.4 pulses
    eep.compute_step_distance();
    EXPECT_NEAR(eep.step_distance, 25.0 / 500.0, 1e-12);
}

TEST_F(EepTest, IntervalBelowOnePulseGivesAStepOfOnePulse)
{
    xml_pars.units = 1;
    xml_pars.current_wheel = 2;
    xml_pars.wheel[2].wheel_calibration = 10.0; // a pulse every 10 cm
    xml_pars.antenna[0].point_interval = 0.04f;  // 0.4 pulse
    eep.load_parameters(0, 0);
    eep.pload_l_a();
    EXPECT_DOUBLE_EQ(eep.step_distance, 1.0 / 10.0);
    // psave recomputes it from the saved interval.
    eep.trace_interval = 0.35f;
    eep.psave_l_a();
    EXPECT_NEAR(eep.step_distance, 3.0 / 10.0, 1e-12);
}

TEST_F(EepTest, StepWithoutAUsableCalibrationIsTheTraceInterval)
{
    xml_pars.units = 1;
    xml_pars.current_wheel = 0;
    xml_pars.wheel[0].wheel_calibration = 0;
    eep.trace_interval = 0.05f;
    eep.compute_step_distance();
    EXPECT_TRUE(std::isfinite(eep.step_distance));
    EXPECT_NEAR(eep.step_distance, 0.05, 1e-7);
    xml_pars.current_wheel = 19; // beyond the wheel count
    eep.compute_step_distance();
    EXPECT_NEAR(eep.step_distance, 0.05, 1e-7);
}

} // namespace
