// The hardware-test screen's Ethernet test and the WiFi screen in this process against the
// simulated CU: the screen runs on the test's thread, a script presses the keys. Checked
// against what the screen reports and cusim's command log and output.
#include "live_fixture.h"
#include "screen_driver.h"
#include "cu_command_log.h"

#include "acquisition/acq_state.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "gui/date_time_field.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"
#include "platform/globals.h"
#include "screens/service_math.h"
#include "screens/service_screens.h"
#include "screens/system_screens.h"

#include <SDL/SDL.h>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/wait.h>

namespace {

std::string text_of(int row, int slot)
{
    auto* t = mS.at<CSDLText>(row, slot);
    return t ? t->text : "";
}

bool cu_is_on()
{
    MutexLock g(lock_cuOn);
    return pisOn;
}

std::string read_all(const std::string& path)
{
    std::ifstream f(path);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

class ServiceScreens : public LiveTest {
protected:
    std::string cmd_log;
    bool up(std::vector<std::string> args)
    {
        cmd_log = sb.root() + "/sim/commands.cu";
        LiveOptions o;
        o.cusim_args = {"--command-log", cmd_log, "--gps-rate", "0"};
        o.cusim_args.insert(o.cusim_args.end(), args.begin(), args.end());
        return start(o);
    }
    void TearDown() override
    {
        LiveTest::TearDown();
        unlink((sock + ".wlan0").c_str());
        unlink((sock + ".wlan0.mon").c_str());
    }
};

constexpr int kTests = 27, kEthNumbers = 36, kFirstLine = 28;

// One Ethernet test from the test screen's focus on Start Tests: Left to the Ethernet test,
// Enter; `until` decides when to stop it with Enter (null: it ends by itself).
void ethernet_run(ScreenDriver& d, const std::function<bool()>& until)
{
    d.key(SDLK_LEFT);
    d.key(SDLK_RETURN);
    if (until) {
        d.wait(until, 60);
        d.key(SDLK_RETURN);
    }
    d.wait([] { return text_of(kTests, kEthNumbers).find("  ") != std::string::npos; }, 60);
    d.key(SDLK_RIGHT); // back to Start Tests
}

} // namespace

// A clean ramp: good traces are counted until Enter, none is bad; the CU's own settings
// (mode, runs, clipped and sample counts) are sent back afterwards. Then the test sequence
// fills every result line.
TEST_F(ServiceScreens, CleanRampCountsUntilEnterTheCuGetsItsSettingsBackTestLinesFill)
{
    ASSERT_TRUE(up({}));
    const int runs = eep.runs, cu_samples = eep.cu_samples, file_samples = eep.samples, clipped = eep.clipped;
    ScreenDriver d;
    size_t after_eth = 0;
    const int r = d.run(mode_27_Tests, [&](ScreenDriver& s) {
        s.wait([] { return mode == kTests; });
        ethernet_run(s, [&] { return count_of(command_log(cmd_log), 14) >= 25; });
        after_eth = command_log(cmd_log).size();
        // The test sequence of the acquisition thread fills the result lines.
        s.key(SDLK_RETURN);
        s.wait([] { return text_of(kTests, kFirstLine + 6).find("Init is OK") != std::string::npos; }, 120);
        s.wait([] { return hw_tests_are_started == 0; }, 30);
        s.keys(SDLK_LEFT, 3); // Quit
        s.key(SDLK_RETURN);
    });
    EXPECT_EQ(0, r);
    EXPECT_FALSE(d.failed());
    int traces = 0, first_bad = 0, kind = 0, bad = 0;
    ASSERT_EQ(4, sscanf(text_of(kTests, kEthNumbers).c_str(), "%d %d %d %d", &traces, &first_bad, &kind, &bad))
        << text_of(kTests, kEthNumbers);
    EXPECT_GE(traces, 25);
    EXPECT_EQ(-1, first_bad);
    EXPECT_EQ(0, kind);
    EXPECT_EQ(0, bad);
    // The screen's own lines; the thread's lines hold a result (pass, or an error of an
    // exchange that timed out on a loaded machine), no longer "Testing".
    EXPECT_EQ(0u, text_of(kTests, kFirstLine).find("Voltages: 49680/ 3300/ 5000/")) << text_of(kTests, kFirstLine);
    EXPECT_EQ("Startup: pass", text_of(kTests, kFirstLine + 1));
    const char* const labels[] = {"SRAM Test: ", "Communication Card Tests: ", "Flash Card Test: ", "GPS Test: ",
                                  "Data Card Tests: "};
    for (int i = 0; i < 5; i++) {
        const std::string t = text_of(kTests, kFirstLine + 2 + i);
        EXPECT_EQ(0u, t.find(labels[i])) << t;
        EXPECT_GT(t.size(), strlen(labels[i])) << t;
        EXPECT_EQ(std::string::npos, t.find("Testing")) << t;
    }
    auto log = command_log(cmd_log);
    log.resize(after_eth);
    size_t start = 0;
    for (size_t i = 0; i < log.size(); i++)
        if (log[i].code == 100 && log[i].a[0] == 2 && !start)
            start = i;
    ASSERT_GT(start, 0u) << "the ramp mode was set";
    EXPECT_EQ(runs, last_value(log, 104, start)) << "runs back";
    EXPECT_EQ(0, last_value(log, 100, start)) << "simulation mode back";
    EXPECT_EQ(clipped, last_value(log, 192, start));
    EXPECT_EQ(cu_samples, last_value(log, 65, start, 52));
    EXPECT_EQ(file_samples, last_value(log, 1, start));
    EXPECT_EQ(eep.runs, runs);
    EXPECT_EQ(eep.samples, file_samples);
}

// Two runs against faults: an unanswered trigger is no data coming (kind 1, and the CU is
// set up again); a wrong sample of the ramp is found at its index.
TEST_F(ServiceScreens, EthernetTestReportsTheErrorKindAndTheFirstBadSample)
{
    ASSERT_TRUE(up({"--fault", "noanswer=14:1,ramp=1234"}));
    std::string first, second;
    ScreenDriver d;
    d.run(mode_27_Tests, [&](ScreenDriver& s) {
        s.wait([] { return mode == kTests; });
        ethernet_run(s, nullptr);
        first = text_of(kTests, kEthNumbers);
        s.wait([] { return cu_is_on(); }, 60);
        ethernet_run(s, nullptr);
        second = text_of(kTests, kEthNumbers);
        s.keys(SDLK_LEFT, 3);
        s.key(SDLK_RETURN);
    });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ(0u, first.find("1  -1  1  1  No data coming (code 01-")) << first;
    EXPECT_EQ("1  1234  0  1", second);
}

// The WiFi screen (focus on Save at the start). Wire initiation: the module's second "<DO>"
// fails once (error 3), the next initiation succeeds with the module's commands and the
// network name. WiFi ON moves the link to wlan0, where the CU answers; OFF moves it back.
TEST_F(ServiceScreens, WireInitiationAndWifiOnOffMoveTheLinkToWlanAndBack)
{
    setenv("GPRMON_WIFI_WAIT_MS", "20", 1);
    ASSERT_TRUE(up({"--wlan-link", "unix:" + sock + ".wlan0", "--fault", "wifi=do2:1"}));
    prm.unit_number = 7;
    ScreenDriver d;
    size_t cu_log_at_on = 0;
    const int r = d.run(mode_44_WiFi_Pars, [&](ScreenDriver& s) {
        s.wait([] { return mode == 44; });
        s.key(SDLK_LEFT); // 12 -> 5 wire initiation
        s.key(SDLK_RETURN);
        s.wait_box("Wire Initialisation Error 3", 30);
        s.key(SDLK_RETURN);
        s.key(SDLK_RETURN); // again: it succeeds
        s.wait([&] { return count_of(command_log(cmd_log), 220) == 1; }, 30);
        s.key(SDLK_LEFT); // 6 WiFi ON
        s.key(SDLK_RETURN);
        s.wait([] { return prm.wifi_link == 1 && cu_is_on(); }, 60);
        cu_log_at_on = read_all(cu_log).size();
        s.key(SDLK_RETURN); // OFF
        s.wait([] { return prm.wifi_link == 0 && cu_is_on(); }, 60);
        s.key(SDLK_RIGHT); // 5
        s.key(SDLK_RIGHT); // 12 Save
        s.key(SDLK_RETURN);
    });
    unsetenv("GPRMON_WIFI_WAIT_MS");
    EXPECT_EQ(33, r);
    EXPECT_FALSE(d.failed());
    EXPECT_TRUE(d.saw_box("Wire Initialisation Error 3"));
    EXPECT_FALSE(d.saw_box("Wire Initialisation Error 4"));
    const auto log = command_log(cmd_log);
    std::vector<std::string> texts;
    for (const CuCommand& c : log)
        if (c.code == 195)
            texts.push_back(c.text);
    const std::vector<std::string> expected = {"<DO>", "<GO6>", "<DO>", "<DO>", "<GO6>", "<DO>"};
    EXPECT_EQ(expected, texts);
    for (const CuCommand& c : log)
        if (c.code == 220) {
            ASSERT_GE(c.a.size(), 8u);
            EXPECT_EQ(0x534F524CLL, c.a[0]) << "\"SORL\"";
            EXPECT_EQ(0x414E5F37LL, c.a[1]) << "\"AN_7\"";
            EXPECT_EQ(1, c.a[6]) << "channel";
            EXPECT_EQ(0xC0A80102LL, c.a[7]) << "the CU's address";
        }
    const std::string cu = read_all(cu_log);
    const size_t wireless = cu.find("frames now on the wireless link");
    ASSERT_NE(std::string::npos, wireless) << cu;
    EXPECT_LT(wireless, cu_log_at_on);
    EXPECT_NE(std::string::npos, cu.find("frames now on the wired link", wireless));
    // The access point was started again for the wireless link, with its configuration.
    EXPECT_NE(std::string::npos, read_all(sb.path("/etc/hostapd/hostapd.conf")).find("ssid=SORLAN_7\n"));
    EXPECT_GT(hostapd_process, 0);
    if (hostapd_process > 0) {
        kill(hostapd_process, SIGTERM);
        waitpid(hostapd_process, nullptr, 0);
        hostapd_process = 0;
    }
}

// Both date editors, the system clock (screen 10) and the last-service date (screen 42), take
// the arrows as every value entry does: Left back or down, Right forward or up. Each row
// starts in the year, edits it and leaves past the last part; the clock's change reaches the
// clock command, the date's the parameter store.
TEST_F(ServiceScreens, BothDateEditorsStepBackWithLeftAndForwardWithRight)
{
    struct Row {
        const char* what;
        std::vector<SDLKey> keys;
        int year_change;
    } const rows[] = {
        {"Right raises the year", {SDLK_RETURN, SDLK_RIGHT, SDLK_RIGHT, SDLK_RETURN}, 2},
        {"Left lowers it", {SDLK_RETURN, SDLK_LEFT, SDLK_RETURN}, -1},
        {"Left moves back to the year Right left", {SDLK_RIGHT, SDLK_LEFT, SDLK_RETURN, SDLK_RIGHT, SDLK_RETURN}, 1},
    };
    struct Editor {
        int screen, parts, leave;
        std::function<int()> run;
    } const editors[] = {
        {10, 5, 18, mode_10_sys_pars_level_0},
        {42, 3, 15, mode_42_service_interval},
    };
    prm.date1 = pack_date(2020, 6, 15);
    for (const Editor& e : editors) {
        SCOPED_TRACE(e.screen);
        curbutton[e.screen] = 2;
        int year = 0;
        ScreenDriver d;
        d.run(e.run, [&](ScreenDriver& s) {
            s.wait([&] { return mode == e.screen; });
            for (const Row& r : rows) {
                int before = 0, after = 0;
                s.on_gui([&] { before = mS.at<CSDLText_DT>(e.screen, 21)->val[0]; });
                s.key(SDLK_RETURN);
                for (SDLKey k : r.keys)
                    s.key(k);
                s.keys(SDLK_RIGHT, e.parts);
                s.key(SDLK_RETURN); // past the last part: done
                s.on_gui([&] { after = mS.at<CSDLText_DT>(e.screen, 21)->val[0]; });
                EXPECT_EQ(r.year_change, after - before) << r.what;
                year = after;
            }
            for (int i = 0; i < 20 && s.focus() != e.leave; i++)
                s.key(SDLK_RIGHT);
            s.key(SDLK_RETURN);
        });
        EXPECT_FALSE(d.failed());
        if (e.screen == 10) {
            const std::string clock = read_all(sb.path("/sim/clock.log"));
            EXPECT_EQ(std::to_string(year) + "\n", clock.substr(clock.size() - 5)) << clock;
        } else {
            EXPECT_EQ(pack_date(2022, 6, 15), prm.date1);
        }
    }
}

// The CU goes silent (cusim still logs what reaches it) while level 3 is shown: each service
// screen blanks what comes from the CU, its buttons that need the CU do nothing (wire
// initiation says so), and none of them sends the CU a command: only the polling looks for it.
TEST_F(ServiceScreens, CuOffBlanksEveryServiceScreenAndSendsTheCuNothing)
{
    ASSERT_TRUE(up({"--fault", "silence=600@cmd:107"}));
    size_t silent_from = 0;
    ScreenDriver d;
    d.run(
        [] {
            mode_25_sys_pars_level_3();
            mode_40_sys_pars_level_1_1();
            mode_22_sys_pars_level_2();
            mode_27_Tests();
            return mode_44_WiFi_Pars();
        },
        [&](ScreenDriver& s) {
            auto to = [&s](int slot) {
                for (int i = 0; i < 20 && s.focus() != slot; i++)
                    s.key(SDLK_LEFT);
            };
            auto press = [&](int slot) {
                to(slot);
                s.key(SDLK_RETURN);
            };
            s.wait([] { return mode == 25 && text_of(25, 21) == "440123"; });
            silent_from = command_log(cmd_log).size();
            {
                MutexLock g(lock_dw);
                gpr.Set_DUO_Channel(prm.duo_channel); // the last command cusim answers
            }
            s.wait([] { return !cu_is_on(); }, 60);
            for (int slot : {21, 22, 23, 24})
                s.wait([slot] { return text_of(25, slot) == " "; });
            press(3); // Prod.Line
            press(17);
            s.wait([] { return mode == 40 && text_of(40, 20) == "No contact with CU!"; });
            press(17); // Service Intervals
            s.wait([] { return mode == 42 && text_of(42, 20) == "No contact with antenna!"; });
            press(16);
            press(18);
            s.wait([] { return mode == 22 && text_of(22, 22) == "0 cm"; });
            press(7); // Channel (DUO)
            press(18);
            s.wait([] { return mode == 27 && text_of(27, 20) == "Antenna ID: "; });
            press(4); // Start Tests
            press(5); // Start Ethernet Test
            s.wait([] { return hw_tests_are_started == 0 && text_of(27, 36) == " "; });
            press(7);
            s.wait([] { return mode == 44; });
            press(5); // Wire initiation
            s.wait_box("Antenna is not connected");
            s.key(SDLK_RETURN);
            // Channel 1 -> 2: stored, nothing sent.
            press(9);
            for (SDLKey k : {SDLK_RETURN, SDLK_LEFT, SDLK_RETURN, SDLK_LEFT, SDLK_LEFT, SDLK_RETURN})
                s.key(k);
            press(12);
        });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ(2, prm.wifi_channel);
    const auto log = command_log(cmd_log);
    ASSERT_GT(log.size(), silent_from);
    EXPECT_EQ(107, log[silent_from].code);
    // The polling's discovery, probe and version reads are all that reach it.
    for (size_t i = silent_from + 1; i < log.size(); i++)
        EXPECT_TRUE(log[i].code == 0xFFFF || log[i].code == 0xFFFE || (log[i].code == 61 && log[i].a[0] == 1))
            << "command " << log[i].code << " sent to no CU";
}
