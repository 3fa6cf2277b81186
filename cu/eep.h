// CEEP: the antenna parameter block, the acquisition settings of the connected antenna and
// CU in one flat record that nearly every subsystem reads (global `eep`).
//
// It is filled from the XML parameter object (xml_pars) for the selected antenna and from the
// CU (CDriver::ReadParameters), written back to the XML object when settings change, and owns
// the conversions between samples, time and depth and the names of the units.
//
// Units: GetUnit(code) is the size of a unit in metres or seconds, by the metric/imperial
// setting of the XML object (`units`, 1 = SI):
//   code 0 metre / foot, 1 centimetre / inch, 2 millimetre / (1), 10 metre / inch,
//   5 and 9 second, 6 millisecond, 7 microsecond, 8 nanosecond, anything else 1.
// Times are microseconds (`sample_interval`), the soil velocity is in length units (code 0)
// per microsecond.
//
// Threads: written by the GUI thread (and by the acquisition thread's CU set-up through
// pload_l_a); read everywhere without a lock, as the flat record it is.
#pragma once

#include "platform/shared_value.h"

#include <cstddef>
#include <cstdint>

struct CAntennaRecord; // one antenna record of the XML parameter object

constexpr uint8_t kTrigTime = 0x80;     // trig_code: one trace per time interval
constexpr uint8_t kTrigKeyboard = 0xFF; // trig_code: one trace per key press
constexpr size_t kUnitNameSize = 64;    // room the unit-name functions assume by default
constexpr size_t kAntNameSize = 80;

class CEEP {
public:
    uint8_t err_flags[10];       // error flags of the last acquisition (clear_all_err)
    int16_t ant_code;            // antenna type code reported by the CU
    uint16_t ant_version;        // antenna firmware version
    int32_t l_a;                 // index of the current antenna record
    CAntennaRecord* ant_record;  // the current antenna record
    char ant_name[kAntNameSize]; // display name of the antenna
    double sample_interval;      // time between samples, microseconds
    int16_t ant_option;          // index of the current display palette
    uint16_t samples;            // samples per trace written to the file (N)
    uint16_t view_samples;       // samples shown
    uint8_t auto_stacks;         // automatic stacking on (32-bit stacked samples)
    int16_t mea_dir;             // measurement direction
    float trace_interval;        // distance between traces, metres or inches
    // Distance per trigger step, metres: read by the pipeline on Collect for every trace while
    // the GUI thread's tools recompute it when they save the antenna settings: atomic.
    Shared<double> step_distance;
    float trigg_option;          // time interval between traces in seconds (time trigger)
    uint8_t trig_code;           // 0x80 time, 0xFF keyboard, anything else wheel
    uint8_t trig_aux;            // 16 after Init
    uint8_t runs;                // stacking runs of the CU
    int16_t cu_word;             // complemented word of the CU parameters
    int32_t freq_index;          // index into trans_freq
    float ant_separation;        // antenna separation, metres
    int16_t cu_aux;              // CU parameter word 6
    int16_t cu_samples;          // samples the CU's sampler takes
    int16_t auto_stack_value;    // automatic stacking parameter (CU parameter word 8)
    uint8_t clipped;             // clipped samples sent before the samples of each trace
    int16_t tz_sample;           // index of the time-zero sample
    uint32_t adc_freq;           // sampling (ADC) frequency reported by the CU
    uint32_t clock_freq;         // CU clock ticks per second
    uint8_t reserved[4];
    uint8_t screen_opt1;         // missed-traces mode
    uint8_t screen_opt2;         // vertical scale mode of radargram and trace view
    uint8_t display_opt;         // single-trace view on
    int32_t power_opt;           // battery maximum level in volts
    int16_t backlight_level;     // backlight percent, 20..100
    int16_t power_opt2;          // power save on
    uint8_t tz_search_opt;       // time-zero search mode: 0 threshold, 1 maximum
    uint8_t gps_enabled;         // GPS in use
    uint8_t gps_source;          // 1 USB, 2 antenna (through the CU), 3 serial port driver
    uint8_t gps_cs_check;        // NMEA checksum checking of the serial GPS driver
    uint8_t gps_quality_opt;     // 1 only RTK fix is green, 0 DGPS and RTK fix/float
    uint8_t gps_baud_index;      // index into brate

    static const char* const brate[7];
    static const char* const t_resolution[3];
    static const char* const trig_source[3];

    CEEP();
    // The defaults of the options, as after a fresh start.
    void Init();

    // Selects the first antenna record whose code is `code` (record 0 when none) and makes it
    // the XML object's current antenna. Returns 0.
    int load_parameters(unsigned short code, unsigned short version);
    // Index of the current antenna record; an index outside the antenna list becomes 0.
    void set_l_a(int i);
    // The current antenna record: the one ant_record points at, or before the block is loaded
    // record l_a of the XML parameter object (record 0 when l_a is outside the list).
    CAntennaRecord& current_antenna() const;
    int get_l_a() const { return l_a; }

    // Loads the block from the XML object and, when the CU is on, from the CU. Returns the
    // result of CDriver::ReadParameters (0 read, 1 CU set to defaults, -1 failed), or 1 when
    // the CU is off.
    int pload_l_a();
    // Writes the settings of the block back into the XML object (not to the file).
    void psave_l_a();
    // Distance per trigger step from the current wheel's calibration and trace_interval.
    void compute_step_distance();

    const char* GetTrigSource() const;
    void GetWheelName(char* dst, size_t cap = kAntNameSize) const;
    // Name of antenna record l_a ("%s (v.%d)" with the version when with_version), put
    // through the widget toolkit's text conversion when convert.
    void GetAName_HF(char* dst, bool with_version, bool convert, size_t cap = kAntNameSize) const;
    // mea_dir := d; gl_mea_dir := 1 for time triggering, else d times the current wheel's
    // direction sign.
    void set_gl_mea_dir(int d);
    void clear_all_err();

    // ---- Units (eep_units.cpp) ----
    long double GetUnit(unsigned char code) const;
    void GetUnitName(char* dst, int code, size_t cap = kUnitNameSize) const;
    void GetShUnitName(char* dst, int bracket, int code, int b, size_t cap = kUnitNameSize) const;
    // Soil velocity in units `code` per microsecond.
    long double GetSoilVel(int code) const;
    void GetSoilVel_HF(char* dst, size_t cap = kUnitNameSize) const;
    // "%4.1f %s (%4.2f %s, %d %s)": time window, depth of the last sample, samples.
    int GetTimeWin(char* buf, size_t cap = 100) const;
    // Depth in metres of sample s (0 above time zero).
    long double e_depth(int s) const;
    // Sample of a (two-way) path length d in metres (0 for d < 0).
    int e_samp(double depth) const;
    // Samples the antenna separation shifts time zero by.
    int tz_shift() const;
};

extern const int32_t trans_freq[8];
extern CEEP eep;

// Measurement direction of the acquisition, +1 or -1 (set by CEEP::set_gl_mea_dir).
extern int gl_mea_dir;
