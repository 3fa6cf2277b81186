// The one place where the program runs shell command lines.
//
// Command lines are built with snprintf as on the device; every file name placed in one
// goes through sh_quote (or sh_path, which also maps it into the sandbox) so that no name
// can inject a command. In simulation the device-only tools (mount, umount, e2fsck,
// mke2fs, hwclock, date when it sets the clock, reboot, ifconfig, hostapd,
// my-grub-install, kill) and mv, whose stand-in can be told to fail a rename, resolve to the stand-ins in sim/standins, which act on the
// sandbox only; cp, rm, mkdir, touch, sync and zcat run for real.
#pragma once

#include <string>
#include <sys/types.h>

// One argument quoted for /bin/sh: abc -> 'abc', it's -> 'it'\''s'.
std::string sh_quote(const std::string& s);

// A device path mapped into the sandbox (see host_paths.h) and quoted.
std::string sh_path(const char* device_path);

// Runs a command line with /bin/sh; returns its exit status (0..255), or -1 when the
// shell could not be run or the command was ended by a signal.
int run_shell(const char* cmdline);

// Runs `fmt` with one or two device paths put in through sh_path ("mount %s %s"). Returns
// the command's exit status, or -1 when the line does not fit (nothing is run then).
int run_paths(const char* fmt, const char* a, const char* b = nullptr);

// Starts a program (the access-point daemon) as a child; in simulation a stand-in of the
// same name is preferred. Returns the child's process id, or -1.
pid_t spawn_program(const char* path, char* const argv[]);
