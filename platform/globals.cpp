#include "platform/globals.h"

#include <cstring>

std::atomic<int> mode{1};
uint16_t curbutton[kScreenCount];
int curbut = 0;
CScrBuf* tbuf = nullptr;
int ProjN = 0;

bool pisOn = false;
std::atomic<bool> unitison{false};
std::atomic<bool> unlocked{false};
std::atomic<bool> antenna{false};
std::atomic<bool> eeprom_ready{false};

char f_time[kFixTextSize], f_lat[kFixTextSize], f_lon[kFixTextSize], f_alt[kFixTextSize],
    f_hdop[kFixTextSize];
char f_lat_ch = ' ', f_lon_ch = ' ', f_alt_ch = ' ';

std::atomic<bool> MeaThread{true};
SDL_Thread* mThread = nullptr;
SDL_TimerID t1 = nullptr;
bool time_ready = false;
pid_t hostapd_process = 0;
int powersave1 = 0;

float grid_def_x_size = 10.0f, grid_def_y_size = 10.0f, grid_def_point_int = 0.05f,
      grid_def_line_spacing = 1.0f;

SDL_mutex *lock1, *lock1_2, *lock3, *lock_wheel, *lock4, *lock_t2, *lock_eol, *lock_ps, *lock_b,
    *lock_dw, *lock_time, *lock_m_sh, *lock_cuOn, *lock_gps, *lock_mea_buf, *lock_mb_buf;

namespace {

// Creation order; destruction uses the same list.
SDL_mutex** const kMutexes[] = {
    &lock1, &lock1_2, &lock3, &lock_wheel, &lock4, &lock_t2, &lock_eol, &lock_ps,
    &lock_b, &lock_dw, &lock_time, &lock_m_sh, &lock_cuOn, &lock_gps, &lock_mea_buf, &lock_mb_buf,
};
static_assert(sizeof kMutexes / sizeof kMutexes[0] == 16, "sixteen process-wide mutexes");

struct ButtonDefault {
    int screen;
    uint16_t button;
};

const ButtonDefault kButtonDefaults[] = {
    {1, 7},   {2, 3},   {3, 3},   {4, 12},  {5, 14},  {6, 2},   {10, 18}, {11, 10}, {14, 11},
    {16, 10}, {21, 2},  {22, 18}, {23, 13}, {24, 2},  {25, 17}, {27, 18}, {30, 8},  {33, 17},
    {34, 2},  {35, 3},  {36, 10}, {37, 4},  {39, 3},  {40, 12}, {43, 2},  {44, 12},
};

} // namespace

void init_globals()
{
    mode = 1;
    memset(curbutton, 0, sizeof curbutton);
    for (const ButtonDefault& d : kButtonDefaults)
        curbutton[d.screen] = d.button;
    curbut = 0;
    tbuf = nullptr;
    ProjN = 0;
    pisOn = unitison = unlocked = antenna = eeprom_ready = false;
    f_time[0] = f_lat[0] = f_lon[0] = f_alt[0] = f_hdop[0] = 0;
    f_lat_ch = f_lon_ch = f_alt_ch = ' ';
    MeaThread = true;
    mThread = nullptr;
    t1 = nullptr;
    time_ready = false;
    hostapd_process = 0;
    powersave1 = 0;
}

bool create_all_mutexes()
{
    bool ok = true;
    for (SDL_mutex** m : kMutexes) {
        if (!*m)
            *m = SDL_CreateMutex();
        ok = ok && *m;
    }
    return ok;
}

void DestroyAllMutexes()
{
    for (SDL_mutex** m : kMutexes) {
        if (*m)
            SDL_DestroyMutex(*m);
        *m = nullptr;
    }
}
