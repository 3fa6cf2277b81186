// The periodic timer driven tick by tick: battery warnings, switch-off and level through the
// simulated power controller, power save, the tick-paced screen flags and the positioning
// test log.
#include "acquisition/acq_state.h"
#include "platform/globals.h"
#include "app/startup.h"
#include "app/timer.h"
#include "gui/backlight.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "cu/picdrv.h"
#include "config/xml_pars.h"
#include "files/keylines.h"
#include "devices/standin_process.h"
#include "files/radar_data.h"
#include "gui/input.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class TimerTest : public ::testing::Test {
protected:
    Sandbox sb;

    void SetUp() override
    {
        init_globals();
        ASSERT_TRUE(create_all_mutexes());
        timer_arm(); // a whole-program test before may have stopped it
        tskip = tskip_sec = old_tskip_sec = 1;
        monVolMes = true;
        b_lev2 = false;
        bat_state1 = 1000;
        mode = 34;
        FileMode = 0;
        MeasureMode = false;
        eep.gps_enabled = 0;
        eep.power_opt = 11;
        eep.power_opt2 = 0;
        backlight_now = 100;
    }
    void TearDown() override
    {
        pic.Close();
        DestroyAllMutexes();
    }

    // The power controller stand-in of this sandbox, opened as `pic`.
    void start_controller()
    {
        controller_.reset(new StandinProcess("gprmon-picdrv", {sb.root()}, sb.path("/dev/picdrv")));
        ASSERT_TRUE(controller_->ready());
        ASSERT_TRUE(pic.Open());
    }
    // Readings the controller answers next (the last one stays).
    void set_battery(const std::string& levels)
    {
        std::ofstream(sb.root() + "/sim/picdrv/battery") << levels << "\n";
    }
    std::string controller_log() const { return read_file(sb.root() + "/sim/picdrv.log"); }

    static void ticks(int n)
    {
        for (int i = 0; i < n; i++)
            ASSERT_EQ(Timer_Funct1(250, nullptr), 250u);
    }
    // Up to and including the next tick that reads the battery.
    static void one_second() { ticks(4); }

private:
    std::unique_ptr<StandinProcess> controller_;
};

} // namespace

// ---- Battery ----

TEST_F(TimerTest, low_voltage_warns_once_per_run)
{
    start_controller();
    set_battery("190");
    one_second();
    EXPECT_TRUE(b_lev2);
    EXPECT_FALSE(monVolMes);
    b_lev2 = false; // the input loop showed it
    set_battery("250 190 190 190");
    for (int s = 0; s < 5; s++)
        one_second();
    EXPECT_FALSE(b_lev2) << "given once, never again in this run";
}

TEST_F(TimerTest, one_reading_in_a_band_neither_warns_nor_switches_off)
{
    start_controller();
    set_battery("190 200");
    one_second();
    EXPECT_FALSE(b_lev2);
    EXPECT_TRUE(monVolMes);

    set_battery("180 200");
    one_second(); // a switch-off would have ended this process
    EXPECT_FALSE(b_lev2);
    EXPECT_TRUE(monVolMes);
    EXPECT_EQ(bat_state1, battery_level(200, 11)) << "the level follows the last reading";
    EXPECT_EQ(controller_log().find("shutdown"), std::string::npos);
}

TEST_F(TimerTest, battery_level_from_the_byte_and_the_maximum_voltage)
{
    start_controller();
    eep.power_opt = 12; // C = 9, D = 254.7
    set_battery("220");
    ticks(3);
    EXPECT_EQ(bat_state1, 1000) << "read only on every fourth tick";
    ticks(1);
    EXPECT_EQ(bat_state1, 509);

    eep.power_opt = 5; // D = 84.9: no usable range
    one_second();
    EXPECT_EQ(bat_state1, 1000);

    eep.power_opt = 12;
    set_battery("0 220");
    one_second();
    EXPECT_EQ(bat_state1, 509) << "a single 0 is read again";
    set_battery("0 0 220");
    one_second();
    EXPECT_EQ(bat_state1, battery_level(255, 12)) << "two zeros count as a full battery";
    EXPECT_EQ(bat_state1, 1004);
    EXPECT_FALSE(b_lev2);
}

TEST_F(TimerTest, closed_controller_reads_as_full_and_switches_nothing_off)
{
    one_second();
    EXPECT_EQ(bat_state1, battery_level(255, 11));
    EXPECT_FALSE(b_lev2);
}

TEST_F(TimerTest, exhausted_battery_switches_the_device_off_in_order)
{
    start_controller();
    check_data_partition(check_system_partition());
    set_battery("180");
    fflush(nullptr);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        pic.Close();
        if (!pic.Open())
            _exit(97);
        for (int i = 0; i < 8; i++)
            Timer_Funct1(250, nullptr);
        _exit(99); // still running: the switch-off did not happen
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    EXPECT_TRUE(file_exists(sb.path("/dev/sda3/hda1_ok"))) << "clean-shutdown marker";
    std::string cmds = sb.commands_log();
    size_t um1 = cmds.find("umount '" + sb.path("/mnt/hda1") + "'");
    size_t touch = cmds.find("touch '" + sb.path("/mnt/hda3/hda1_ok") + "'");
    size_t um3 = cmds.find("umount '" + sb.path("/mnt/hda3") + "'");
    ASSERT_NE(um1, std::string::npos) << cmds;
    ASSERT_NE(touch, std::string::npos);
    ASSERT_NE(um3, std::string::npos);
    EXPECT_LT(um1, touch);
    EXPECT_LT(touch, um3);
    EXPECT_EQ(read_file(sb.root() + "/sim/picdrv/backlight"), "0\n");
    const std::string tail = "backlight 0\nshutdown 3\n";
    std::string log = controller_log();
    ASSERT_GE(log.size(), tail.size()) << log;
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail) << log;
}

TEST_F(TimerTest, switch_off_writes_and_closes_the_recorded_profile)
{
    start_controller();
    check_data_partition(check_system_partition());
    set_battery("180");
    fflush(nullptr);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        pic.Close();
        if (!pic.Open() || rdr.dCreateFiles() != 0)
            _exit(97);
        std::vector<int32_t> t(size_t(eep.samples), 1234);
        if (rdr.rd.append_trace(t.data(), eep.samples) != 0)
            _exit(98);
        for (int i = 0; i < 8; i++)
            Timer_Funct1(250, nullptr);
        _exit(99);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    std::string rad = read_file(sb.path("/dev/sda1/DAT_0001.rad"));
    EXPECT_NE(rad.find("LAST TRACE:1\r\n"), std::string::npos) << rad;
    EXPECT_FALSE(read_file(sb.path("/dev/sda1/DAT_0001.mrk")).empty()) << "markers closed with the end marker";
}

TEST_F(TimerTest, switch_off_during_a_measurement_does_not_wait_for_a_stuck_acquisition)
{
    start_controller();
    check_data_partition(check_system_partition());
    set_battery("180");
    fflush(nullptr);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        pic.Close();
        if (!pic.Open())
            _exit(97);
        eep.trig_code = kTrigTime;
        MeasureMode = true;
        acq_running = true;
        inMeasurement = true; // no Collect here to leave its branch: as if it hung
        for (int i = 0; i < 8; i++)
            Timer_Funct1(250, nullptr);
        _exit(99);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(file_exists(sb.path("/dev/sda3/hda1_ok")));
    std::string log = controller_log();
    EXPECT_NE(log.find("shutdown 3"), std::string::npos) << log;
}

// ---- Power save ----

TEST_F(TimerTest, backlight_goes_dark_after_30_s_without_a_key_and_a_key_only_lights_it)
{
    start_controller();
    eep.power_opt2 = 1;
    ticks(119);
    EXPECT_EQ(powersave1, 119);
    EXPECT_EQ(controller_log().find("backlight 0"), std::string::npos);
    ticks(1);
    EXPECT_EQ(powersave1, kPowerSaveDimmed);
    EXPECT_EQ(backlight_now, 0);
    EXPECT_EQ(read_file(sb.root() + "/sim/picdrv/backlight"), "0\n");
    ticks(40);
    EXPECT_EQ(powersave1, kPowerSaveDimmed) << "stays dark, no second ramp";

    EXPECT_FALSE(keypressed(SDL_KEYDOWN)) << "the first key only wakes the display";
    EXPECT_EQ(backlight_now, configured_backlight());
    EXPECT_TRUE(keypressed(SDL_KEYDOWN));
    EXPECT_EQ(powersave1, 0);
}

TEST_F(TimerTest, power_save_reaches_dark_from_a_level_off_the_ramp_steps)
{
    eep.power_opt2 = 1;
    int saved = xml_pars.backlighter_level;
    xml_pars.backlighter_level = 25; // the ramp of 10 stops at 5
    ticks(120);
    xml_pars.backlighter_level = saved;
    EXPECT_EQ(backlight_now, 0);
}

TEST_F(TimerTest, no_dimming_while_measuring_or_with_power_save_off)
{
    eep.power_opt2 = 0;
    ticks(200);
    EXPECT_EQ(powersave1, 0);
    EXPECT_EQ(backlight_now, 100);

    eep.power_opt2 = 1;
    MeasureMode = true;
    m_Show = false;
    ticks(200);
    MeasureMode = false;
    EXPECT_EQ(powersave1, 0);
    EXPECT_TRUE(m_Show) << "the measurement screen draws on every tick";
    EXPECT_EQ(backlight_now, 100);
}

// ---- Screen pacing ----

TEST_F(TimerTest, tick_counters_wrap_and_pace_the_screens)
{
    mode = 27;
    ticks(3);
    EXPECT_FALSE(can_Test_Data_Show);
    ticks(1);
    EXPECT_TRUE(can_Test_Data_Show) << "every fourth tick";
    EXPECT_EQ(tskip, 5);
    EXPECT_EQ(tskip_sec, 2);

    mode = 3;
    canNShow = false;
    ticks(1); // tskip 5: odd
    EXPECT_TRUE(canNShow);
    canNShow = false;
    ticks(1); // 6: even
    EXPECT_FALSE(canNShow);

    ticks(94); // tskip 7 through 100 and back to 1
    EXPECT_EQ(tskip, 1);
    EXPECT_EQ(tskip_sec, 26);
    tskip_sec = 100;
    tskip = 4;
    ticks(1);
    EXPECT_EQ(tskip_sec, 1);
    EXPECT_EQ(old_tskip_sec, 100);
}

TEST_F(TimerTest, system_screen_clock_is_marked_ready_every_second)
{
    mode = 10;
    time_ready = false;
    ticks(3);
    EXPECT_FALSE(time_ready);
    ticks(1);
    EXPECT_TRUE(time_ready);
}

TEST_F(TimerTest, filter_screen_without_cu_shows_the_first_profile_column)
{
    mode = 15;
    eep.samples = 16;
    rdr.prof.Empty();
    ttrace[3] = 77;
    ticks(2); // tskip 2 is even
    EXPECT_EQ(ttrace[3], 0) << "an empty profile gives a flat trace";
    EXPECT_TRUE(canShow);

    float* col = rdr.prof.slot(0);
    for (int i = 0; i < 16; i++)
        col[i] = float(i * 100) / 8192.0f;
    rdr.prof.end = 1;
    canShow = false;
    ticks(2);
    EXPECT_TRUE(canShow);
    EXPECT_EQ(ttrace[5], 500);
    EXPECT_EQ(ttrace[15], 1500);
    EXPECT_EQ(ttrace[16], 0);
    rdr.prof.Empty();
}

TEST_F(TimerTest, position_check_screen_without_cu_shows_a_blank_wheel_text)
{
    mode = 35;
    eep.trig_code = 0;
    copy_text(wheel_str_01, sizeof wheel_str_01, "12.5");
    can_Wheel_Show = false;
    ticks(1);
    EXPECT_STREQ(wheel_str_01, " ");
    EXPECT_TRUE(can_Wheel_Show);
}

// ---- Positioning test log ----

TEST_F(TimerTest, positioning_test_records_one_line_per_interval_with_a_fresh_fix)
{
    check_data_partition(check_system_partition());
    mode = 39;
    rdr.gps_test.period = 2;
    ASSERT_EQ(rdr.gps_test.gps_Create(1), 0);
    ASSERT_TRUE(gps_text_step("123456.78,5740.1000,N,01158.9000,E,1,08,0.9,41.5,M,,,,*47"));

    // tskip_sec 1: not a multiple of 2. Then 2: one line, once.
    ticks(4);
    EXPECT_TRUE(read_file(sb.path("/mnt/hda1/TEST_GPS_.crn")).empty());
    ticks(4);
    std::string crn = read_file(sb.path("/mnt/hda1/TEST_GPS_.crn"));
    EXPECT_NE(crn.find("\t12:34:56:78\t57.66833333333\tN\t11.98166666667\tE\t41.5\tM\t0.9\t1\r\n"),
              std::string::npos)
        << crn;

    // A stale fix records nothing in the next due second.
    gps_zero = 2;
    ticks(8);
    EXPECT_EQ(read_file(sb.path("/mnt/hda1/TEST_GPS_.crn")), crn);
    gps_zero = 0;
    ticks(8);
    std::string more = read_file(sb.path("/mnt/hda1/TEST_GPS_.crn"));
    EXPECT_EQ(std::count(more.begin(), more.end(), '\n'), 2) << more;
    rdr.gps_test.gps_Close();
}

TEST_F(TimerTest, ticks_after_the_timer_was_removed_do_nothing)
{
    mode = 27;
    timer_quiesce();
    can_Test_Data_Show = false;
    ticks(8);
    EXPECT_FALSE(can_Test_Data_Show);
    EXPECT_EQ(tskip, 1) << "a straggling tick must not touch state being torn down";
    timer_arm();
    ticks(4);
    EXPECT_TRUE(can_Test_Data_Show);
}

// ---- GPS through the real USB reader ----

TEST_F(TimerTest, usb_receiver_fix_reaches_the_screens_and_its_silence_shows_no_gps)
{
    eep.gps_enabled = 1;
    eep.gps_source = 1;
    StandinProcess receiver("gprmon-usbgps", {sb.root(), "fix"}, sb.path("/dev/ttyUSB0"));
    ASSERT_TRUE(receiver.ready());
    ASSERT_TRUE(gps.gps_Open());
    gps_zero = 0;
    can_GPS_Show = 0;
    rdr.rd.gps.new_fix = 0;
    mode = 34;
    // The receiver talks once a second; ticks come faster than that here, so only what a
    // sentence leaves behind is checked, not the counting between sentences.
    eventually([] {
        ticks(1);
        return can_GPS_Show == 2;
    });
    ASSERT_EQ(can_GPS_Show, 2);
    EXPECT_EQ(std::string(gps_str_01).rfind("57.6", 0), 0u) << gps_str_01;
    EXPECT_NE(std::string(gps_str_01).find("N   11.9"), std::string::npos) << gps_str_01;
    EXPECT_EQ(std::string(gps_nmea_string).rfind("$GPGGA,", 0), 0u);
    EXPECT_EQ(gps_qi, 1);
    EXPECT_EQ(rdr.rd.gps.new_fix.load(), 1);

    mode = 10; // not a GPS screen: the fix ages nowhere
    int zero = gps_zero;
    ticks(30);
    EXPECT_EQ(gps_zero, zero);

    std::ofstream(sb.root() + "/sim/usbgps/mode") << "nofix\n";
    mode = 39;
    eventually([] {
        ticks(1);
        return can_GPS_Show == 1;
    });
    EXPECT_EQ(can_GPS_Show, 1);
    EXPECT_STREQ(gps_str_01, "NO COORDINATES");

    std::ofstream(sb.root() + "/sim/usbgps/mode") << "silent\n";
    // The receiver says so once it has switched: nothing is written after that.
    ASSERT_TRUE(eventually([&] { return read_file(sb.root() + "/sim/usbgps.log").find("mode silent") != std::string::npos; }));
    ticks(1); // what was still queued
    ticks(kGpsNoDataTicks + 2);
    EXPECT_EQ(gps_qi, -1);
    EXPECT_EQ(gps_zero, kGpsNoDataTicks);
    EXPECT_EQ(can_GPS_Show, 4);
    EXPECT_STREQ(gps_str_01, " ");
    gps.gps_Unit_Close();
}
