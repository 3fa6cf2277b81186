// Timer_Funct1: the 250 ms background duties, run on the SDL timer thread. Each duty takes
// the one lock that guards what it touches and releases it before the next; none nests.
#include "app/timer.h"

#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "app/gga_parse.h"
#include "app/shutdown.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "cu/picdrv.h"
#include "dsp/rounding.h"
#include "files/keylines.h"
#include "files/radar_data.h"
#include "gui/backlight.h"
#include "gui/date_time_field.h"
#include "gui/input.h"
#include "platform/globals.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <ctime>

namespace {

constexpr int kTicksPerSecond = 4;
constexpr int kTickWrap = 100;

// Battery bands of the raw byte: warning, then switch-off.
constexpr int kBatteryLow = 11;
constexpr int kBatteryWarn = 193;
constexpr int kBatteryOff = 184;

bool every_second() { return tskip % kTicksPerSecond == 0; }
bool even_tick() { return tskip % 2 == 0; }

bool mode_is(std::initializer_list<int> screens)
{
    for (int s : screens)
        if (mode == s)
            return true;
    return false;
}

bool in_band(int v, int lo, int hi) { return v >= lo && v <= hi; }

// 1. Test screen.
void test_screen_duty()
{
    if (mode == 27 && every_second())
        can_Test_Data_Show = true;
}

// 2. Parameter screens: the single trace they show, taken from the CU.
void single_trace_duty(bool cu_on)
{
    if (mode_is({5, 13, 14, 15}) && cu_on && FileMode != 1 && every_second()) {
        MutexLock g(lock_dw);
        TraceTrigg();
    }
}

// 3. Filter screen without a CU trace: the single trace comes from the profile.
void filter_screen_duty(bool cu_on)
{
    if (mode != 15 || !(FileMode == 1 || !cu_on) || !even_tick())
        return;
    MutexLock g(lock_t2);
    int n = eep.samples;
    if (n < 0)
        n = 0;
    if (n > DSP_MAX_SAMPLES)
        n = DSP_MAX_SAMPLES;
    if (rdr.prof.b_size() == 0) {
        // No stored example trace exists yet: an empty profile shows a flat trace.
        memset(ttrace, 0, sizeof ttrace);
    } else {
        // The store keeps samples as sample / 8192; the single trace holds raw samples.
        const float* col = rdr.prof.slot(rdr.prof.start);
        for (int i = 0; i < n; i++)
            ttrace[i] = mrnd(double(col[i]) * 8192.0);
        for (int i = n; i < DSP_MAX_SAMPLES; i++)
            ttrace[i] = 0;
    }
    canShow = true;
}

// Date and clock texts as the clock widget shows them, read from the hardware clock.
void read_clock_texts(char* date, size_t date_size, char* clock, size_t clock_size)
{
    MutexLock g(lock_time);
    if (clock_widget) {
        clock_widget->hc_read();
        copy_text(date, date_size, clock_widget->date_text);
        copy_text(clock, clock_size, clock_widget->time_text);
        return;
    }
    time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    snprintf(date, date_size, "%4d-%02d-%02d", (t.tm_year + 1900) % 10000, t.tm_mon + 1, t.tm_mday);
    snprintf(clock, clock_size, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
}

// 4. System screen clock.
void clock_duty()
{
    if (mode != 10 || !every_second())
        return;
    MutexLock g(lock_time);
    if (clock_widget)
        clock_widget->hc_read();
    time_ready = true;
}

// 5. Drawing pace of screens 3 and 8.
void draw_pace_duty()
{
    if (tskip % 2 == 1 && (mode == 3 || mode == 8)) {
        MutexLock g(lock1);
        canNShow = true;
    }
}

// 6. Measurement drawing: while measuring the measurement screen draws at every tick (4 Hz).
void measurement_draw_duty()
{
    if (!MeasureMode)
        return;
    MutexLock g(lock_m_sh);
    m_Show = true;
}

// 7. Power save. While measuring the screen never darkens.
void power_save_duty()
{
    MutexLock g(lock_ps);
    if (MeasureMode) {
        powersave1 = 0;
        return;
    }
    if (eep.power_opt2 == 0) {
        powersave1 = 0;
        return;
    }
    if (powersave1 < kPowerSaveDimmed)
        powersave1++;
    if (powersave1 == kPowerSaveTicks) {
        blight_sw(configured_backlight(), 0);
        // The ramp steps by 10 and stops short of 0 for a level like 25: finish it dark.
        if (backlight_now != 0)
            set_backlight(0);
        powersave1 = kPowerSaveDimmed;
    }
}

// One battery byte; a 0 is read again, and a second 0 counts as full.
int read_battery()
{
    int v = pic.GetMonitorBattery();
    if (v == 0) {
        v = pic.GetMonitorBattery();
        if (v == 0)
            v = 255;
    }
    return v;
}

// 8. Battery: warning once per run, switch-off, level. Each threshold needs two readings
// in a row inside its band, so one bad reading does nothing.
void battery_duty()
{
    if (!every_second())
        return;
    int v = read_battery();
    if (monVolMes && in_band(v, kBatteryLow, kBatteryWarn)) {
        v = read_battery();
        if (in_band(v, kBatteryLow, kBatteryWarn)) {
            monVolMes = false;
            MutexLock g(lock_b);
            b_lev2 = true;
        }
    }
    if (in_band(v, kBatteryLow, kBatteryOff)) {
        v = read_battery();
        if (in_band(v, kBatteryLow, kBatteryOff))
            battery_switch_off();
    }
    bat_state1 = battery_level(v, eep.power_opt);
}

// Calibration (pulses per metre) of the current wheel, 0 when there is none.
double current_wheel_calibration()
{
    const int w = xml_pars.current_wheel;
    if (w < 0 || w >= xml_pars.wheel_count || w >= kMaxWheels)
        return 0;
    return xml_pars.wheel[w].wheel_calibration;
}

// 9. Position check screen: the wheel distance in display units.
void wheel_duty(bool cu_on)
{
    if (mode != 35 || eep.trig_code == kTrigTime || eep.trig_code == kTrigKeyboard)
        return;
    char text[kWheelTextSize] = " ";
    if (cu_on) {
        int32_t counter;
        {
            MutexLock g(lock_dw);
            counter = gpr.GetWheelPos(xml_pars.current_wheel);
        }
        const double per_unit = double(eep.GetUnit(0)) * current_wheel_calibration();
        if (per_unit > 0 && std::isfinite(per_unit)) {
            // Centimetres (or tenths of an inch) are all a wheel resolves; no "-0.000000".
            double d = gl_mea_dir * double(counter) / per_unit;
            if (std::fabs(d) < 0.005)
                d = 0;
            char unit[8];
            eep.GetShUnitName(unit, 0, 0, 11, sizeof unit);
            snprintf(text, sizeof text, "%.2f %s", d, unit);
        }
    }
    MutexLock g(lock_wheel);
    copy_text(wheel_str_01, sizeof wheel_str_01, text);
    can_Wheel_Show = true;
}

// 10. GPS on the screens that show or log it.
void gps_duty()
{
    if (!eep.gps_enabled || !mode_is({2, 3, 8, 18, 34, 35, 39}))
        return;
    char text[kGpsOutSize + 1] = {};
    gps.GetData(text);
    text[kGpsOutSize] = 0;
    gps_text_step(text);
}

// 11. Positioning test: one line per recording interval while the fix is fresh.
void test_recording_duty()
{
    if (mode != 39 || !rdr.gps_test.test_log)
        return;
    const int period = rdr.gps_test.period > 0 ? rdr.gps_test.period : 1;
    if (tskip_sec % period != 0) {
        test_gps_written = false;
        return;
    }
    if (test_gps_written && period == 1 && tskip_sec != test_gps_second)
        test_gps_written = false; // with an interval of 1 every second is a new interval
    if (test_gps_written)
        return;
    GpsFix fix;
    char hdop[kFixTextSize];
    int zero;
    {
        MutexLock g(lock3);
        zero = gps_zero;
        copy_text(fix.time, sizeof fix.time, f_time);
        copy_text(fix.lat, sizeof fix.lat, f_lat);
        copy_text(fix.lon, sizeof fix.lon, f_lon);
        copy_text(fix.alt, sizeof fix.alt, f_alt);
        copy_text(hdop, sizeof hdop, f_hdop);
        fix.lat_ch = f_lat_ch;
        fix.lon_ch = f_lon_ch;
        fix.alt_ch = f_alt_ch;
        fix.quality = gps_qi;
    }
    if (zero > 1 || fix.quality <= 0)
        return;
    char date[40], clock[40];
    read_clock_texts(date, sizeof date, clock, sizeof clock);
    rdr.gps_test.gps_add_test_pos(date, clock, fix.time, fix.lat, fix.lat_ch, fix.lon, fix.lon_ch, fix.alt,
                                  fix.alt_ch, hdop, fix.quality);
    test_gps_written = true;
    test_gps_second = tskip_sec;
}

// 12. Tick counters.
void advance_ticks()
{
    if (tskip % kTicksPerSecond == 0) {
        old_tskip_sec = tskip_sec;
        tskip_sec = tskip_sec >= kTickWrap ? 1 : tskip_sec + 1;
    }
    tskip = tskip >= kTickWrap ? 1 : tskip + 1;
}

void clear_fix_texts()
{
    f_time[0] = f_lat[0] = f_lon[0] = f_alt[0] = f_hdop[0] = 0;
}

} // namespace

int battery_level(int value, int max_volts)
{
    const int c = int(double(max_volts) / 11.0 * 8.4);
    const double d = c * 28.3;
    if (d > 184)
        return mrnd((value * 1000.0 - 184000.0) / (d - 184.0));
    return 1000;
}

bool gps_text_step(const char* text)
{
    const size_t len = strnlen(text, kGpsOutSize);
    const bool has_text = len > 7;
    if (has_text) {
        if (strcmp(text, "NO COORDINATES") == 0) {
            MutexLock g(lock3);
            copy_text(gps_str_01, sizeof gps_str_01, "NO COORDINATES");
            can_GPS_Show = 1;
        } else {
            const bool old = strcmp(text, "OLD DATA") == 0;
            GgaFix fix;
            if (!old && parse_gga(text, &fix)) {
                char sentence[kNmeaTextSize];
                snprintf(sentence, sizeof sentence, "$GPGGA,%.*s", int(len), text);
                sentence[strcspn(sentence, "\r\n")] = 0;
                {
                    MutexLock g(lock3);
                    copy_text(gps_str_01, sizeof gps_str_01, fix.position);
                    copy_text(gps_nmea_string, sizeof gps_nmea_string, sentence);
                    copy_text(f_time, sizeof f_time, fix.time);
                    copy_text(f_lat, sizeof f_lat, fix.lat);
                    copy_text(f_lon, sizeof f_lon, fix.lon);
                    copy_text(f_hdop, sizeof f_hdop, fix.hdop);
                    copy_text(f_alt, sizeof f_alt, fix.alt);
                    f_lat_ch = fix.lat_ch;
                    f_lon_ch = fix.lon_ch;
                    f_alt_ch = fix.alt_ch;
                    gps_qi = fix.quality;
                    gps_synctime = fix.synctime;
                    gps_zero = 0;
                    can_GPS_Show = 2;
                    // With the fix, under the same lock: the profile's GPS log claims both
                    // together.
                    rdr.rd.gps.new_fix = 1;
                }
                return true;
            }
            MutexLock g(lock3);
            if (gps_zero > 7) {
                copy_text(gps_str_01, sizeof gps_str_01, "NO COORDINATES");
                can_GPS_Show = 3;
            }
        }
    }

    // No good fix this tick.
    MutexLock g(lock3);
    int z = gps_zero + 1;
    if (has_text) {
        // Data is coming but gives no fix: hold at 9; coming back from the no-data count,
        // restart just below it so that the fix texts are cleared once more.
        if (gps_zero >= 10)
            z = 8;
        else if (z > kGpsClearTicks)
            z = kGpsClearTicks;
    } else if (z > kGpsNoDataTicks) {
        z = kGpsNoDataTicks;
    }
    if (z == kGpsClearTicks) {
        clear_fix_texts();
        gps_qi = 0;
    }
    if (!has_text && z == kGpsNoDataTicks && gps_zero != kGpsNoDataTicks) {
        copy_text(gps_str_01, sizeof gps_str_01, " ");
        can_GPS_Show = 4;
        gps_qi = -1;
    }
    gps_zero = z;
    return false;
}

namespace {
std::atomic<bool> timer_stopping{false};
std::atomic<int> ticks_running{0};
} // namespace

void timer_arm() { timer_stopping = false; }

void timer_quiesce()
{
    timer_stopping = true;
    for (int i = 0; i < 300 && ticks_running > 0; i++)
        SDL_Delay(10);
}

Uint32 Timer_Funct1(Uint32 interval, void*)
{
    struct Running {
        Running() { ticks_running++; }
        ~Running() { ticks_running--; }
    } running;
    if (timer_stopping)
        return interval;
    bool cu_on;
    {
        MutexLock g(lock_cuOn);
        cu_on = pisOn;
    }
    test_screen_duty();
    single_trace_duty(cu_on);
    filter_screen_duty(cu_on);
    clock_duty();
    draw_pace_duty();
    measurement_draw_duty();
    power_save_duty();
    battery_duty();
    wheel_duty(cu_on);
    gps_duty();
    test_recording_duty();
    advance_ticks();
    return interval;
}
