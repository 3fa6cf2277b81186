#include "files/header.h"

#include "platform/globals.h"
#include "cu/eep.h"
#include "dsp/trace.h"
#include "files/disk.h"
#include "files/keylines.h"
#include "platform/host_paths.h"

#include <cerrno>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr size_t kHeaderTextSize = 4096;

// Appends one formatted line; false when the buffer is full.
bool put(char* out, size_t size, size_t& len, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
bool put(char* out, size_t size, size_t& len, const char* fmt, ...)
{
    if (len >= size)
        return false;
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(out + len, size - len, fmt, ap);
    va_end(ap);
    if (n < 0 || (size_t)n >= size - len)
        return false;
    len += (size_t)n;
    return true;
}

// Text value of a key line: at most 79 characters kept.
void read_text(const char* line, const char* key, char (&field)[80])
{
    char tmp[256];
    if (ReadStrParameter(line, key, tmp, sizeof tmp))
        copy_text(field, sizeof field, tmp);
}

} // namespace

Header::Header()
{
    rad_path[0] = add_path[0] = 0;
    hd_init();
}

// The paths name the profile's files and stay: dClose resets the values, not the set.
void Header::hd_init()
{
    soil_text[0] = 0;
    copy_text(customer, sizeof customer, "_");
    copy_text(operator_name, sizeof operator_name, "_");
    copy_text(site, sizeof site, "_");
    comments[0] = 0;
    copy_text(antenna_name, sizeof antenna_name, "_");
    wheel_name[0] = 0;
    antenna_index = 0;
    stacks = 2;
    signal_position = 40000;
    antenna_separation = 0.2f;
    interval = 0.02f;
    time_step = 2.323e-06f;
    trigger_mode = 0;
    samples = 0;
    wheel_calibration = 442.7;
    positive_direction = 1;
    pulse_factor = 30;
    rate_index = 4;
    soil_velocity = 100.0f;
    zero_level = 15;
    palette = 0;
    nominal_interval = 0.02;
    time_gain = 40;
    contrast = 20;
    frequency = 430477.84375f;
    last_trace = 0;
    x_slice = y_slice = z_slice = 0;
    migration_on = true;
    thickness = 1;
    threshold_level = 0;
    interpolation_angle = 0;
    agc_on = false;
    hfir_on = false;
    agc_level = 5000;
    agc_window = 40;
    dc_window = 25;
    dc_step = 5;
}

void Header::set_from_EEPROM(const HeaderSettings& s)
{
    time_step = eep.sample_interval;
    antenna_index = eep.l_a;
    copy_text(antenna_name, sizeof antenna_name, eep.ant_name);
    samples = eep.samples;
    stacks = eep.auto_stack_value;
    // The CU word is the 16-bit delay count: 40000 is a usual value, so it is unsigned.
    signal_position = (uint16_t)eep.cu_word;
    antenna_separation = eep.ant_separation;
    trigger_mode = eep.trig_code;
    pulse_factor = eep.runs;
    rate_index = (uint8_t)eep.freq_index;
    if (trigger_mode == 128) {
        interval = eep.trigg_option;
    } else {
        interval = eep.step_distance;
        if (s.wheel_index >= 0 && s.wheel_index < s.wheel_count) {
            copy_text(wheel_name, sizeof wheel_name, s.wheel_name);
            wheel_calibration = s.wheel_calibration;
            positive_direction = (int16_t)s.wheel_direction;
        } else {
            wheel_name[0] = 0;
            wheel_calibration = 442.7;
            positive_direction = 1;
        }
    }
    frequency = time_step != 0 ? (float)(1.0 / time_step) : 1.0f;
}

int Header::set_EEPROM_from_header(const HeaderSettings& s)
{
    // A damaged or foreign header must not reach the acquisition buffers, which hold at
    // most DSP_MAX_SAMPLES samples per trace.
    if (samples < 100 || samples > DSP_MAX_SAMPLES || !(time_step > 0))
        return -2;
    eep.trig_code = trigger_mode;
    eep.l_a = (antenna_index >= 0 && antenna_index < s.antenna_count) ? antenna_index : 0;
    eep.sample_interval = time_step;
    eep.cu_word = (int16_t)(uint16_t)signal_position;
    eep.samples = (uint16_t)samples;
    eep.auto_stack_value = (int16_t)stacks;
    eep.ant_separation = antenna_separation;
    eep.tz_sample = zero_level;
    eep.ant_option = palette;
    store_antenna_display(eep.l_a, time_gain, contrast); // also points ant_record at it
    if (trigger_mode == 128) {
        eep.trigg_option = (float)interval;
    } else {
        eep.step_distance = interval;
        eep.trace_interval = (float)nominal_interval;
    }
    return 0;
}

int Header::set_EEPROM_from_header() { return set_EEPROM_from_header(current_header_settings()); }

void Header::set_add_par(const HeaderSettings& s)
{
    soil_velocity = s.soil_velocity;
    copy_text(soil_text, sizeof soil_text, "Soil Velocity:");
    zero_level = eep.tz_sample;
    palette = eep.ant_option;
    nominal_interval = eep.trace_interval;
    time_gain = s.time_gain;
    contrast = s.contrast;
}

int Header::stack_exponent(int32_t stacks)
{
    uint16_t s = (uint16_t)stacks;
    int n = 0;
    while (s > 1) {
        s >>= 1;
        n++;
    }
    return n;
}

uint32_t Header::stacking_time(int32_t stacks, uint8_t pulse_factor, uint8_t rate_index)
{
    // trans_freq is followed by its end mark 4294967295; an index past the table reads that.
    uint32_t rate = rate_index < 8 ? (uint32_t)trans_freq[rate_index] : 4294967295u;
    return (uint32_t)stacks * pulse_factor / rate;
}

int Header::format_rad(char* out, size_t size, int wheel_index) const
{
    size_t n = 0;
    bool wheel_or_key = trigger_mode == 0 || trigger_mode == 255;
    const int32_t traces = last_trace; // one count for both lines while the writer goes on
    bool ok = put(out, size, n, "SAMPLES:%d\r\n", samples)
        && put(out, size, n, "FREQUENCY:%11.6f\r\n", frequency)
        && put(out, size, n, "FREQUENCY STEPS:%d\r\n", 1)
        && put(out, size, n, "SIGNAL POSITION:%f\r\n", (65535 - signal_position) * time_step * 1000)
        && put(out, size, n, "RAW SIGNAL POSITION:%d\r\n", signal_position)
        && put(out, size, n, "DISTANCE FLAG:%d\r\n", trigger_mode == 0 ? 1 : 0)
        && put(out, size, n, "TIME FLAG:%d\r\n", trigger_mode == 128 ? 1 : 0)
        && put(out, size, n, "PROGRAM FLAG:%d\r\n", trigger_mode == 255 ? 1 : 0)
        && put(out, size, n, "EXTERNAL FLAG:%d\r\n", 0)
        && put(out, size, n, "TIME INTERVAL:%9.6f\r\n", trigger_mode == 128 ? interval : 0.0)
        && put(out, size, n, "DISTANCE INTERVAL:%9.6f\r\n", wheel_or_key ? interval : 0.0)
        && put(out, size, n, "OPERATOR:%s\r\n", operator_name)
        && put(out, size, n, "CUSTOMER:%s\r\n", customer)
        && put(out, size, n, "SITE:%s\r\n", site)
        && put(out, size, n, "ANTENNAS:%s=%d\r\n", antenna_name, antenna_index)
        && put(out, size, n, "ANTENNA ORIENTATION:NOT VALID FIELD\r\n")
        && put(out, size, n, "ANTENNA SEPARATION:%9.6f\r\n", antenna_separation)
        && put(out, size, n, "COMMENT:%s=%d\r\n", wheel_name, wheel_index)
        && put(out, size, n, "TIMEWINDOW:%9.6f\r\n", samples * time_step * 1000)
        && put(out, size, n, "STACKS:%d\r\n", stacks)
        && put(out, size, n, "STACK EXPONENT:%d\r\n", stack_exponent(stacks))
        && put(out, size, n, "STACKING TIME:%f\r\n", (float)stacking_time(stacks, pulse_factor, rate_index))
        && put(out, size, n, "LAST TRACE:%d\r\n", traces)
        && put(out, size, n, "STOP POSITION:%10.6f\r\n", (traces - 1) * interval)
        && put(out, size, n, "SYSTEM CALIBRATION:%12.10f\r\n", time_step)
        && put(out, size, n, "START POSITION:0.000000\r\n")
        && put(out, size, n, "SHORT FLAG:%d\r\n", 1)
        && put(out, size, n, "INTERMEDIATE FLAG:%d\r\n", 0)
        && put(out, size, n, "LONG FLAG:%d\r\n", 0)
        && put(out, size, n, "PREPROCESSING:0\r\n")
        && put(out, size, n, "HIGH:0\r\n")
        && put(out, size, n, "LOW:0\r\n")
        && put(out, size, n, "FIXED INCREMENT:0.300000\r\n")
        && put(out, size, n, "FIXED MOVES UP:0\r\n")
        && put(out, size, n, "FIXED MOVES DOWN:1\r\n")
        && put(out, size, n, "FIXED POSITION:0.000000\r\n")
        && put(out, size, n, "WHEEL CALIBRATION:%9.6f\r\n", wheel_calibration)
        && put(out, size, n, "POSITIVE DIRECTION:%d\r\n", positive_direction);
    // Last, and only when there is one, so a profile's .rad keeps its 38 lines and readers
    // that count lines still find every other key where it was ("COMMENT:" is the wheel's).
    if (ok && comments[0])
        ok = put(out, size, n, "COMMENTS:%s\r\n", comments);
    return ok ? (int)n : -1;
}

int Header::format_add(char* out, size_t size) const
{
    size_t n = 0;
    bool ok = put(out, size, n, "VERSION:3\r\n")
        && put(out, size, n, "PROGRAM ID:NAM\r\n")
        && put(out, size, n, "PROGRAM VER:%d\r\n", 12)
        && put(out, size, n, "ZERO LEVEL:%d\r\n", zero_level)
        && put(out, size, n, "PALETTE:%d\r\n", palette)
        && put(out, size, n, "TIME GAIN:%d\r\n", time_gain)
        && put(out, size, n, "CONTRAST:%d\r\n", contrast)
        && put(out, size, n, "MIGR ON:%d\r\n", migration_on ? 1 : 0)
        && put(out, size, n, "SOIL: $%f\r\n", soil_velocity)
        && put(out, size, n, "X-SLICE:%d\r\n", x_slice)
        && put(out, size, n, "Y-SLICE:%d\r\n", y_slice)
        && put(out, size, n, "Z-SLICE:%d\r\n", z_slice)
        && put(out, size, n, "NOT REAL DINT:%9.6f\r\n", nominal_interval)
        && put(out, size, n, "THICKNESS:%d\r\n", thickness)
        && put(out, size, n, "THR LEVEL:%d\r\n", threshold_level)
        && put(out, size, n, "INT ANGLE:%d\r\n", interpolation_angle)
        && put(out, size, n, "AGC ON:%d\r\n", agc_on ? 1 : 0)
        && put(out, size, n, "HFIR ON:%d\r\n", hfir_on ? 1 : 0);
    return ok ? (int)n : -1;
}

static int write_replacement(const char* device_path, const char* text, size_t len)
{
    std::string path = host_path(device_path);
    std::string tmp = path + ".tmp";
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return -1;
    size_t done = 0;
    while (done < len) {
        ssize_t w = write(fd, text + done, len - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            break;
        done += (size_t)w;
    }
    bool ok = done == len && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && rename(tmp.c_str(), path.c_str()) == 0)
        return 0;
    unlink(tmp.c_str());
    return -2;
}

int replace_file_atomic(const char* device_path, const char* text, size_t len)
{
    int r = write_replacement(device_path, text, len);
    // A full data disk: the room kept for the headers of the recorded profile is given up.
    if (r != 0 && strncmp(device_path, kDataDir, strlen(kDataDir)) == 0 && disk_reserve_release())
        r = write_replacement(device_path, text, len);
    return r;
}

int Header::h_write(const HeaderSettings& s)
{
    set_from_EEPROM(s);
    {
        MutexLock lock(lock_dw);
        char text[kHeaderTextSize];
        int len = format_rad(text, sizeof text, s.wheel_index);
        if (len < 0 || replace_file_atomic(rad_path, text, (size_t)len) != 0) {
            set_err_filename(rad_path);
            return 6;
        }
        sync3();
    }
    return a_write(s);
}

int Header::h_write() { return h_write(current_header_settings()); }

int Header::a_write(const HeaderSettings& s)
{
    set_add_par(s);
    MutexLock lock(lock_dw);
    char text[kHeaderTextSize];
    int len = format_add(text, sizeof text);
    if (len < 0 || replace_file_atomic(add_path, text, (size_t)len) != 0) {
        set_err_filename(add_path);
        return 6;
    }
    sync3();
    return 0;
}

int Header::a_write() { return a_write(current_header_settings()); }

int Header::h_read()
{
    MutexLock lock(lock_dw);
    FILE* f = fopen(host_path(rad_path).c_str(), "rb");
    if (!f) {
        set_err_filename(rad_path);
        return 5;
    }
    char line[kKeyLineMax + 2];
    bool key_press = false;
    double time_interval = 0, distance_interval = 0;
    int ignored = 0;
    int32_t traces = last_trace;
    while (read_key_line(f, line, sizeof line) == kLineRead) {
        ReadTParameter(line, "LAST TRACE:", traces);
        ReadTParameter(line, "SAMPLES:", samples);
        ReadTParameter(line, "FREQUENCY:", frequency);
        ReadTParameter(line, "STACKS:", stacks);
        ReadTParameter(line, "SYSTEM CALIBRATION:", time_step);
        ReadTParameter(line, "WHEEL CALIBRATION:", wheel_calibration);
        ReadTParameter(line, "POSITIVE DIRECTION:", positive_direction);
        ReadTParameter(line, "PROGRAM FLAG:", key_press);
        ReadTParameter(line, "TIME INTERVAL:", time_interval);
        ReadTParameter(line, "DISTANCE INTERVAL:", distance_interval);
        ReadTParameter(line, "ANTENNA SEPARATION:", antenna_separation);
        ReadTParameter(line, "RAW SIGNAL POSITION:", signal_position);
        char text[256];
        if (ReadStrParameter(line, "ANTENNAS:", text, sizeof text)) {
            char* eq = strchr(text, '=');
            antenna_index = 0;
            if (eq) {
                *eq = 0;
                long v = strtol(eq + 1, nullptr, 10);
                antenna_index = (v < INT_MIN || v > INT_MAX) ? 0 : (int32_t)v;
            }
            copy_text(antenna_name, sizeof antenna_name, text);
        }
        read_text(line, "COMMENT:", wheel_name);
        read_text(line, "CUSTOMER:", customer);
        read_text(line, "OPERATOR:", operator_name);
        read_text(line, "SITE:", site);
        read_text(line, "COMMENTS:", comments);
        ReadTParameter(line, "SHORT FLAG:", ignored);
        ReadTParameter(line, "INTERMEDIATE FLAG:", ignored);
        ReadTParameter(line, "LONG FLAG:", ignored);
    }
    fclose(f);
    last_trace = traces;

    if (key_press) {
        trigger_mode = 255;
        interval = distance_interval;
    } else if (time_interval != 0) {
        trigger_mode = 128;
        interval = time_interval;
    } else if (distance_interval != 0) {
        trigger_mode = 0;
        interval = distance_interval;
    }
    if (time_step == 0 && frequency != 0)
        time_step = 1.0 / frequency;

    f = fopen(host_path(add_path).c_str(), "rb");
    if (!f) {
        set_err_filename(add_path);
        return 0;
    }
    while (read_key_line(f, line, sizeof line) == kLineRead) {
        ReadTParameter(line, "ZERO LEVEL:", zero_level);
        ReadTParameter(line, "PALETTE:", palette);
        int16_t gain = time_gain;
        if (ReadTParameter(line, "TIME GAIN:", gain))
            time_gain = (uint8_t)gain;
        ReadTParameter(line, "CONTRAST:", contrast);
        ReadTParameter(line, "MIGR ON:", migration_on);
        if (ReadStrParameter(line, "SOIL:", soil_text, sizeof soil_text)) {
            const char* dollar = strchr(soil_text, '$');
            soil_velocity = dollar ? (float)strtol(dollar + 1, nullptr, 10) : 100.0f;
        }
        ReadTParameter(line, "X-SLICE:", x_slice);
        ReadTParameter(line, "Y-SLICE:", y_slice);
        ReadTParameter(line, "Z-SLICE:", z_slice);
        ReadTParameter(line, "NOT REAL DINT:", nominal_interval);
        ReadTParameter(line, "THICKNESS:", thickness);
        ReadTParameter(line, "THR LEVEL:", threshold_level);
        ReadTParameter(line, "INT ANGLE:", interpolation_angle);
        ReadTParameter(line, "AGC ON:", agc_on);
        ReadTParameter(line, "HFIR ON:", hfir_on);
    }
    fclose(f);
    return 0;
}
