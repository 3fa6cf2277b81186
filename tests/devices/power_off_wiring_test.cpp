// The whole program with the simulated power controller: start-up opens it and lights the
// screen, SIGTERM's power-off sequence darkens it and asks for switch-off mode 3, last.
#include "devices/standin_process.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

TEST(PowerOffWiring, start_up_lights_the_backlight_and_power_off_ends_with_shutdown_3)
{
    Sandbox sb;
    StandinProcess pic("gprmon-picdrv", {sb.root()}, sb.path("/dev/picdrv"));
    ASSERT_TRUE(pic.ready());
    std::string out = sb.root() + "/sim/gprmon.out";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir((sb.root() + "/work").c_str()) != 0 || !freopen(out.c_str(), "w", stdout))
            _exit(126);
        std::string exe = std::string(GPRMON_BINARY_DIR) + "/gprmon";
        execl(exe.c_str(), "gprmon", (char*)nullptr);
        _exit(127);
    }
    const bool in_loop = eventually([&] { return read_file(out).find("main loop") != std::string::npos; }, 90);
    ASSERT_TRUE(in_loop) << read_file(out);
    EXPECT_NE(read_file(out).find("open pic 1\n"), std::string::npos) << read_file(out);
    EXPECT_NE(read_file(out).find("open parport 0\n"), std::string::npos);
    std::string log = read_file(sb.root() + "/sim/picdrv.log");
    EXPECT_EQ(log.rfind("backlight 0\nbacklight 10\n", 0), 0u) << log;

    kill(pid, SIGTERM);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    log = read_file(sb.root() + "/sim/picdrv.log");
    const std::string tail = "backlight 0\nshutdown 3\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail) << log;
}
