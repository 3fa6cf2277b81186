// Finding and mounting the USB stick among the candidate devices.
#include "platform/usb_stick.h"
#include "support/sandbox.h"

#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct StickCase {
    const char* what;
    StickProbe probe;
    std::vector<const char*> devices; // stick folders present besides the flash disk
    const char* sim_file;             // ROOT/sim/<this> made (fstype "ntfs" or a marker), or null
    const char* mounted;              // device folder expected at /mnt/usb, or null
};

const StickCase kCases[] = {
    {"no stick", StickProbe::Files, {}, nullptr, nullptr},
    {"first stick place", StickProbe::Files, {"sdb1"}, nullptr, "sdb1"},
    {"last place of the list", StickProbe::Files, {"sdi1"}, nullptr, "sdi1"},
    {"first of two wins", StickProbe::Upgrade, {"sdd1", "sdc1"}, nullptr, "sdc1"},
    {"CD only for the upgrade", StickProbe::Upgrade, {"scd0"}, nullptr, "scd0"},
    {"no CD in the file manager", StickProbe::Files, {"scd0"}, nullptr, nullptr},
    {"settings list ends at sdf1", StickProbe::Settings, {"sdg1"}, nullptr, nullptr},
    {"settings: sdf1", StickProbe::Settings, {"sdf1"}, nullptr, "sdf1"},
    {"settings: CD after the disks", StickProbe::Settings, {"scd0", "sdg1"}, nullptr, "scd0"},
    {"unreadable stick", StickProbe::Files, {"sdb1"}, "sdb1.unmountable", nullptr},
    {"stick of another type", StickProbe::Files, {"sdb1"}, "sdb1.fstype", nullptr},
    {"skips the bad one", StickProbe::Files, {"sdb1", "sde1"}, "sdb1.unmountable", "sde1"},
};

std::string resolved(const std::string& p)
{
    char buf[PATH_MAX];
    return realpath(p.c_str(), buf) ? buf : "";
}

TEST(UsbStick, ProbesTheDevicesInOrder)
{
    for (const StickCase& c : kCases) {
        SCOPED_TRACE(c.what);
        Sandbox sb;
        for (const char* d : c.devices)
            ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/dev/") + d + "'").c_str()));
        if (c.sim_file) {
            ASSERT_EQ(0, system(("echo ntfs > '" + sb.path("/sim/") + c.sim_file + "'").c_str()));
        }
        EXPECT_EQ(c.mounted != nullptr, mount_usb_stick(c.probe));
        if (c.mounted) {
            EXPECT_EQ(resolved(sb.path("/dev/") + c.mounted), resolved(sb.path("/mnt/usb")));
        }
        // The flash disk's ext2 partition is never taken for the stick.
        EXPECT_NE(resolved(sb.path("/dev/sda1")), resolved(sb.path("/mnt/usb")));
        unmount_usb_stick();
        EXPECT_EQ(sb.path("/mnt/usb"), resolved(sb.path("/mnt/usb"))); // a plain folder again
    }
}

TEST(UsbStick, LeavesAStaleMountAndWritesReachTheStick)
{
    Sandbox sb;
    ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/dev/sdb1") + "' '" + sb.path("/dev/sdc1") + "'").c_str()));
    ASSERT_TRUE(mount_usb_stick(StickProbe::Files));
    // A program killed while the stick was mounted left it there; sdb1 is pulled out.
    ASSERT_EQ(0, system(("rmdir '" + sb.path("/dev/sdb1") + "'").c_str()));
    ASSERT_TRUE(mount_usb_stick(StickProbe::Files));
    ASSERT_EQ(0, system(("touch '" + sb.path("/mnt/usb/x") + "'").c_str()));
    unmount_usb_stick();
    EXPECT_TRUE(file_exists(sb.path("/dev/sdc1/x")));
    EXPECT_FALSE(file_exists(sb.path("/mnt/usb/x")));
    EXPECT_NE(std::string::npos, sb.commands_log().find("mount -t vfat '" + sb.path("/dev/sda1") + "' '" + sb.path("/mnt/usb") + "'"));
}

} // namespace
