// The program and its simulation never act outside the sandbox.
#include "platform/globals.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "platform/host_paths.h"
#include "platform/shell.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace {

// Existence and modification time of every device path the program uses, on the host.
std::string host_state()
{
    const char* paths[] = {"/mnt/hda1", "/mnt/hda2", "/mnt/hda3", "/mnt/hda4", "/mnt/usb",
                           "/mnt/hda3/hda1_ok", "/dev/sda1", "/dev/sda2", "/dev/sda3", "/dev/sda4",
                           "/etc/hostapd", "/etc/hostapd/hostapd.conf", "/dev/picdrv",
                           "/dev/ttyUSB0", "/dev/parport0", "/dev/navuart", "/etc", "/mnt"};
    std::string s;
    for (const char* p : paths) {
        struct stat st;
        if (lstat(p, &st) == 0)
            s += std::string(p) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                 std::to_string(st.st_mtim.tv_nsec) + " " + std::to_string(st.st_mode) + "\n";
        else
            s += std::string(p) + " absent\n";
    }
    return s;
}

} // namespace

TEST(HostSafety, device_paths_map_into_the_sandbox_and_stay_as_given_on_the_device)
{
    {
        Sandbox sb;
        EXPECT_EQ(host_path("/mnt/hda1/"), sb.root() + "/mnt/hda1/");
        EXPECT_EQ(host_path("images/b.bmp"), "images/b.bmp");
        char small[8];
        EXPECT_EQ(host_path_buf("/mnt/hda1/", small, sizeof small), -1);
        EXPECT_EQ(small[0], 0);
    }
    EXPECT_EQ(host_path("/mnt/hda1/"), "/mnt/hda1/");
}

TEST(HostSafety, a_file_name_with_quotes_spaces_and_semicolons_is_only_a_name)
{
    Sandbox sb;
    const char* nasty[] = {"a b; touch PWNED", "it's \"x\"; rm -rf .", "$(touch PWNED)", "`touch PWNED`", "x\ny"};
    std::string dir = sb.path("/mnt/usb");
    for (const char* name : nasty) {
        std::string cmd = "cd " + sh_quote(dir) + " && touch " + sh_quote(name);
        EXPECT_EQ(run_shell(cmd.c_str()), 0) << name;
        EXPECT_TRUE(file_exists(dir + "/" + name)) << name;
    }
    EXPECT_FALSE(file_exists(dir + "/PWNED"));
    EXPECT_FALSE(file_exists(sb.root() + "/work/PWNED"));
    // The same through a device path.
    std::string cmd = "touch " + sh_path("/mnt/usb/semi;colon 'q'");
    EXPECT_EQ(run_shell(cmd.c_str()), 0);
    EXPECT_TRUE(file_exists(dir + "/semi;colon 'q'"));
}

TEST(HostSafety, standins_refuse_paths_outside_the_sandbox)
{
    Sandbox sb;
    EXPECT_NE(run_shell("mount /dev/sda1 /mnt/hda1"), 0);
    EXPECT_NE(run_shell("mke2fs /dev/sda1"), 0);
    EXPECT_NE(run_shell("umount /mnt"), 0);
    EXPECT_NE(run_shell("kill 1"), 0) << "only the sandbox's own daemons may be signalled";
    EXPECT_EQ(run_shell("reboot -f"), 0);
    EXPECT_TRUE(file_exists(sb.root() + "/sim/reboot-requested"));
    EXPECT_EQ(run_shell("date 010203042030"), 0);
    EXPECT_NE(read_file(sb.root() + "/sim/clock.log").find("date 010203042030"), std::string::npos);
}

TEST(HostSafety, startup_and_power_off_change_nothing_outside_the_sandbox)
{
    std::string before = host_state();
    {
        Sandbox sb;
        startup();
        EXPECT_EQ(mode, 34);
        EXPECT_GT(hostapd_process, 0);
        pid_t daemon = hostapd_process;
        power_off_sequence(EndKind::PowerOff);
        EXPECT_TRUE(file_exists(sb.path("/dev/sda3/hda1_ok")));
        EXPECT_TRUE(file_exists(sb.path("/dev/sda1/GPS")));
        kill(daemon, SIGTERM);
        waitpid(daemon, nullptr, 0);
    }
    EXPECT_EQ(host_state(), before);
}
