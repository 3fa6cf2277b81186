// The service screens driven through the whole program: gprmon as a child process against
// cusim, the service screens opened by their key sequences on the main menu, the keys a pipe
// written as the run goes on (each batch ends with a screenshot the test waits for). Checked
// against what the program stored (parameter store, files) and cusim's command log.
#include "live_fixture.h"
#include "program_driver.h"
#include "cu_command_log.h"

#include "config/password.h"
#include "support/png_shot.h"

#include <SDL/SDL.h>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

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
        cu_options = o;
        return start_cusim(o);
    }
    LiveOptions cu_options;
    // cusim off the wire (its socket gone); the program's own socket stays as it is.
    void pull_cu()
    {
        kill(cu, SIGTERM);
        waitpid(cu, nullptr, 0);
        cu = -1;
        unlink(sock.c_str());
    }
    bool insert_stick() const
    {
        return system(("'" + std::string(GPRMON_SOURCE_DIR) + "/sim/usb-stick.sh' '" + sb.root() + "' >/dev/null")
                          .c_str()) == 0;
    }
    // Main menu -> Shut down (one to the right of 2D at a start) -> the quit box's level-0
    // sequence: the system screen, focus on Cancel.
    bool to_system_screen(Program& p)
    {
        return keys(p, {"Right"}) && keys(p, {"Enter"}) &&
               keys(p, {"Up", "Up", "Down", "Down", "Left", "Right", "Left", "Right", "Enter"}, "system");
    }
    // Keys, then the output from where it stood up to `needle`; false when it does not come.
    bool keys_for(Program& p, std::vector<std::string> k, const std::string& needle, size_t* at = nullptr)
    {
        const size_t from = p.output().size();
        for (const std::string& l : k)
            p.send({l.c_str()});
        const size_t found = p.wait_out(needle, from, 120);
        if (at)
            *at = found;
        return found != std::string::npos;
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

// A second monitor on the wire while the program's CU emulator runs: bound where the CU was,
// it looks for a CU (0xFFFF, broadcast), then asks the one that answered for the antenna
// identity (76). The first payload word of each answer; -1 for one that did not come.
std::pair<long, long> ask_emulated_cu(const std::string& cu_path)
{
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un me{}, monitor{};
    me.sun_family = monitor.sun_family = AF_UNIX;
    snprintf(me.sun_path, sizeof me.sun_path, "%s", cu_path.c_str());
    snprintf(monitor.sun_path, sizeof monitor.sun_path, "%s.mon", cu_path.c_str());
    unlink(cu_path.c_str());
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&me), sizeof me) != 0) {
        if (fd >= 0)
            close(fd);
        return {-1, -1};
    }
    const uint8_t mine[6] = {0x02, 0, 0, 0, 0x42, 0x99};
    uint8_t cu[6];
    memset(cu, 0xFF, sizeof cu);
    auto be16 = [](const uint8_t* b) { return long(b[0]) << 8 | b[1]; };
    auto ask = [&](uint16_t code, uint16_t packet) -> long {
        uint8_t f[150] = {};
        memcpy(f, cu, 6);
        memcpy(f + 6, mine, 6);
        const uint16_t fields[] = {0x5555, packet, code};
        for (int i = 0; i < 3; i++) {
            f[12 + 2 * i] = uint8_t(fields[i] >> 8);
            f[13 + 2 * i] = uint8_t(fields[i]);
        }
        sendto(fd, f, sizeof f, 0, reinterpret_cast<sockaddr*>(&monitor), sizeof monitor);
        // The monitor's own polls come here too: only an answer to this packet counts.
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0)
                return -1;
            uint8_t a[2048];
            const ssize_t n = recv(fd, a, sizeof a, 0);
            if (n >= 24 && memcmp(a, mine, 6) == 0 && a[16] == 1 && be16(a + 18) == packet) {
                memcpy(cu, a + 6, 6);
                return code == 76 ? be16(a + 20) << 16 | be16(a + 22) : be16(a + 20);
            }
        }
    };
    const long found = ask(0xFFFF, 0x4201);
    const long id = found < 0 ? -1 : ask(76, 0x4202);
    close(fd);
    unlink(cu_path.c_str());
    return {found, id};
}

// The names in a folder that start with `prefix` and end with `suffix`.
std::vector<std::string> names_in(const std::string& dir, const std::string& prefix, const std::string& suffix)
{
    std::vector<std::string> out;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n.size() >= prefix.size() + suffix.size() && n.compare(0, prefix.size(), prefix) == 0 &&
                n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
                out.push_back(n);
        }
        closedir(d);
    }
    return out;
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

// The service actions that reach files, the stick, the CU and the screen, through the whole
// program: the hardware tests (27) with their screenshot and GPS dump copied to the stick; the
// WiFi channel (44) sent to the antenna's module, the access point restarted for it while
// WiFi is on, a failed check shown as the negated channel; level 2's copies of the settings
// to the factory partition and to the stick; the CU emulator answering a second monitor on
// the wire; the screen test's four colours; level 3's serial refused until it is a number of
// at most eight digits, the identity fields sent to the CU, the zeroing of its store.
TEST_F(ServiceProgram, HardwareTestsWifiChannelSettingsCopiesEmulatorScreenTestAndAntennaIdentity)
{
    setenv("GPRMON_WIFI_WAIT_MS", "20", 1);
    ASSERT_TRUE(start_cu({"--fault", "wifi=wl:1"}));
    Program p;
    const bool started = up(p);
    unsetenv("GPRMON_WIFI_WAIT_MS");
    ASSERT_TRUE(started) << p.output();
    ASSERT_TRUE(insert_stick());
    const std::string stick = sb.path("/dev/sdb1");

    // System screen (at Cancel, 18) -> Hardware Tests (11, six to the left) -> the test run,
    // then Screenshot to USB (6, two to the left of Start Tests).
    ASSERT_TRUE(to_system_screen(p)) << p.output();
    ASSERT_TRUE(keys_for(p, times("Left", 6) + std::vector<std::string>{"Enter", "Enter"}, "hw tests over"))
        << p.output();
    ASSERT_TRUE(keys_for(p, {"Left", "Left", "Enter"}, "hwtest copy:")) << p.output();
    EXPECT_NE(std::string::npos, p.output().find("hwtest copy: 0 0")) << p.output();
    const auto shots_taken = names_in(sb.path("/dev/sda1"), "hwtest_", ".jpg");
    ASSERT_EQ(1u, shots_taken.size());
    const std::string jpg = file(sb.path("/dev/sda1/" + shots_taken[0]));
    EXPECT_EQ(0u, jpg.find("\xFF\xD8\xFF")) << "a JPEG picture";
    EXPECT_EQ(jpg, file(stick + "/SORLAN/" + shots_taken[0]));
    const auto dumps = names_in(sb.path("/dev/sda1"), "", "_GPS_dump");
    ASSERT_EQ(1u, dumps.size());
    const std::string stamp = shots_taken[0].substr(7, shots_taken[0].size() - 11);
    const std::string dump_copy = stick + "/SORLAN/hwtest_" + stamp + "_GPS_dump.txt";
    EXPECT_TRUE(file_exists(dump_copy)) << dump_copy;
    EXPECT_EQ(file(sb.path("/dev/sda1/" + dumps[0])), file(dump_copy));

    // Quit (7) -> NEXT SCREEN (12) -> screen 33 at << PREVIOUS (17) -> WiFi Settings (7, two
    // to the right) -> screen 44 at Save (12); WiFi Channel (9) is two to the right. Channel
    // 1 -> 5 (four steps of the digit), WiFi off: "<GC5>" and "<WL>", which fails once.
    ASSERT_TRUE(keys(p, {"Left", "Enter", "Left", "Enter", "Right", "Right", "Enter"}, "wifi"));
    size_t entry = command_log(cmd_log).size();
    const std::vector<std::string> to_five = {"Enter", "Enter", "Left", "Left", "Left", "Left", "Enter",
                                              "Left", "Left", "Enter"};
    ASSERT_TRUE(keys_for(p, std::vector<std::string>{"Right", "Right"} + to_five, "wifi channel 5:")) << p.output();
    // WiFi ON (6, two to the right): the link on wlan0 and the CU found there; channel 5 -> 6
    // (the field shows -5: the sign deleted first) with the access point restarted.
    size_t at = 0;
    ASSERT_TRUE(keys_for(p, {"Right", "Right", "Enter"}, "link on wlan0: 0", &at)) << p.output();
    ASSERT_NE(std::string::npos, p.wait_out("Reading from CU:", at, 120)) << p.output();
    const std::vector<std::string> to_six = {"Enter", "Up", "Right", "Enter", "Left", "Enter", "Left", "Left", "Enter"};
    ASSERT_TRUE(keys_for(p, std::vector<std::string>{"Left", "Left"} + to_six, "wifi channel 6:", &at)) << p.output();
    EXPECT_NE(std::string::npos, p.output().find("wifi channel 6: 0 <S>", at - 15)) << p.output();
    const std::string restart = p.output().substr(p.output().rfind("wifi channel 5:"));
    EXPECT_NE(std::string::npos, restart.find("access point stopped")) << restart;
    auto log = command_log(cmd_log);
    std::vector<std::string> texts;
    for (size_t i = entry; i < log.size(); i++)
        if (log[i].code == 195)
            texts.push_back(log[i].text);
    const std::vector<std::string> expected = {"<GC5>", "<WL>", "<GC6>", "<WL>"};
    EXPECT_EQ(expected, texts);
    EXPECT_NE(std::string::npos, p.output().find("wifi channel 5: 0 <E>")) << p.output();
    // WiFi OFF again (two to the right), Save (12, four to the left): the channel stored.
    ASSERT_TRUE(keys_for(p, {"Right", "Right", "Enter"}, "link on eth0: 0", &at)) << p.output();
    ASSERT_NE(std::string::npos, p.wait_out("Reading from CU:", at, 120)) << p.output();
    ASSERT_TRUE(keys(p, times("Left", 4) + std::vector<std::string>{"Enter"}, "wifi_saved"));
    // Screen 33 (at WiFi Settings) -> << PREVIOUS (two to the left) -> the system screen at
    // NEXT SCREEN (12) -> Cancel (18, six to the left): the main menu.
    ASSERT_TRUE(keys(p, times("Left", 2) + std::vector<std::string>{"Enter"} + times("Left", 6) +
                            std::vector<std::string>{"Enter"},
                     "main"));

    // Level 2 (at Cancel, 18): Missed Traces Mode (4, two to the left) toggled, Save to
    // predefined settings (15, ten further) while the factory partition does not mount: the
    // copy is not made (not into the bare mount point either). Again with the partition
    // back: the settings file, saved with the new mode, becomes the factory partition's copy.
    // Upload current settings (16): onto the stick.
    ASSERT_TRUE(keys(p, sequence(2), "level2"));
    const std::string settings = sb.path("/dev/sda3/r5_parameters.xml");
    const std::string factory_copy = sb.path("/dev/sda4/r5_parameters.xml");
    const std::string before = file(settings), factory_before = file(factory_copy);
    const std::string unmountable = sb.path("/sim/sda4.unmountable");
    std::ofstream(unmountable).close();
    ASSERT_TRUE(keys_for(p, times("Left", 2) + std::vector<std::string>{"Enter"} + times("Left", 10) +
                                std::vector<std::string>{"Enter"},
                         "message box \"Partition mounting error!\""))
        << p.output();
    EXPECT_EQ(factory_before, file(factory_copy));
    EXPECT_FALSE(file_exists(sb.path("/mnt/hda4/r5_parameters.xml"))) << "nothing in the mount point";
    unlink(unmountable.c_str());
    ASSERT_TRUE(keys_for(p, {"Enter", "Enter"}, "predefined settings: cp 0")) << p.output();
    EXPECT_NE(before, file(settings)) << "saved with the new mode first";
    EXPECT_EQ(file(settings), file(factory_copy));
    ASSERT_TRUE(keys_for(p, {"Left", "Enter"}, "settings uploaded: cp 0")) << p.output();
    EXPECT_EQ(file(settings), file(stick + "/r5_parameters.xml"));

    // NEXT SCREEN (12, four to the right) -> screen 43 at Positioning (2); Start CU Simulation
    // Mode (3) with cusim off the wire: the program answers a second monitor as its CU, until
    // a key; then the CU is found again.
    ASSERT_TRUE(keys(p, {"Right", "Right", "Right", "Right", "Enter", "Left"}, "level2_scr2"));
    const size_t pulled = p.output().size();
    pull_cu();
    ASSERT_TRUE(keys_for(p, {"Enter"}, "CU simulation mode on")) << p.output();
    const auto answers = ask_emulated_cu(sock);
    EXPECT_EQ(0xFFFF, answers.first) << "the discovery is answered";
    EXPECT_EQ(44, answers.second) << "the emulated antenna";
    ASSERT_NE(std::string::npos, p.wait_out("CU lost", pulled, 120)) << "no CU on the wire meanwhile";
    ASSERT_TRUE(keys_for(p, {"Enter"}, "CU simulation mode off", &at)) << p.output();
    ASSERT_TRUE(start_cusim(cu_options));
    ASSERT_NE(std::string::npos, p.wait_out("Reading from CU:", at, 120)) << p.output();

    // Screen Test (4): white, red, green and blue over the whole screen, each until a key.
    const std::vector<std::pair<std::string, std::vector<int>>> colours = {
        {"white", {255, 255, 255}}, {"red", {255, 0, 0}}, {"green", {0, 255, 0}}, {"blue", {0, 0, 255}}};
    ASSERT_TRUE(keys(p, {"Left", "Enter"}, colours[0].first));
    for (size_t i = 1; i < colours.size(); i++)
        ASSERT_TRUE(keys(p, {"Enter"}, colours[i].first));
    ASSERT_TRUE(keys(p, {"Enter"}, "screen_test_done"));
    for (const auto& c : colours) {
        Png shot;
        ASSERT_TRUE(shot.load(p.shots + "/" + c.first + ".png")) << c.first;
        for (const auto& xy : {std::make_pair(0, 0), std::make_pair(1023, 767), std::make_pair(512, 384)})
            EXPECT_TRUE(shot.is(xy.first, xy.second, c.second[0], c.second[1], c.second[2])) << c.first;
    }
    // OK (17) back to level 2 (at NEXT SCREEN), Cancel (18, six to the left).
    ASSERT_TRUE(keys(p, std::vector<std::string>{"Left", "Enter"} + times("Left", 6) + std::vector<std::string>{"Enter"}, "main2"));

    // Level 3 (at Quit, 17; the serial 2 one to the left). The serial 440123 gets a blank
    // inserted: not a number; the blank made a 1 and two digits appended: too big; the first
    // digit made a minus: negative, not a serial; the minus deleted: 14012311, sent with the
    // identity word. Prod.Line (3) 10 -> 12, Antenna
    // Type (4) 44 -> 45, Antenna Model (5) 0 -> 2, each sent at its Enter.
    ASSERT_TRUE(keys(p, sequence(3), "level3"));
    entry = command_log(cmd_log).size();
    ASSERT_TRUE(keys_for(p, std::vector<std::string>{"Left", "Enter", "Left", "Down"} + times("Left", 7) +
                                std::vector<std::string>{"Enter"},
                         "message box \"The number is not correct."))
        << p.output();
    ASSERT_TRUE(keys_for(p, std::vector<std::string>{"Enter", "Left", "Enter", "Left", "Enter"} + times("Left", 6) +
                                std::vector<std::string>{"Enter", "Left", "Enter", "Left", "Enter", "Left", "Enter",
                                                         "Left", "Left", "Enter"},
                         "message box \"The number is too big."))
        << p.output();
    ASSERT_TRUE(keys_for(p, std::vector<std::string>{"Enter", "Enter"} + times("Left", 8) +
                                std::vector<std::string>{"Enter"} + times("Left", 10) + std::vector<std::string>{"Enter"},
                         "message box \"The number is not correct."))
        << "a negative serial";
    ASSERT_TRUE(keys(p, std::vector<std::string>{"Enter", "Up"} + times("Left", 9) + std::vector<std::string>{"Enter"},
                     "serial"));
    ASSERT_TRUE(keys(p, {"Left", "Enter", "Right", "Right", "Enter", "Left", "Enter", "Right", "Enter", "Left", "Enter",
                         "Right", "Right", "Enter"},
                     "identity"));
    log = command_log(cmd_log);
    std::vector<std::vector<long long>> sent;
    for (size_t i = entry; i < log.size(); i++)
        if (log[i].code == 43 && log[i].a.size() >= 3 && (log[i].a[0] == 2 || log[i].a[0] == 3))
            sent.push_back({log[i].a[0], log[i].a[1], log[i].a[2]});
    const std::vector<std::vector<long long>> identity = {
        {3, 44, 14012311}, {2, 12, 1}, {3, 45, 14012311}, {3, 45 | 2 << 16, 14012311}};
    EXPECT_EQ(identity, sent);
    // Antenna name (6): its first letter changed; the name is stored without the version the
    // screen shows with it. Init permanent data area (7), Yes: the CU zeroes its store and
    // restarts.
    const std::string settings_before = file(settings);
    ASSERT_TRUE(keys(p, std::vector<std::string>{"Left", "Enter", "Enter", "Left", "Enter"} + times("Left", 45) +
                            std::vector<std::string>{"Enter"},
                     "named"));
    EXPECT_NE(settings_before, file(settings));
    EXPECT_EQ(std::string::npos, file(settings).find("(v.")) << file(settings);
    entry = command_log(cmd_log).size();
    ASSERT_TRUE(keys_for(p, {"Left", "Enter"}, "message box \"Are you sure to zero all antenna parameters?\""))
        << p.output();
    ASSERT_TRUE(keys(p, {"Enter"}, "zeroed"));
    log = command_log(cmd_log);
    std::vector<std::pair<int, long long>> zeroing;
    for (size_t i = entry; i < log.size(); i++)
        if (log[i].code == 124 || log[i].code == 16)
            zeroing.push_back({log[i].code, log[i].a.empty() ? -1 : log[i].a[0]});
    EXPECT_EQ((std::vector<std::pair<int, long long>>{{124, 1}, {16, 1}}), zeroing);
    ASSERT_TRUE(keys(p, times("Left", 2) + std::vector<std::string>{"Enter"}, "level3_quit"));
    EXPECT_EQ(0, p.finish());
}
