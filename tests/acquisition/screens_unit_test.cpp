// The measurement screens' rules that need no CU: the depth calibration's velocity, whether
// a stored profile can be continued, the GPS quality lamp and position text, and the growing
// steps of a held arrow key.
#include "acq_fixture.h"

#include "acquisition/arrow_run.h"
#include "acquisition/mea_screens.h"
#include "app/timer.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "gui/indicators.h"
#include "gui/lang.h"
#include "gui/rows.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"
#include "platform/globals.h"

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

void gui_rows()
{
    static bool done = false;
    if (!done) {
        lngs.create_M(0);
        mS.del_objs();
        mS.Init();
        done = true;
    }
}

} // namespace

TEST(DepthCalibration, velocity_from_a_reflector_of_known_depth_and_its_limits)
{
    // Separation 0.1 m, reflector at 1 m, 20 ns two-way: (sqrt(0.01 + 4) - 0.1) / 0.02 us.
    EXPECT_EQ(95, calibrated_velocity(0.1, 1.0, 0.020, 1.0));
    // Zero separation: 2D / T.
    EXPECT_EQ(100, calibrated_velocity(0.0, 1.0, 0.020, 1.0));
    // Faster than light is cut at 300 m/us, or 984 ft/us in imperial units.
    EXPECT_EQ(300, calibrated_velocity(0.0, 10.0, 0.020, 1.0));
    EXPECT_EQ(984, calibrated_velocity(0.0, 100.0, 0.020, 0.3048));
    // A cursor at time zero gives no velocity; a tiny depth gives the slowest.
    EXPECT_EQ(0, calibrated_velocity(0.1, 1.0, 0.0, 1.0));
    EXPECT_EQ(1, calibrated_velocity(0.0, 0.001, 1.0, 1.0));
}

TEST(DepthCalibration, depth_the_current_velocity_gives_calibrates_back_to_it)
{
    eep.Init();
    xml_pars.Init();
    eep.load_parameters(0, 0);
    eep.pload_l_a();
    xml_pars.units = 1;
    xml_pars.soil_velocity = 100;
    const int s = eep.tz_sample + 200;
    const double D = double(eep.e_depth(s));
    const double T = 200 * eep.sample_interval;
    EXPECT_NEAR(100, calibrated_velocity(eep.ant_separation, D, T, 1.0), 1);
}

class ContinueCheck : public AcqTest {
protected:
    void SetUp() override
    {
        AcqTest::SetUp();
        xml_pars.Init();
        eep.load_parameters(0, 0);
        eep.pload_l_a();
        eep.trig_code = 0;
        eep.step_distance = 0.01;
        ASSERT_EQ(0, rdr.dCreateFiles());
        ASSERT_EQ(0, rdr.rd.hd.h_write());
        rdr.dClose(false);
    }
    void TearDown() override
    {
        rdr.dClose(true);
        AcqTest::TearDown();
    }
};

TEST_F(ContinueCheck, reports_the_first_setting_that_differs_from_the_stored_header)
{
    EXPECT_EQ(0, changed_parsmeters());
    eep.step_distance = 0.0105; // within 0.001
    EXPECT_EQ(0, changed_parsmeters());
    eep.step_distance = 0.02;
    EXPECT_EQ(8, changed_parsmeters());
    eep.trig_code = kTrigTime;
    EXPECT_EQ(4, changed_parsmeters());
    eep.trig_code = 0;
    eep.samples = uint16_t(eep.samples + 8);
    EXPECT_EQ(1, changed_parsmeters()) << "samples come first";
}

TEST_F(ContinueCheck, time_interval_counts_for_the_time_trigger_and_a_missing_header_is_20)
{
    eep.trig_code = kTrigTime;
    eep.trigg_option = 0.01f;
    rdr.dCreateFiles();
    rdr.rd.hd.h_write();
    rdr.dClose(false);
    EXPECT_EQ(0, changed_parsmeters());
    eep.trigg_option = 0.02f;
    EXPECT_EQ(7, changed_parsmeters());
    eep.step_distance = 5; // the distance does not matter for the time trigger
    eep.trigg_option = 0.01f;
    EXPECT_EQ(0, changed_parsmeters());
    ASSERT_EQ(0, unlink(data(std::string(rdr.cur_name) + ".rad").c_str()));
    EXPECT_EQ(20, changed_parsmeters());
}

class GpsTexts : public ::testing::Test {
protected:
    CGPS_Indicator* lamp = nullptr;
    CSDLText* text = nullptr;
    void SetUp() override
    {
        gui_rows();
        init_globals();
        create_all_mutexes();
        eep.Init();
        eep.gps_enabled = 1;
        xml_pars.gps_best = 0;
        select_row(3);
        mode = 3;
        lamp = dynamic_cast<CGPS_Indicator*>(mS.obj[0][1]);
        text = mS.at<CSDLText>(0, meas::kGps);
        ASSERT_TRUE(lamp && text);
    }
    void fix(int qi, const char* pos)
    {
        MutexLock g(lock3);
        gps_qi = qi;
        snprintf(gps_str_01, sizeof gps_str_01, "%s", pos);
        can_GPS_Show = 2;
    }
};

TEST_F(GpsTexts, lamp_level_follows_the_fix_quality)
{
    const int want[][2] = {{-1, 0}, {0, 1}, {1, 2}, {3, 2}, {6, 2}, {2, 3}, {5, 3}, {4, 3}, {7, 1}, {9, 1}};
    for (const auto& w : want) {
        fix(w[0], "x");
        EXPECT_EQ(1, q_indicator_show());
        EXPECT_EQ(w[1], lamp->state) << "quality " << w[0];
    }
    EXPECT_EQ(0, q_indicator_show()) << "nothing new";
    xml_pars.gps_best = 1; // only an RTK fix is green
    fix(2, "x");
    q_indicator_show();
    EXPECT_EQ(2, lamp->state);
    eep.gps_enabled = 0;
    fix(4, "x");
    EXPECT_EQ(0, q_indicator_show());
    EXPECT_EQ(0, lamp->state) << "GPS off clears the lamp";
}

TEST_F(GpsTexts, position_keeps_its_letters_and_gets_the_altitude)
{
    {
        MutexLock g(lock3);
        snprintf(f_alt, sizeof f_alt, "%s", "123.4");
        f_alt_ch = 'M';
    }
    fix(1, "55.75000000N   37.61666667E");
    EXPECT_EQ(1, add_pos_show());
    EXPECT_STREQ("55.75000000N   37.61666667E   123.4M", text->text);
    fix(0, "NO COORDINATES");
    add_pos_show();
    EXPECT_STREQ("NO COORDINATES", text->text);
    mode = 35;
    fix(-1, " ");
    gps_pos_show(meas::kGps);
    EXPECT_STREQ("No info from GPS", text->text);
}

TEST_F(GpsTexts, wheel_text_is_taken_once_and_no_wheel_on_the_position_screen)
{
    {
        MutexLock g(lock_wheel);
        snprintf(wheel_str_01, sizeof wheel_str_01, "%s", "12.34 m");
        can_Wheel_Show = true;
    }
    wheel_pos_show(meas::kGps);
    EXPECT_STREQ("12.34 m", text->text);
    EXPECT_FALSE(can_Wheel_Show);
    mode = 35;
    {
        MutexLock g(lock_wheel);
        snprintf(wheel_str_01, sizeof wheel_str_01, "%s", " ");
        can_Wheel_Show = true;
    }
    wheel_pos_show(meas::kGps);
    EXPECT_STREQ("No wheel", text->text);
}

// A held arrow (the keypad repeats every 60 ms) or quick presses take larger steps; a pause
// longer than 300 ms or the other arrow starts again with single steps.
TEST(ArrowRun, steps_grow_after_5_and_15_presses_in_a_row_and_start_again_after_a_pause)
{
    struct Case {
        const char* what;
        std::vector<std::pair<int, uint32_t>> presses; // key, time in ms
        float last_factor;
        int last_run;
    };
    std::vector<std::pair<int, uint32_t>> held;
    for (uint32_t i = 0; i < 20; i++)
        held.push_back({1, 1000 + 60 * i});
    auto first_n = [&](size_t n) { return std::vector<std::pair<int, uint32_t>>(held.begin(), held.begin() + n); };
    auto then = [&](size_t n, std::pair<int, uint32_t> p) {
        auto v = first_n(n);
        v.push_back(p);
        return v;
    };
    const Case cases[] = {
        {"first press", first_n(1), 1, 0},
        {"fifth press", first_n(5), 1, 4},
        {"sixth press", first_n(6), 10, 5},
        {"fifteenth press", first_n(15), 10, 14},
        {"sixteenth press", first_n(16), 100, 15},
        {"held on", first_n(20), 100, 19},
        {"after a pause", then(16, {1, held[15].second + 301}), 1, 0},
        {"just within the gap", then(16, {1, held[15].second + 300}), 100, 16},
        {"the other arrow", then(16, {2, held[15].second + 60}), 1, 0},
        {"across the tick counter's wrap", {{1, 0xFFFFFF00u}, {1, 0xFFFFFF00u + 200}}, 1, 1},
    };
    for (const Case& c : cases) {
        ArrowRun run;
        int n = -1;
        for (const auto& p : c.presses)
            n = run.press(p.first, p.second);
        EXPECT_EQ(c.last_run, n) << c.what;
        EXPECT_EQ(c.last_factor, ArrowRun::step_factor(n)) << c.what;
    }
    EXPECT_EQ(1, ArrowRun::row_factor(7));
    EXPECT_EQ(4, ArrowRun::row_factor(8)) << "the cursors move four rows a step when held";
}
