// The profile measurement screens: before measuring (2) and its full-screen view (12),
// measuring (3) and its full-screen view (8), and the small display steps that the
// measurement, menu and parameter screens share (ruler follower, single trace, wheel and GPS
// texts, GPS quality lamp).
#pragma once

// ---- Screens ----
// Screen 2. -1 back, 34 the CU was lost, -333 a reboot was asked for, or a check_CU_ON code.
int mode_02_pre_meas();
// Screen 3. 2 back to screen 2, 37 (Plavik) to its screen, 34 to the main menu.
int mode_03_measurement();
// Screen 12: 2. Screen 8: 3, or 2 / 37 after an acquisition error.
int mode_12_pre_meas_FS();
int mode_08_measurement_FS();

// ---- State of the screens ----
extern bool new_meas;        // the next entry to screen 2 starts a fresh profile view
extern bool migration_is_on; // the migrated columns are shown
extern int prev_hrlcur;      // ruler position and depth cursor last drawn by trig_pos_show
extern int prev_csmea;

// ---- Display steps ----
// Ruler to the newest trigger position (when canPShow); scrolls the radargram after it.
void trig_pos_show();
// Single-trace view of the parameter screens: 0, 1 (a trace error was shown), 2.
int show_Trace(int type);
// Wheel text into the text object of `slot` of the current screen.
void wheel_pos_show(int slot);
// GPS quality lamp from gps_qi: 1 when new GPS data were shown, else 0.
int q_indicator_show();
// GPS position text into `slot`: 1 when a new text was shown.
int gps_pos_show(int slot);
int satellites_show(int slot);
int add_pos_show(); // gps_pos_show(27)

// ---- Helpers of the screens, shared for their tests ----
// Trace the horizontal ruler stands at: the trace count under the time and keyboard triggers,
// else the wheel position in trigger steps. doMea's ruler and the 4 Hz follower both use it.
int current_trigger_trace();
// Takes and clears m_Show (lock_m_sh).
bool take_m_show();
// The current antenna's "Delete Mean Trace" display flag.
bool del_mean_on();
void set_del_mean(bool on);
// Compares the open profile's header with the live acquisition settings: 0 same; 20 the
// header could not be read; 1 samples, 4 trigger type, 7 time interval, 8 point interval
// differ.
int changed_parsmeters();
// New soil velocity from a reflector of known depth: A antenna separation and D depth in
// one length unit, T the two-way time from time zero in microseconds; limited to
// 1 .. 300 / unit (unit = the length unit in metres). 0 when T is not positive.
int calibrated_velocity(double A, double D, double T, double unit);
