// The system screens reached from the quit box: screen 10 (clock, battery, power save, units,
// language and the maintenance actions) and screen 33 (default zoom depth, GPS, WiFi and GPS
// parameters).
#pragma once

class CMS;

// 0 back to the caller, -333 the device must reboot.
int mode_10_sys_pars_level_0();
// 10 back to screen 10, -333 passed up from the WiFi screen.
int mode_33_sys_pars_level_0();

// The rows of both screens in the screen table (called by build_all_rows).
void rows_system_screens(CMS& t);
