// The WiFi access point: its configuration file and the daemon it starts.
#include "app/access_point.h"
#include "platform/globals.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

TEST(Hostapd, configuration_file_has_the_exact_lines_and_the_daemon_starts)
{
    Sandbox sb;
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    ASSERT_EQ(create_hostapd(), 0);
    EXPECT_EQ(read_file(sb.path("/etc/hostapd/hostapd.conf")),
              "interface=wlan0\n"
              "driver=nl80211\n"
              "ssid=SORLAN_1\n"
              "channel=1\n"
              "auth_algs=1\n"
              "wpa=2\n"
              "wpa_passphrase=kqt57021\n"
              "wpa_key_mgmt=WPA-PSK\n"
              "wpa_pairwise=TKIP\n"
              "hw_mode=g\n"
              "country_code=SE\n"
              "ieee80211d=1\n"
              "eap_reauth_period=360000000\n"
              "ignore_broadcast_ssid=0\n");
    ASSERT_GT(hostapd_process, 0);
    // The stand-in daemon records its id once it checked its configuration.
    eventually([&] { return file_exists(sb.root() + "/sim/hostapd.pid"); });
    EXPECT_EQ(read_file(sb.root() + "/sim/hostapd.pid"), std::to_string(hostapd_process) + "\n");
    EXPECT_NE(read_file(sb.root() + "/sim/network.log").find("ifconfig wlan0 192.168.1.1"), std::string::npos);
    kill(hostapd_process, SIGTERM);
    waitpid(hostapd_process, nullptr, 0);
    DestroyAllMutexes();
}

TEST(Hostapd, unwritable_configuration_returns_minus_one_and_starts_nothing)
{
    Sandbox sb;
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    ASSERT_EQ(system(("rm -rf " + sb.path("/etc/hostapd")).c_str()), 0);
    EXPECT_EQ(create_hostapd(), -1);
    EXPECT_EQ(hostapd_process, 0);
    DestroyAllMutexes();
}

