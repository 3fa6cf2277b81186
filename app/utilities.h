// Small application-wide utilities used by start-up and by many screens.
#pragma once

#include <cstdio>
#include <sys/types.h>

// Starts a child: it prints "child is here" and runs execvp(path, argv), exiting with 0 if
// that fails. Returns the child's process id (-1 when fork failed).
pid_t spawn(char* path, char** argv);

// Under lock_dw, scans /mnt/hda1/ for an entry whose name contains pattern:
// 1 found, 0 not found, -1 directory not readable.
int FileExists(const char* pattern);

// Free space of the file system holding path, in KiB: (free blocks / 1024) x block size,
// from statfs of path joined with the first directory entry's name.
// -1 directory cannot be opened, 0 directory empty, -2 statfs failed.
int CF_free_space(const char* path);

// Ramps the backlight from `from` towards `to` in steps of 10, one step every 5 ms,
// never past `to`; nothing when equal.
void blight_sw(int from, int to);

// Under lock_ps: when powersave1 is 121 (display dimmed) restores the configured backlight
// and returns true; powersave1 is reset to 0 in every case.
bool check_ps();

// True only for a key-down event (SDL event type 2) that did not merely wake the display.
bool keypressed(unsigned event_type);

// Largest time interval offered by the trace-interval slider, in seconds.
float min_t_int();

// Writes /etc/hostapd/hostapd.conf (under lock_dw) and starts the access-point daemon.
// Returns -1 when the configuration cannot be created, else 0.
int create_hostapd();

// The configuration lines of create_hostapd, for the given network number and channel,
// written to an open file.
void write_hostapd_lines(FILE* f, unsigned unit_number, int channel);

// Backlight level now (0..100), as last sent to the power controller.
extern int backlight_now;
// Sends one backlight level to the power controller.
void set_backlight(int level);
// The configured backlight level (20..100).
int configured_backlight();
