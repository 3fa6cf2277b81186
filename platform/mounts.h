// Whether a partition is mounted at its mount point already.
//
// A restarted program (the device was not rebooted) finds its partitions still mounted: the
// mount command then fails although the partition is perfectly usable, and must not be taken
// for a partition that cannot be mounted (which start-up would erase).
#pragma once

// True when `device_path` (a block device, "/dev/sda1") is the file system mounted at
// `mount_point` ("/mnt/hda1"). On the device: the mount point lies on the device's file
// system. In simulation the mounted partition's folder is linked at the mount point (see
// sim/standins/mount).
bool partition_mounted(const char* device_path, const char* mount_point);
