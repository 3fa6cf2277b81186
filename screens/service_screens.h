// The service screens: system parameters level 1 (40, 24), the service dates (42), level 2
// (22, 43), the WiFi settings (44), the hardware tests (27), the positioning tests (39) and
// the factory settings of the antenna, level 3 (25).
//
// Every screen shows the CU-on indicator and skips every CU exchange while the CU is off,
// blanking the values that come from the CU.
#pragma once

class CMS;

int mode_40_sys_pars_level_1_1(); // 0
int mode_24_sys_pars_level_1_2(); // 0
int mode_42_service_interval();   // 0 saved, -1 cancelled
int mode_22_sys_pars_level_2();   // 0 saved, -1 cancelled
int mode_43_sys_pars_level_2_scr_2(); // 0 or -1
int mode_44_WiFi_Pars();          // 33
int mode_27_Tests();              // 0
int mode_39_positioning_tests();  // 0
int mode_25_sys_pars_level_3();   // 0

// The rows of these screens in the screen table (called by build_all_rows).
void rows_service_screens(CMS& t);
