// The clean-shutdown marker decides whether the data partition is checked at start-up.
#include "platform/globals.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "support/sandbox.h"
#include "gui/key_handover.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

int count_of(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        n++;
    return n;
}

std::string data_check_line(const Sandbox& sb) { return "e2fsck -p -f " + sb.root() + "/dev/sda1"; }

} // namespace

TEST(ShutdownMarker, start_after_power_loss_forces_the_data_check)
{
    Sandbox sb(Sandbox::NeverShutDown);
    bool marker = check_system_partition();
    EXPECT_FALSE(marker);
    check_data_partition(marker);
    EXPECT_EQ(count_of(sb.standins_log(), data_check_line(sb)), 1);
    EXPECT_TRUE(file_exists(sb.path("/mnt/hda1/GPS"))) << "data folders are made on the mounted partition";
    EXPECT_TRUE(file_exists(sb.path("/dev/sda1/GPS")));
}

TEST(ShutdownMarker, start_after_orderly_end_skips_the_check_and_deletes_the_marker)
{
    Sandbox sb;
    ASSERT_EQ(system(("touch " + sb.path("/dev/sda3/hda1_ok")).c_str()), 0);
    bool marker = check_system_partition();
    EXPECT_TRUE(marker);
    EXPECT_FALSE(file_exists(sb.path("/mnt/hda3/hda1_ok"))) << "a leftover marker is deleted at start";
    check_data_partition(marker);
    EXPECT_EQ(count_of(sb.standins_log(), data_check_line(sb)), 0);
}

TEST(ShutdownMarker, two_starts_without_an_orderly_end_both_force_the_check)
{
    Sandbox sb;
    ASSERT_EQ(system(("touch " + sb.path("/dev/sda3/hda1_ok")).c_str()), 0);
    EXPECT_TRUE(check_system_partition());
    // Power lost: nothing unmounts, nothing writes the marker; the device restarts.
    ASSERT_EQ(system(("rm -f " + sb.path("/mnt/hda3") + " && mkdir " + sb.path("/mnt/hda3")).c_str()), 0);
    EXPECT_FALSE(check_system_partition());
}

TEST(ShutdownMarker, unmountable_system_partition_is_remade_and_counts_as_unclean)
{
    Sandbox sb;
    ASSERT_EQ(system(("touch " + sb.path("/dev/sda3/hda1_ok") + " " + sb.root() + "/sim/sda3.unmountable").c_str()), 0);
    EXPECT_FALSE(check_system_partition());
    EXPECT_NE(sb.standins_log().find("mke2fs " + sb.path("/dev/sda3")), std::string::npos);
    EXPECT_TRUE(file_exists(sb.path("/mnt/hda3/lost+found"))) << "mounted again after mke2fs";
    EXPECT_FALSE(file_exists(sb.path("/dev/sda3/hda1_ok")));
}

TEST(ShutdownMarker, unmountable_data_partition_is_remade)
{
    Sandbox sb;
    ASSERT_EQ(system(("touch " + sb.path("/dev/sda1/old.rd7") + " " + sb.root() + "/sim/sda1.unmountable").c_str()), 0);
    // The warning waits for a key before the partition is erased: an operator presses Enter.
    std::atomic<bool> done{false};
    std::thread operator_hand([&] {
        // Enter at every key wait; the short time-out only lets the loop see the end.
        while (!done)
            handover_press(SDLK_RETURN, 100);
    });
    check_data_partition(true);
    done = true;
    handover_cancel();
    operator_hand.join();
    EXPECT_NE(sb.standins_log().find("mke2fs " + sb.path("/dev/sda1")), std::string::npos);
    EXPECT_FALSE(file_exists(sb.path("/dev/sda1/old.rd7")));
    EXPECT_TRUE(file_exists(sb.path("/mnt/hda1/GPS")));
}

TEST(ShutdownMarker, orderly_end_writes_the_marker_after_unmounting_the_data_partition)
{
    Sandbox sb;
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    check_data_partition(check_system_partition());
    EXPECT_EQ(power_off_sequence(EndKind::PowerOff), 0);

    EXPECT_TRUE(file_exists(sb.path("/dev/sda3/hda1_ok")));
    EXPECT_FALSE(file_exists(sb.path("/mnt/hda3/hda1_ok"))) << "system partition unmounted at the end";
    std::string log = sb.commands_log();
    size_t um1 = log.find("umount '" + sb.path("/mnt/hda1") + "'");
    size_t touch = log.find("touch '" + sb.path("/mnt/hda3/hda1_ok") + "'");
    size_t um3 = log.find("umount '" + sb.path("/mnt/hda3") + "'");
    ASSERT_NE(um1, std::string::npos);
    ASSERT_NE(touch, std::string::npos);
    ASSERT_NE(um3, std::string::npos);
    EXPECT_LT(um1, touch);
    EXPECT_LT(touch, um3);
    EXPECT_EQ(lock_dw, nullptr) << "mutexes destroyed";

    // The next start finds the marker and skips the check.
    EXPECT_TRUE(check_system_partition());
}

TEST(ShutdownMarker, reboot_leaves_the_marker_and_asks_for_reboot_without_powering_off)
{
    Sandbox sb;
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    check_data_partition(check_system_partition());
    EXPECT_EQ(reboot_sequence(), 0);
    EXPECT_TRUE(file_exists(sb.path("/dev/sda3/hda1_ok")));
    EXPECT_NE(read_file(sb.root() + "/sim/reboot-requested").find("reboot -f"), std::string::npos);
}

// The power-off may come while a stop's message box waits (the restore's closing notice): the
// profile is still open for recording, and its header must say how many traces it holds.
TEST(ShutdownMarker, power_off_writes_the_header_of_a_profile_still_being_recorded)
{
    Sandbox sb;
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    check_data_partition(check_system_partition());
    eep.Init();
    eep.samples = 512;
    ASSERT_EQ(0, rdr.dCreateFiles());
    ASSERT_EQ(0, rdr.rd.hd.h_write());
    std::vector<int32_t> trace(512, 7);
    for (int i = 0; i < 5; i++)
        ASSERT_EQ(0, rdr.rd.append_trace(trace.data(), 512));
    EXPECT_EQ(0, power_off_sequence(EndKind::Reboot));
    const std::string rad = read_file(sb.path("/dev/sda1/DAT_0001.rad"));
    EXPECT_NE(std::string::npos, rad.find("\r\nLAST TRACE:5\r\n")) << rad;
}
