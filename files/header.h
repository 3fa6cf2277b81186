// Header: the acquisition and display parameters of a profile or grid project, stored as
// the key files ".rad" (acquisition) and ".add" (display settings).
//
// Both files are replaced atomically (written beside the old one, flushed to the disk, then
// renamed over it), so a power cut or a killed process during a write leaves either the old
// or the new file, never a truncated one: a profile whose header was written once stays
// readable whatever happens to later header writes.
#pragma once

#include "files/header_settings.h"
#include "platform/shared_value.h"

#include <cstddef>
#include <cstdint>

constexpr size_t kPathSize = 100;

class Header {
public:
    char rad_path[kPathSize];       // device path of the .rad
    char add_path[kPathSize];       // device path of the .add
    char soil_text[80];             // "Soil Velocity:" before writing; the SOIL text after reading
    char customer[80];
    char operator_name[80];
    char site[80];
    char comments[80];              // grid projects: the "Comments:" text ("" when none)
    char antenna_name[80];
    char wheel_name[80];            // name of the selected wheel
    int32_t antenna_index;          // index of the antenna in the antenna list
    int32_t stacks;
    int32_t signal_position;        // raw signal position (16-bit delay count)
    float antenna_separation;
    double interval;                // time interval in time mode, distance interval otherwise
    double time_step;               // time between samples
    uint8_t trigger_mode;           // 0 wheel, 128 time, 255 key press
    int32_t samples;
    double wheel_calibration;
    int16_t positive_direction;
    uint8_t pulse_factor;
    uint8_t rate_index;             // index into trans_freq
    float soil_velocity;
    int16_t zero_level;
    int16_t palette;
    double nominal_interval;        // trace interval of the antenna parameter block
    uint8_t time_gain;
    int16_t contrast;
    float frequency;                // 1 / time step
    Shared<int32_t> last_trace;     // number of traces (raised by the acquisition thread)
    int16_t x_slice, y_slice, z_slice;
    bool migration_on;
    int16_t thickness;
    int16_t threshold_level;
    int32_t interpolation_angle;
    bool agc_on;
    bool hfir_on;
    int32_t agc_level;              // grid AGC target amplitude
    int16_t agc_window;
    int16_t dc_window;
    int16_t dc_step;

    Header();
    void hd_init();

    // Acquisition parameters from the antenna parameter block `eep` (and the wheel).
    void set_from_EEPROM(const HeaderSettings& s);
    // The reverse when a stored profile is opened: 0, or -2 (block left unchanged) when the
    // header's samples are not 100..2048 or its time step is not above 0.
    int set_EEPROM_from_header(const HeaderSettings& s);
    int set_EEPROM_from_header();
    // Display values before writing the .add.
    void set_add_par(const HeaderSettings& s);

    // set_from_EEPROM, .rad, then a_write. 0, or 6 (path in err_filename).
    int h_write(const HeaderSettings& s);
    int h_write();
    // set_add_par, then the .add. 0, or 6 (path in err_filename).
    int a_write(const HeaderSettings& s);
    int a_write();
    // Reads the .rad and the .add: 0, or 5 when the .rad cannot be opened. A missing .add is
    // not an error. Keys missing from a file leave their fields unchanged.
    int h_read();

    // The 38 lines of the .rad (a 39th, COMMENTS, when the comments text is not empty) / the
    // 18 lines of the .add, as written; the length, or -1 when out is too small. (h_write must
    // have set the acquisition fields first.)
    int format_rad(char* out, size_t size, int wheel_index) const;
    int format_add(char* out, size_t size) const;

    // Halvings of the 16-bit stack count until it is at most 1.
    static int stack_exponent(int32_t stacks);
    // (stacks x pulse factor) / transmit rate, unsigned integer quotient.
    static uint32_t stacking_time(int32_t stacks, uint8_t pulse_factor, uint8_t rate_index);
};

// Writes text to device_path through a temporary file renamed over it: 0, -1 when the
// temporary cannot be created (nothing changed), -2 when writing, flushing or renaming
// failed (the old file is unchanged).
int replace_file_atomic(const char* device_path, const char* text, size_t len);
