// The whole program in a sandbox: start-up reaches the main loop, SIGTERM powers off.
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

TEST(ProgramLifecycle, sigterm_in_the_main_loop_runs_the_power_off_sequence_and_leaves_the_marker)
{
    Sandbox sb;
    std::string out = sb.root() + "/sim/gprmon.out";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir((sb.root() + "/work").c_str()) != 0)
            _exit(126);
        if (!freopen(out.c_str(), "w", stdout))
            _exit(126);
        std::string exe = std::string(GPRMON_BINARY_DIR) + "/gprmon";
        execl(exe.c_str(), "gprmon", (char*)nullptr);
        _exit(127);
    }
    const bool in_loop = eventually([&] { return read_file(out).find("main loop") != std::string::npos; }, 90);
    ASSERT_TRUE(in_loop) << read_file(out);
    EXPECT_FALSE(file_exists(sb.path("/dev/sda3/hda1_ok"))) << "the marker is deleted at start";
    EXPECT_TRUE(file_exists(sb.root() + "/sim/hostapd.pid"));

    kill(pid, SIGTERM);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal instead of by the power-off sequence";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(file_exists(sb.path("/dev/sda3/hda1_ok")));
    EXPECT_FALSE(file_exists(sb.path("/mnt/hda1/GPS"))) << "data partition unmounted";
    // The access-point stand-in follows its parent out.
    eventually([&] { return !file_exists(sb.root() + "/sim/hostapd.pid"); });
    EXPECT_FALSE(file_exists(sb.root() + "/sim/hostapd.pid"));
}
