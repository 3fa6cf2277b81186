// The 250 ms periodic timer and the state it keeps for the screens: battery level and
// warnings, the wheel text of the position check screen, the drawing flags of the
// measurement and test screens, and the GPS fix texts (with cu/gps_display.h).
#pragma once

#include "cu/gps_display.h"
#include "platform/globals.h"

#include <SDL/SDL.h>
#include <cstdint>

class CSDLText_DT;

// ---- Tick counters ----
extern int tskip;          // 1..100, one step a tick
extern int tskip_sec;      // 1..100, one step every fourth tick
extern int old_tskip_sec;

// ---- Battery ----
// bat_state1 (the monitor battery) is in platform/globals.h: every screen draws it.
extern int bat_state2;     // second battery indicator value (not written by the timer)
extern bool monVolMes;     // the low-voltage warning has not been given in this run

// ---- Screen flags ----
extern bool m_Show;               // measurement screens: time to call doMea (lock_m_sh)
extern bool canNShow;             // screens 3 and 8, odd ticks (lock1)
extern bool can_Test_Data_Show;   // test screen, every second

// ---- Wheel text of the position check screen (lock_wheel) ----
constexpr int kWheelTextSize = 64;
extern char wheel_str_01[kWheelTextSize];
extern bool can_Wheel_Show;

// ---- GPS fix (lock3); gps_str_01, gps_qi, gps_synctime, can_GPS_Show are in cu/gps_display.h ----
constexpr int kNmeaTextSize = 256;
extern char gps_nmea_string[kNmeaTextSize]; // the last GGA sentence, "$GPGGA,..."
extern int gps_zero;      // ticks since the last good fix

// ---- Set by the screens, read by the timer ----
extern int FileMode;               // 1 while the file manager is shown (a file is viewed)
// The date/time field of the system screen while it is shown (null otherwise): the timer
// reads the hardware clock into it every second under lock_time and sets time_ready.
extern CSDLText_DT* clock_widget;

// ---- Positioning test (screen 39) ----
extern bool test_gps_written;      // a test position was recorded in this interval
extern int test_gps_second;        // tskip_sec of the last recorded test position

// ---- Power save ----
constexpr int kPowerSaveTicks = 120;  // 30 s without a key
constexpr int kPowerSaveDimmed = 121; // powersave1 once the backlight is dark

// ---- GPS staleness (gps_zero) ----
constexpr int kGpsClearTicks = 9;   // fix texts cleared, gps_qi 0
constexpr int kGpsNoDataTicks = 18; // no GPS text at all: indicator shows no GPS

// The timer callback: runs every duty of one tick and returns `interval`.
Uint32 Timer_Funct1(Uint32 interval, void* param);

// Lets ticks run: start-up calls it before it adds the timer (and after a quiesce).
void timer_arm();
// After SDL_RemoveTimer: a tick already running when the timer was removed may still be
// inside Timer_Funct1 (SDL calls it without its own lock). Makes every later tick return at
// once and waits (at most 3 s) until the running one has finished.
void timer_quiesce();

// One GPS poll's text as GetData left it (the GGA fields, "OLD DATA", "NO COORDINATES" or
// nothing) applied to the fix state and gps_zero. True when it gave a new fix.
bool gps_text_step(const char* text);

// bat_state1 for a battery byte and the configured maximum voltage (whole volts).
int battery_level(int value, int max_volts);
