// sim/launch.sh as a newcomer runs it (make run): a fresh device starts as one that was shut
// down cleanly, and a simulated device that cannot start stops the launch with its reason.
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Launch {
    int status = -1;
    std::string out;
};

// Runs the launcher on the new sandbox folder `root` with the given environment assignments.
Launch launch(const std::string& env, const std::string& root)
{
    const std::string cmd = env + " GPRMON_SANDBOX='" + root + "' '" + GPRMON_SOURCE_DIR + "/sim/launch.sh' '" +
        GPRMON_BINARY_DIR + "' 2>&1";
    Launch l;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return l;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
        l.out.append(buf, n);
    int st = pclose(p);
    l.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return l;
}

bool built(const char* rel) { return access((std::string(GPRMON_BINARY_DIR) + rel).c_str(), X_OK) == 0; }

} // namespace

TEST(Launcher, fresh_device_starts_clean_and_a_device_that_cannot_start_ends_the_launch)
{
    if (!built("/gprmon") || !built("/sim/cu/cusim") || !built("/sim/devices/gprmon-picdrv"))
        GTEST_SKIP() << "the program or the simulated devices are not built";
    char tmpl[] = "/tmp/gprmon-launch-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    {
        FILE* k = fopen((dir + "/keys").c_str(), "w");
        ASSERT_NE(k, nullptr);
        fputs("wait 1500\nquit\n", k);
        fclose(k);
    }

    // A cart speed beyond the simulator's limit: cusim ends at once.
    const std::string keys = "GPRMON_KEYS='" + dir + "/keys'";
    const Launch bad = launch("CUSIM_OPTIONS='--speed 120' " + keys, dir + "/a");
    EXPECT_EQ(3, bad.status) << bad.out;
    EXPECT_NE(std::string::npos, bad.out.find("simulated device 'cusim' ended during start-up")) << bad.out;
    EXPECT_NE(std::string::npos, bad.out.find("bad value for --speed")) << "the log's last lines\n" << bad.out;
    EXPECT_NE(std::string::npos, bad.out.find("command: " + std::string(GPRMON_BINARY_DIR) + "/sim/cu/cusim"))
        << bad.out;
    EXPECT_EQ(std::string::npos, bad.out.find("main loop")) << "the monitor was started";

    // A sound device: the first start is that of a device shut down cleanly.
    const Launch good = launch(keys, dir + "/b");
    EXPECT_EQ(0, good.status) << good.out;
    EXPECT_NE(std::string::npos, good.out.find("main loop")) << good.out;
    EXPECT_NE(std::string::npos, good.out.find("message box \"Produced by\"")) << good.out;
    EXPECT_EQ(std::string::npos, good.out.find("switched off abnormally")) << good.out;
    EXPECT_EQ(std::string::npos, good.out.find("Settings file could not be read")) << "no file is no lost file";
    EXPECT_EQ(std::string::npos, read_file(dir + "/b/sim/standins.log").find("e2fsck -p -f " + dir + "/b/dev/sda1"));
    // The simulated cart's wheel is calibrated as the monitor's factory wheel, so distances
    // agree with the GPS track.
    EXPECT_NE(std::string::npos, read_file(dir + "/b/sim/launch/cusim.cmd").find(" --wheel-cal 360.67"));

    // The never-shut-down layout, for those who need the first start after a power loss.
    const Launch never = launch("GPRMON_NEVER_SHUT_DOWN=1 " + keys, dir + "/c");
    EXPECT_EQ(0, never.status) << never.out;
    EXPECT_NE(std::string::npos, never.out.find("message box \"Monitor was switched off abnormally\"")) << never.out;

    if (!getenv("GPRMON_KEEP_SANDBOX")) {
        EXPECT_EQ(0, system(("rm -rf '" + dir + "'").c_str()));
    }
}
