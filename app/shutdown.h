// The orderly ends of the program: power-off, reboot and the service exit.
#pragma once

enum class EndKind {
    PowerOff, // quit box, battery empty, SIGTERM/SIGINT: the power controller cuts power
    Reboot,   // system screen asked for a reboot: no CU switch-off, no Shutdown(3)
};

// Set when the settings partition was reset on purpose (restore of the settings, software
// upgrade) before a reboot: the power-off then leaves the settings file as it is, so that
// the next start reads the predefined copy instead of this run's settings.
extern bool keep_settings_file;

// Runs the power-off sequence in its fixed order (see shutdown.cpp). Returns 0.
int power_off_sequence(EndKind kind);

// Reboot requested by a system screen (-333): "Rebooting", the power-off sequence without
// switching the CU or the power controller off, then "reboot -f". Returns 0.
int reboot_sequence();

// Service exit: the device stays on and the CU is not switched off. Exits with status 0.
[[noreturn]] void service_exit();

// Battery exhausted (called by the periodic timer, on its thread): "This device is
// switching off", the measurement stopped without waiting for results, the profile's files
// written and closed, the partitions left clean, then backlight 0, Shutdown(3) and exit
// with status 0. The threads are not joined: the power controller cuts the power.
[[noreturn]] void battery_switch_off();

// Called when SIGTERM or SIGINT arrived: stops a running measurement, runs the power-off
// sequence and ends the process with status 0.
[[noreturn]] void terminate_by_signal();
