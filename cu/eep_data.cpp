#include "cu/eep.h"

#include <cstring>

CEEP eep;

const char* const CEEP::brate[7] = {"2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const char* const CEEP::t_resolution[3] = {"Short", "Medium", "Long"};
const char* const CEEP::trig_source[3] = {"Wheel", "Time Triggering", "Keyboard Triggering"};
const int32_t trans_freq[8] = {156250, 200000, 250000, 300751, 312500, 333333, 355555, 400000};

CEEP::CEEP()
{
    memset(err_flags, 0, sizeof err_flags);
    ant_code = 0;
    ant_version = 0;
    l_a = 0;
    ant_record = nullptr;
    memset(ant_name, 0, sizeof ant_name);
    sample_interval = 0.0001;
    ant_option = 0;
    samples = 1000;
    view_samples = 1000;
    auto_stacks = 0;
    mea_dir = 1;
    trace_interval = 0.05f;
    step_distance = 0;
    trigg_option = 0.1f;
    trig_code = 0;
    trig_aux = 0;
    runs = 50;
    cu_word = 0;
    freq_index = 4;
    ant_separation = 0.1f;
    cu_aux = 0;
    cu_samples = 1000;
    auto_stack_value = 0;
    clipped = 0;
    tz_sample = 0;
    adc_freq = 160000;
    clock_freq = 1000;
    memset(reserved, 0, sizeof reserved);
    screen_opt1 = screen_opt2 = display_opt = 0;
    power_opt = 0;
    backlight_level = 100;
    power_opt2 = 0;
    tz_search_opt = 0;
    gps_enabled = 0;
    gps_source = 0;
    gps_cs_check = 0;
    gps_quality_opt = 0;
    gps_baud_index = 0;
}

// The defaults of the options, as after a fresh start.
void CEEP::Init()
{
    trig_aux = 16;
    screen_opt1 = 1;
    screen_opt2 = 1;
    display_opt = 0;
    power_opt = 11;
    backlight_level = 100;
    power_opt2 = 1;
    tz_search_opt = 1;
    gps_enabled = 0;
    gps_source = 2;
    gps_cs_check = 1;
    gps_quality_opt = 0;
    gps_baud_index = 1;
    adc_freq = 160000;
    clock_freq = 1000;
}
