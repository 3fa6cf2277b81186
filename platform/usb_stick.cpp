#include "platform/usb_stick.h"

#include "platform/shell.h"

#include <cstdio>
#include <string>

namespace {

constexpr const char* kStickMount = "/mnt/usb";

bool try_mount(const char* type, const char* device)
{
    std::string cmd = std::string("mount -t ") + type + " " + sh_path(device) + " " + sh_path(kStickMount);
    return run_shell(cmd.c_str()) == 0;
}

} // namespace

bool mount_usb_stick(StickProbe probe)
{
    unmount_usb_stick();
    const char last_disk = probe == StickProbe::Settings ? 'f' : 'i';
    for (char x = 'a'; x <= last_disk; x++) {
        char dev[16];
        snprintf(dev, sizeof dev, "/dev/sd%c1", x);
        if (try_mount("vfat", dev))
            return true;
    }
    if (probe != StickProbe::Files && try_mount("iso9660", "/dev/scd0"))
        return true;
    return false;
}

void unmount_usb_stick()
{
    std::string cmd = "umount " + sh_path(kStickMount);
    run_shell(cmd.c_str());
}
