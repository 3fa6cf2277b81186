// The WiFi access point the monitor opens at start-up ("SORLAN_<unit number>").
#pragma once

#include <cstdint>
#include <cstdio>

// SDL ticks (ms) when the access point was last stopped, 0 never.
extern uint32_t hostapd_kill_time;

// Writes /etc/hostapd/hostapd.conf (under lock_dw) and starts the access-point daemon,
// keeping its id in hostapd_process. Returns -1 when the configuration cannot be created,
// else 0.
int create_hostapd();

// The configuration lines of create_hostapd, for the given network number and channel,
// written to an open file.
void write_hostapd_lines(FILE* f, unsigned unit_number, int channel);
