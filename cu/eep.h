// CEEP: the antenna parameter block, the acquisition settings of the connected antenna and
// CU in one flat record that nearly every subsystem reads (global `eep`).
//
// This header holds the record and its static tables. The conversions (units, depth,
// samples), the loading from and saving to the XML parameter object and the CU are built
// with the CU command layer.
#pragma once

#include <cstdint>

struct CAntennaRecord; // one antenna record of the XML parameter object

class CEEP {
public:
    uint8_t err_flags[10];       // error flags of the last acquisition (clear_all_err)
    int16_t ant_code;            // antenna type code reported by the CU
    uint16_t ant_version;        // antenna firmware version
    int32_t l_a;                 // index of the current antenna record
    CAntennaRecord* ant_record;  // the current antenna record
    char ant_name[80];           // display name of the antenna
    double sample_interval;      // time between samples, microseconds
    int16_t ant_option;          // index of the current display palette
    uint16_t samples;            // samples per trace written to the file (N)
    uint16_t view_samples;       // samples shown
    uint8_t auto_stacks;         // automatic stacking on (32-bit stacked samples)
    int16_t mea_dir;             // measurement direction
    float trace_interval;        // distance between traces, metres or inches
    double step_distance;        // distance per trigger step
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
    uint8_t display_opt;
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
    void Init();
};

extern const int32_t trans_freq[8];
extern CEEP eep;
