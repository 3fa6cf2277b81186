// The parameter screens: the overview (5) with the acquisition mode (11), the signal
// parameters of the CU (13), the display parameters (14) with the filter screen (15), the
// wheel list (16) with the wheel editor and calibration (17), the GPS parameters (18), and
// the parameter screen of a stored profile or a processed grid (4).
//
// Each edits the antenna parameter block `eep`, the XML parameter object and the parameter
// store, sends every CU setting at once under lock_dw (so the live trace shows it), and ends
// with save (written to the CU, the XML file and the parameter store) or cancel (every value
// as on entry, re-sent to the CU).
#pragma once

class CMS;

// 0 saved or cancelled; 34 at once when the CU is off; a check_CU_ON code when it asks to
// leave; -333 when a service screen asked for a reboot.
int mode_05_parameters();
int mode_11_acq_parameters();     // 5
int mode_13_signal_parameters();  // 1
int mode_14_display_parameters(); // 5
int mode_15_filters();            // 1
int mode_16_wheel_list();         // 11
int mode_17_wheel_edit_screen();  // 16
int mode_18_GPS_parameters(int caller); // 0
// kind 1 from the file viewer, 2 from the grid result view, 3 the grid view's velocity
// selection. Display-side settings only; returns 0 (saved) or -1 (cancelled).
int mode_04_parameters(int kind);

// The rows of these screens in the screen table (called by build_all_rows).
void rows_parameter_screens(CMS& t);

// Delay adjustment last sent to the CU (the CU does not report it back).
extern int delay_adjust;
