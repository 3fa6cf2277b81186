// The service screens driven through the whole program: gprmon as a child process against
// cusim, the service screens opened by their key sequences on the main menu, the keys a pipe
// written as the run goes on (each batch ends with a screenshot the test waits for). Checked
// against what the program stored (parameter store, files) and cusim's command log.
#include "live_fixture.h"
#include "program_driver.h"
#include "cu_command_log.h"

#include "config/password.h"

#include <SDL/SDL.h>
#include <cstdint>
#include <fstream>
#include <sys/stat.h>

namespace {

class ServiceProgram : public LiveTest {
protected:
    std::string cmd_log;
    int shots = 0;

    bool start_cu(std::vector<std::string> extra = {})
    {
        cmd_log = sb.root() + "/sim/commands.cu";
        LiveOptions o;
        o.cusim_args = {"--command-log", cmd_log, "--gps-rate", "0", "--wlan-link", "unix:" + sock + ".wlan0"};
        for (const std::string& e : extra)
            o.cusim_args.push_back(e);
        return start_cusim(o);
    }
    void TearDown() override
    {
        if (HasFailure() && getenv("GPRMON_KEEP_SHOTS"))
            system(("cp -r '" + sb.root() + "/sim/shots' '" + getenv("GPRMON_KEEP_SHOTS") + "'").c_str());
        LiveTest::TearDown();
        unlink((sock + ".wlan0").c_str());
    }
    // Keys, then a screenshot that proves they were taken.
    bool keys(Program& p, std::vector<std::string> k, const std::string& name = "")
    {
        for (const std::string& l : k)
            p.send({l.c_str()});
        const std::string n = name.empty() ? "svc" + std::to_string(++shots) : name;
        p.send({("shot " + n).c_str()});
        return p.wait_shot(n, 90);
    }
    static std::vector<std::string> times(const char* key, int n) { return std::vector<std::string>(size_t(n), key); }
    // The main menu's key sequence of password window w.
    static std::vector<std::string> sequence(int w)
    {
        std::vector<std::string> out;
        const int32_t* s = CPassword::sequence(w);
        for (size_t i = 0; i < CPassword::sequence_length(w); i++)
            out.push_back(s[i] == SDLK_LEFT ? "Left" : "Right");
        return out;
    }
    // Started and connected: the CU's parameters were read.
    bool up(Program& p)
    {
        return p.start(sb) && p.wait_out("main loop", 0, 120) != std::string::npos &&
               p.wait_out("Reading from CU:", 0, 120) != std::string::npos;
    }
    // The two stored service dates (parameter store offsets 124 and 128).
    bool stored_dates(uint32_t& d1, uint32_t& d2) const
    {
        std::ifstream f(sb.path("/dev/sda2/root/pars"), std::ios::binary);
        uint8_t b[147] = {};
        if (!f.read(reinterpret_cast<char*>(b), sizeof b))
            return false;
        d1 = uint32_t(b[124]) | uint32_t(b[125]) << 8 | uint32_t(b[126]) << 16 | uint32_t(b[127]) << 24;
        d2 = uint32_t(b[128]) | uint32_t(b[129]) << 8 | uint32_t(b[130]) << 16 | uint32_t(b[131]) << 24;
        return true;
    }
    std::string file(const std::string& path) const
    {
        std::ifstream f(path);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

// Level 2: the DUO channel, pattern and the CU's simulation mode change and are sent at once;
// Cancel sends each back. Level 1: the service dates are stored packed and erased as 0.
// Level 2's second screen: a positioning-test GPS file is created and closed.
TEST_F(ServiceProgram, LevelTwoCancelResendsServiceDatesAreStoredPositioningLogIsClosed)
{
    ASSERT_TRUE(start_cu());
    Program p;
    ASSERT_TRUE(up(p)) << p.output();

    // Level 2 opens at Cancel (18); Left wraps to Antenna separation (3). Channel (7) 1 -> 2,
    // Pattern (8) on, Sim. Mode (10) 0 -> 3 (the digit field: six steps from '0' to '3').
    ASSERT_TRUE(keys(p, sequence(2), "level2"));
    size_t entry = command_log(cmd_log).size();
    ASSERT_TRUE(keys(p, times("Left", 4) + std::vector<std::string>{"Enter", "Left", "Enter", "Left", "Left", "Enter",
                                                                     "Enter"} +
                            times("Left", 6) + std::vector<std::string>{"Enter", "Left", "Left", "Enter"}));
    auto log = command_log(cmd_log);
    EXPECT_EQ(2, last_value(log, 107, entry)) << "channel sent at once";
    EXPECT_EQ(620, last_value(log, 65, entry)) << "pattern on at once";
    EXPECT_EQ(3, last_value(log, 100, entry)) << "simulation mode sent on Enter";

    // Cancel (18, eight to the left of 10): what changed goes back to the CU.
    const size_t changed = log.size();
    ASSERT_TRUE(keys(p, times("Left", 8) + std::vector<std::string>{"Enter"}, "level2_cancelled"));
    log = command_log(cmd_log);
    EXPECT_EQ(1, last_value(log, 107, changed));
    EXPECT_EQ(600, last_value(log, 65, changed)) << "pattern off again";
    EXPECT_EQ(0, last_value(log, 100, changed)) << "simulation mode 0 again";

    // Level 1 opens at Filters (12); Service Intervals is 17. The last-service date: a date
    // not defined starts at 2013-01-01; month 9, day 1 stay, Enter past the day ends it.
    ASSERT_TRUE(keys(p, sequence(1) + times("Left", 4) + std::vector<std::string>{"Enter"}, "dates"));
    ASSERT_TRUE(keys(p, std::vector<std::string>{"Enter", "Right", "Enter"} + times("Right", 8) +
                            std::vector<std::string>{"Enter", "Right", "Right", "Enter"} + times("Left", 3) +
                            std::vector<std::string>{"Enter"},
                     "dates_saved"));
    ASSERT_NE(std::string::npos, p.wait_out("service dates: 07DD0901 00000000", 0, 60)) << p.output();
    uint32_t d1 = 1, d2 = 1;
    ASSERT_TRUE(stored_dates(d1, d2));
    EXPECT_EQ(0x07DD0901u, d1);
    EXPECT_EQ(0u, d2);

    // Again: Erase Dates (5, one to the right of Save) and Save store 0 for both.
    ASSERT_TRUE(keys(p, {"Enter", "Right", "Enter", "Left", "Enter"}, "dates_erased"));
    ASSERT_NE(std::string::npos, p.wait_out("service dates: 00000000 00000000", 0, 60)) << p.output();
    ASSERT_TRUE(stored_dates(d1, d2));
    EXPECT_EQ(0u, d1);
    EXPECT_EQ(0u, d2);

    // Level 1 is left with Save (18); level 2 (back at Cancel) to NEXT SCREEN (12), Positioning
    // (2), Create GPS File (7) with the default name: the log is created, and closed by the
    // second press.
    ASSERT_TRUE(keys(p, {"Left", "Enter"}));
    ASSERT_TRUE(keys(p, sequence(2) + times("Left", 9) + std::vector<std::string>{"Enter", "Enter"}, "positioning"));
    ASSERT_TRUE(keys(p, times("Left", 2) + std::vector<std::string>{"Enter"} + times("Left", 10) +
                            std::vector<std::string>{"Enter", "Enter"},
                     "gps_file"));
    ASSERT_NE(std::string::npos, p.wait_out("test GPS file TEST_GPS_.crn created: 0", 0, 60)) << p.output();
    struct stat st;
    EXPECT_EQ(0, stat(data("TEST_GPS_.crn").c_str(), &st));
    EXPECT_EQ(0, stat(data("TEST_GPS_.kbn").c_str(), &st));
    ASSERT_TRUE(keys(p, {"Enter"}, "gps_file_closed"));
    EXPECT_NE(std::string::npos, p.wait_out("test GPS file closed: TEST_GPS_.crn", 0, 60)) << p.output();

    // A second file of the same name is refused.
    ASSERT_TRUE(keys(p, std::vector<std::string>{"Enter"} + times("Left", 10) + std::vector<std::string>{"Enter"},
                     "gps_file_exists"));
    ASSERT_TRUE(keys(p, {"Enter"}));
    EXPECT_EQ(std::string::npos, p.output().find("created", p.output().find("test GPS file closed")));
    EXPECT_EQ(0, p.finish());
}
