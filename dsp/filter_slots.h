// The per-antenna filter table: seven filter slots per antenna record of the XML parameter
// object, their defaults (init_filter) and the plain snapshot of the values the filter
// algorithms read (CFilterPars).
#pragma once

#include <cstdint>

// Slot numbers; a slot's `index` is its kind, which decides which parameters it has.
enum FilterSlotKind : int {
    FLT_UNDEFINED = 0,
    FLT_DC_REMOVAL = 1,
    FLT_TIME_GAIN = 2,
    FLT_DEL_MEAN = 3,
    FLT_AUTO_GAIN = 4,
    FLT_FIR = 5,
    FLT_CONTRAST = 6,
    FILTER_SLOTS = 7,
};

struct CFilterSlot {
    uint16_t index;      // filter number 0..6 (`index` attribute)
    char name[50];       // long name
    char sh_name[20];    // short name
    uint8_t display_on;  // applied on the screen (and, for slots 1 and 5, at acquisition)
    uint8_t file_on;     // stored and written back only
    int32_t int_par[10];
    float float_par;
};

// Sets `count` slots (at most seven are filled) to the factory filter table.
void init_filter(CFilterSlot* slots, int count);

// Everything the filters read, taken from one antenna's slots, the antenna parameter block and
// the parameter store's gain switch. Cheap to build; the acquisition filter builds one per trace
// so a setting changed on the filter screen applies to the next trace.
struct CFilterPars {
    int samples = 1000;         // samples per trace (eep.samples, at most DSP_MAX_SAMPLES used)
    double gain_factor = 0.0001; // K of the time gain (eep.sample_interval)
    bool auto_gain = false;     // automatic gain selected (parameter store gain switch)

    bool dc_on = false;   // slot 1
    int dc_percent = 50;

    int tg_linear = 20000; // slot 2
    int tg_exponential = 100;
    int tg_start = 40;
    int tg_value = 50;

    bool dm_on = true; // slot 3
    int dm_traces = 50;

    int ag_traces = 100; // slot 4
    int ag_energy_window = 100;
    int ag_gain_window = 10;
    int ag_bias = 2;
    int ag_start = 20;
    int ag_first_arrival = 0;

    bool fir_on = true; // slot 5
    int fir_high = 50;
    int fir_low = 0;

    int contrast_value = 40; // slot 6
    float contrast_base = 1.05f;
};

// Snapshot of `count` slots (missing slots keep the factory values above).
CFilterPars filter_pars(const CFilterSlot* slots, int count, int samples, double gain_factor,
                        bool auto_gain);

// The snapshot of the current antenna: its record in the XML parameter object, eep.samples,
// eep.sample_interval and prm.gain_switch.
CFilterPars current_filter_pars();
