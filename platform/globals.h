// Process-wide state shared by every subsystem: the screen number, the focus table, the CU
// state flags, the last GPS fix texts, the thread and timer handles, and the sixteen named
// mutexes shared by the GUI, acquisition, receiving and timer threads.
#pragma once

#include <SDL/SDL.h>
#include <atomic>
#include <cstdint>
#include <sys/types.h>

class CScrBuf;

constexpr int kScreenCount = 45; // screen numbers 0..44

extern std::atomic<int> mode;         // screen now shown; 1 at start, then 34 (read by Collect and the timer)
extern uint16_t curbutton[kScreenCount]; // focused button on (re-)entering each screen
extern int curbut;                    // button that has the focus now
extern CScrBuf* tbuf;                 // radargram of the current screen, null without one
extern int ProjN;                     // 0 single profile, 1 grid project, 2 Plavik project

extern bool pisOn;                    // CU connected, accepted and initialised (under lock_cuOn)
// Set by CallDevice (Collect or the GUI) and read by the screens' CU check: atomic.
extern std::atomic<bool> unitison;     // the CU answers on the link
extern std::atomic<bool> unlocked;     // the connected CU was accepted
extern std::atomic<bool> antenna;      // an antenna was detected
extern std::atomic<bool> eeprom_ready; // the antenna parameter block was read

constexpr int kFixTextSize = 32;
extern char f_time[kFixTextSize], f_lat[kFixTextSize], f_lon[kFixTextSize],
    f_alt[kFixTextSize], f_hdop[kFixTextSize];
extern char f_lat_ch, f_lon_ch, f_alt_ch;

extern std::atomic<bool> MeaThread;    // run flag of Collect; cleared at shutdown
extern SDL_Thread* mThread;           // the Collect thread
extern SDL_TimerID t1;                // the 250 ms timer
extern bool time_ready;               // the clock was set from GPS
extern pid_t hostapd_process;         // the access-point daemon
extern int powersave1;                // power-save tick counter; 121 = backlight dimmed (lock_ps)
extern std::atomic<int> bat_state1;   // monitor battery, per mille of its usable range (1000 = full);
                                      // written by the timer, drawn by every screen

// Grid defaults for a new project, in the units the grid screen shows.
extern float grid_def_x_size, grid_def_y_size, grid_def_point_int, grid_def_line_spacing;

// The sixteen mutexes shared by the GUI, acquisition, receiving and timer threads.
extern SDL_mutex *lock1, *lock1_2, *lock3, *lock_wheel, *lock4, *lock_t2, *lock_eol, *lock_ps,
    *lock_b, *lock_dw, *lock_time, *lock_m_sh, *lock_cuOn, *lock_gps, *lock_mea_buf, *lock_mb_buf;

// Sets the globals to their start values (step 1 of start-up, without the mutexes).
void init_globals();

// Creates the sixteen mutexes (those not yet created); returns false if any failed.
bool create_all_mutexes();
void DestroyAllMutexes();

// Scoped holder for one of the mutexes above (a null mutex is ignored, so code that runs
// before start-up or in a test without the mutexes still works).
class MutexLock {
public:
    explicit MutexLock(SDL_mutex* m) : m_(m) { if (m_) SDL_mutexP(m_); }
    ~MutexLock() { if (m_) SDL_mutexV(m_); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;
private:
    SDL_mutex* m_;
};
