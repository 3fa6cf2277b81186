// Mounting the USB stick at "/mnt/usb".
//
// The monitor cannot know which block device a stick got, so it tries the candidates in a
// fixed order and takes the first that mounts. The data disk is sda; "-t vfat" makes its
// ext2 partition fail instead of being mounted a second time at the stick's place.
// Callers hold lock_dw around the mount, the work on the stick and the unmount.
#pragma once

enum class StickProbe {
    Upgrade,  // vfat sda1..sdi1, then the iso9660 CD drive scd0 (software upgrade)
    Files,    // vfat sda1..sdi1 (file manager upload, hardware-test copy)
    Settings, // vfat sda1..sdf1, then the iso9660 scd0 ("Upload current settings")
};

// Leaves any earlier mount of "/mnt/usb", then tries the probe's devices in order with
// "mount -t TYPE DEVICE /mnt/usb". True when one mount succeeded (the first wins).
bool mount_usb_stick(StickProbe probe);

// "umount /mnt/usb" (its status is not needed: nothing mounted is fine too).
void unmount_usb_stick();
