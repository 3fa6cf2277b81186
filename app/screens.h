// Screens and screen helpers of the application core that run on the screen table:
// the quit box, the CU check, the language switch, the position check screen, the status
// texts and the trace-interval slider, and the links to screens of other subsystems.
#pragma once

class CButton;

// Quit box (screen 41): 2 = quit and power off, another button = back, or a service code
// 10, 24, 22, 25. The exit sequence leaves the program (service exit).
int mesmode_Quit();

// 0 when the CU is on; otherwise waits: -1 the CU came up, 34 Enter (back to the menu),
// or a service code 10, 24, 22, 25.
int check_CU_ON();

// Applies the parameter store's language index; non-zero: rebuilds the language table and
// every screen object, zero: only waits 200 ms.
void setLanguage(int rebuild);

// The Chinese font lies on the factory partition: closed while that partition is written.
// close_language_font returns whether it was open (the language is Chinese);
// reopen_language_font opens it again.
bool close_language_font();
void reopen_language_font();

// Position check screen (screen 35).
void position_check_screen();

// Soil velocity, antenna name and current file name into the status texts of the current
// screen (slots status::kSoil, kAntenna, kFile of gui/rows.h).
void eep_textinfo();

// Turns the trace-interval slider into a time (time_mode != 0) or a distance slider.
void set_point_dist(CButton* slider, short time_mode);
// Largest time interval offered by the trace-interval slider, in seconds.
float min_t_int();

// Screens of other subsystems, reached from the menus through one function each. A screen
// this program does not contain shows "This screen is not available yet" and returns 34.
int screen_pre_meas();            // 2D project (mode_02_pre_meas)
int screen_grid_new_proj();       // 3D grid project (mode_23_grid_new_proj)
int screen_plavik();              // Plavik project (mode_21_PV_screen_1)
int screen_files();               // file manager (mode_06_files)
// Section view of the grid project xOpen just opened (kind 0: from the file manager).
int screen_grid_view(int kind);
int screen_parameters();          // acquisition parameters (mode_05_parameters); -333 = reboot
int screen_sys_pars_level_0();    // system menu (mode_10_sys_pars_level_0); -333 = reboot
int screen_tests();               // hardware tests (mode_27_Tests)
int screen_wifi_pars();           // WiFi settings (mode_44_WiFi_Pars); -333 = reboot
int screen_sys_pars_level_1_1();  // service level 1 (mode_40_sys_pars_level_1_1)
int screen_sys_pars_level_2();    // service level 2 (mode_22_sys_pars_level_2)
int screen_sys_pars_level_3();    // service level 3 (mode_25_sys_pars_level_3)
// Opens the screen of a service code: 10, 24, 22, 25 from a dialog, 40, 22, 25 from the main
// menu. Returns its result.
int open_service_screen(int code);
