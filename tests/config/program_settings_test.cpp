// The whole program in a sandbox: start-up loads both settings files and power-off writes the
// settings file back.
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

TEST(ProgramSettings, start_up_loads_both_stores_and_power_off_writes_the_settings_file)
{
    std::string exe = std::string(GPRMON_BINARY_DIR) + "/gprmon";
    if (access(exe.c_str(), X_OK) != 0)
        GTEST_SKIP() << "gprmon is not built";
    Sandbox sb;
    {
        // Device settings: unit 42 on channel 6.
        CParameters p;
        p.unit_number = 42;
        p.wifi_channel = 6;
        uint8_t img[CParameters::kImageSize];
        p.to_image(img);
        std::ofstream(sb.path("/dev/sda2/root/pars"), std::ios::binary)
            .write(reinterpret_cast<char*>(img), sizeof img);
        std::ofstream(sb.path("/dev/sda3/r5_parameters.xml"))
            << "<body><soil_velocity value=\"321\"/></body>";
    }
    std::string out = sb.root() + "/sim/gprmon.out";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir((sb.root() + "/work").c_str()) != 0 || !freopen(out.c_str(), "w", stdout))
            _exit(126);
        execl(exe.c_str(), "gprmon", (char*)nullptr);
        _exit(127);
    }
    const bool in_loop = eventually([&] { return read_file(out).find("main loop") != std::string::npos; }, 90);
    EXPECT_TRUE(in_loop) << read_file(out);
    kill(pid, SIGTERM);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);

    std::string log = read_file(out);
    EXPECT_NE(log.find("xml1 No error"), std::string::npos) << log;
    EXPECT_NE(log.find("pars is red"), std::string::npos) << log;
    std::string conf = read_file(sb.path("/etc/hostapd/hostapd.conf"));
    EXPECT_NE(conf.find("ssid=SORLAN_42\n"), std::string::npos) << conf;
    EXPECT_NE(conf.find("channel=6\n"), std::string::npos) << conf;
    std::string saved = read_file(sb.path("/dev/sda3/r5_parameters.xml"));
    EXPECT_NE(saved.find("<soil_velocity value=\"321\" comment=\"local units\"/>"),
              std::string::npos) << saved;
    // A file without a wheel list leaves one wheel, and the current wheel within it.
    EXPECT_NE(saved.find("<WHEELS current=\"0\">"), std::string::npos);
}

// A settings file that is there but cannot be read: the operator is told once, at start-up,
// that the defaults are in use; the power-off then saves them.
TEST(ProgramSettings, an_unreadable_settings_file_is_announced_at_start_up)
{
    std::string exe = std::string(GPRMON_BINARY_DIR) + "/gprmon";
    if (access(exe.c_str(), X_OK) != 0)
        GTEST_SKIP() << "gprmon is not built";
    Sandbox sb;
    std::ofstream(sb.path("/dev/sda3/r5_parameters.xml")) << "<body><soil_velocity value=\"321\"></body";
    const std::string keys = sb.root() + "/sim/keys", out = sb.root() + "/sim/gprmon.out";
    std::ofstream(keys) << "wait 1000\nquit\n";
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (chdir((sb.root() + "/work").c_str()) != 0 || !freopen(out.c_str(), "w", stdout))
            _exit(126);
        setenv("GPRMON_KEYS", keys.c_str(), 1);
        execl(exe.c_str(), "gprmon", (char*)nullptr);
        _exit(127);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string log = read_file(out);
    const std::string box = "message box \"Settings file could not be read\" / \"Default settings are used\"";
    ASSERT_NE(log.find(box), std::string::npos) << log;
    EXPECT_EQ(log.find(box), log.rfind(box)) << "one message";
    EXPECT_LT(log.find(box), log.find("main loop"));
    EXPECT_NE(read_file(sb.path("/dev/sda3/r5_parameters.xml")).find("<soil_velocity value=\"100\""),
              std::string::npos);
}
