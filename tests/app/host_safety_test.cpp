// The program and its simulation never act outside the sandbox.
#include "platform/globals.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "platform/host_paths.h"
#include "platform/shell.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
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

// Ends every child of this process (found through /proc).
void kill_children()
{
    DIR* d = opendir("/proc");
    if (!d)
        return;
    while (dirent* e = readdir(d)) {
        const pid_t pid = atoi(e->d_name);
        if (pid <= 0)
            continue;
        FILE* f = fopen(("/proc/" + std::string(e->d_name) + "/stat").c_str(), "r");
        if (!f)
            continue;
        int ppid = 0;
        // pid (comm) state ppid: comm may hold spaces, so read past its closing parenthesis.
        char buf[512];
        const size_t n = fread(buf, 1, sizeof buf - 1, f);
        fclose(f);
        buf[n] = 0;
        const char* close = strrchr(buf, ')');
        if (close && sscanf(close + 1, " %*c %d", &ppid) == 1 && ppid == getpid())
            kill(pid, SIGKILL);
    }
    closedir(d);
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

// The program runs its tools while its other threads (receiving, acquisition, timers) keep
// allocating. A forked child that allocates or sets its environment before the exec can
// find the allocator's or the environment's lock taken by one of them and never reach the
// exec: the tool's caller, the GUI thread, then waits for ever. A watchdog ends the test
// program when that happens (nothing else would end it).
TEST(HostSafety, tools_started_while_other_threads_allocate_never_hang_the_caller)
{
    Sandbox sb;
    std::atomic<bool> stop{false};
    std::vector<std::thread> churn;
    for (int i = 0; i < 2; i++)
        churn.emplace_back([&] {
            while (!stop) {
                std::vector<std::string> v;
                for (int j = 0; j < 100; j++)
                    v.emplace_back(size_t(20 + 4 * j), 'x');
            }
        });
#ifndef __SANITIZE_THREAD__ // there the test's own setenv beside the tool's getenv is reported
    churn.emplace_back([&] {
        for (unsigned n = 0; !stop; n++)
            setenv("GPRMON_TEST_CHURN", n % 2 ? "1" : "22", 1);
    });
#endif
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> l(m);
        if (!cv.wait_for(l, std::chrono::seconds(120), [&] { return done; })) {
            fprintf(stderr, "a tool's child never reached its exec: its caller waits for ever\n");
            kill_children(); // the hung child would keep the test's output open
            abort();
        }
    });
    char arg0[] = "true";
    char* const argv[] = {arg0, nullptr};
    int failed = 0;
    for (int i = 0; i < 200; i++) {
        failed += run_shell("true") != 0;
        if (i % 20 == 0) {
            const pid_t p = spawn_program("/bin/true", argv);
            failed += p < 0 || waitpid(p, nullptr, 0) != p;
        }
    }
    {
        std::lock_guard<std::mutex> g(m);
        done = true;
    }
    cv.notify_all();
    watchdog.join();
    stop = true;
    for (std::thread& t : churn)
        t.join();
    EXPECT_EQ(0, failed) << "a tool did not run";
}
