// Where the device's absolute paths live on this host.
//
// On the device every path is used exactly as written ("/mnt/hda1/", "/dev/sda3", ...).
// On a developer machine GPRMON_ROOT names a sandbox folder and every absolute path is
// placed under it, so the program never touches the host outside that folder.
// Relative paths (the working folder with its "images/") are left as they are: the
// launcher starts the program inside the sandbox's working folder.
#pragma once

#include <cstddef>
#include <string>

// True when GPRMON_ROOT names a sandbox (simulation on a host).
bool sim_active();

// The sandbox root without a trailing '/', or "" on the device.
const char* sim_root();

// Re-reads GPRMON_ROOT (tests switch sandboxes inside one process).
void sim_reload_root();

// The host path of a device path.
std::string host_path(const char* device_path);

// Same into a fixed buffer; returns 0, or -1 (and an empty buffer) when it does not fit.
int host_path_buf(const char* device_path, char* out, size_t out_size);

// The path a whole file-system image is written to when it is copied onto a partition's
// block device ("zcat IMAGE >/dev/sda3"). On the device the device itself; in simulation,
// where a partition is a folder, the file ROOT/sim/NAME.image, which the mount stand-in
// takes as the partition's new contents at its next mount (see sim/standins/_lib.sh).
std::string host_raw_device(const char* device_path);

// The folder holding the simulation's stand-ins for device-only tools.
std::string sim_standin_dir();
