// Application-wide utilities: hostapd configuration, free space, backlight ramps, power save.
#include "platform/globals.h"
#include "app/utilities.h"
#include "support/sandbox.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
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
    for (int i = 0; i < 100 && !file_exists(sb.root() + "/sim/hostapd.pid"); i++)
        SDL_Delay(20);
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

TEST(FreeSpace, empty_folder_is_zero_missing_is_minus_one_otherwise_kib)
{
    Sandbox sb;
    std::string dir = sb.path("/mnt/usb");
    EXPECT_EQ(CF_free_space(dir.c_str()), 0);
    EXPECT_EQ(CF_free_space(sb.path("/no/such/folder").c_str()), -1);
    std::ofstream(dir + "/a.txt") << "x";
    EXPECT_GT(CF_free_space(dir.c_str()), 0);
}

TEST(FileExistsTest, finds_a_name_containing_the_pattern_on_the_data_partition)
{
    Sandbox sb;
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    ASSERT_EQ(system(("rmdir " + sb.path("/mnt/hda1")).c_str()), 0);
    EXPECT_EQ(FileExists("PRF"), -1) << "no data folder";
    ASSERT_EQ(system(("ln -s " + sb.path("/dev/sda1") + " " + sb.path("/mnt/hda1")).c_str()), 0);
    EXPECT_EQ(FileExists("PRF"), 0);
    std::ofstream(sb.path("/dev/sda1/PRF_0001.rd7")) << "";
    EXPECT_EQ(FileExists("PRF"), 1);
    DestroyAllMutexes();
}

TEST(Backlight, ramp_stops_at_the_last_step_not_past_the_target)
{
    backlight_now = -7;
    blight_sw(0, 95);
    EXPECT_EQ(backlight_now, 90);
    blight_sw(90, 35);
    EXPECT_EQ(backlight_now, 40);
    backlight_now = -7;
    blight_sw(100, 100);
    EXPECT_EQ(backlight_now, -7) << "equal levels send nothing";
}

TEST(PowerSave, first_key_after_dimming_only_lights_the_screen)
{
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    powersave1 = 121;
    backlight_now = 0;
    EXPECT_FALSE(keypressed(SDL_KEYDOWN));
    EXPECT_EQ(backlight_now, configured_backlight());
    EXPECT_EQ(powersave1, 0);
    EXPECT_TRUE(keypressed(SDL_KEYDOWN));
    EXPECT_FALSE(keypressed(SDL_KEYUP));
    powersave1 = 57;
    EXPECT_FALSE(check_ps());
    EXPECT_EQ(powersave1, 0) << "the counter restarts on every key";
    DestroyAllMutexes();
}
