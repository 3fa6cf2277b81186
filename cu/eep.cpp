// The antenna parameter block: antenna selection, loading from and saving to the XML
// parameter object and the CU, names and the trigger step.
#include "cu/eep.h"

#include "platform/globals.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "config/parameters.h"
#include "gui/lang.h"
#include "gui/sdl_object.h"

#include <cmath>
#include <cstdio>
#include <cstring>

int gl_mea_dir = 1;

namespace {

constexpr int kUnknownAntennaWord = 6; // language string for an antenna not in the list

bool antenna_index_ok(int i) { return i >= 0 && i < xml_pars.antenna_count && i < kMaxAntennas; }

const CWheelRecord* current_wheel()
{
    const int w = xml_pars.current_wheel;
    if (w >= xml_pars.wheel_count || w >= kMaxWheels)
        return nullptr;
    return &xml_pars.wheel[w];
}

// The block's defaults for what the CU reports (also when the CU cannot be read).
void cu_defaults(CEEP& e)
{
    e.clipped = 0;
    e.ant_separation = 0.1f;
    e.cu_samples = 1000;
    e.samples = 1000;
    e.sample_interval = 0.0001;
    e.runs = 50;
}

} // namespace

int CEEP::load_parameters(unsigned short code, unsigned short version)
{
    ant_code = static_cast<int16_t>(code);
    ant_version = version;
    l_a = 0;
    for (int i = 0; i < xml_pars.antenna_count && i < kMaxAntennas; i++) {
        if (xml_pars.antenna[i].index == code) {
            l_a = i;
            break;
        }
    }
    xml_pars.current_antenna = static_cast<uint8_t>(l_a);
    return 0;
}

void CEEP::set_l_a(int i)
{
    l_a = antenna_index_ok(i) ? i : 0;
    // Keep the record pointer on the same antenna, so no reader sees a stale one.
    ant_record = &xml_pars.antenna[l_a];
}

CAntennaRecord& CEEP::current_antenna() const
{
    if (ant_record)
        return *ant_record;
    return xml_pars.antenna[antenna_index_ok(l_a) ? l_a : 0];
}

void CEEP::compute_step_distance()
{
    const CWheelRecord* w = current_wheel();
    const double c = w ? w->wheel_calibration : 0.0;
    const double interval_m = static_cast<double>(GetUnit(10)) * trace_interval;
    if (!(c > 0) || !std::isfinite(c)) {
        // No usable calibration: one trigger step per trace interval.
        step_distance = interval_m;
        return;
    }
    double p = std::floor(interval_m * c + 0.0001);
    if (p < 1)
        p = 1; // the wheel cannot trigger more often than once per pulse
    step_distance = p / c;
}

int CEEP::pload_l_a()
{
    CXML_PARS& x = xml_pars;
    trig_code = x.trigger_type;
    auto_stacks = x.autostacks ? 1 : 0;
    trigg_option = x.time_interval;
    mea_dir = x.measurement_direction;
    ant_option = static_cast<int16_t>(x.current_palette);
    // An index outside the list keeps l_a (the name says "unknown antenna") but the record
    // pointer must stay inside the list.
    ant_record = &x.antenna[antenna_index_ok(l_a) ? l_a : 0];
    trace_interval = ant_record->point_interval;

    screen_opt1 = x.missed_traces_mode ? 1 : 0;
    screen_opt2 = x.resampling_on;
    display_opt = x.trace_view_on ? 1 : 0;
    power_opt = static_cast<int32_t>(std::lround(x.max_bat_level));
    backlight_level = x.backlighter_level;
    if (backlight_level < 20 || backlight_level > 100)
        backlight_level = 100;
    power_opt2 = static_cast<int16_t>(x.powersave);
    tz_search_opt = x.first_arrival_search_mode;
    gps_enabled = x.gps_on;
    gps_source = x.gps_com_usb;
    gps_cs_check = x.gps_check_sum;
    gps_quality_opt = gps_source == 2 ? 0 : x.gps_best;
    gps_baud_index = x.gps_brate_ind;

    cu_defaults(*this);

    int result = 1; // the CU was not read
    int64_t adc = -1, clock = -1;
    bool cu_on;
    {
        MutexLock g(lock_cuOn);
        cu_on = pisOn;
    }
    if (cu_on) {
        MutexLock g(lock_dw);
        result = gpr.ReadParameters();
        adc = gpr.Get_ADC_Freq();
        clock = gpr.Get_CU_Clock_Freq();
        if (cu_samples <= 99) {
            cu_samples = 1000;
            runs = 50;
            gpr.SetNumRuns(runs);
            if (prm.udp_mode) {
                gpr.USA_SetSamples(static_cast<unsigned short>(cu_samples));
                gpr.SetSamples(samples);
            } else {
                gpr.SetSamples(static_cast<unsigned short>(cu_samples));
            }
        }
    }
    // A frequency of 0 would turn every time and sample interval into a division by zero.
    adc_freq = adc > 0 ? static_cast<uint32_t>(adc) : 160000;
    clock_freq = clock > 0 ? static_cast<uint32_t>(clock) : 1000;

    if (result == -1 || !cu_on || runs == 0)
        cu_defaults(*this);
    else
        sample_interval = 1000.0 / (static_cast<double>(adc_freq) * runs);

    view_samples = ant_record->start_samples;
    if (view_samples < 100 || view_samples > samples)
        view_samples = samples;

    GetAName_HF(ant_name, true, true, sizeof ant_name);
    set_gl_mea_dir(mea_dir);
    compute_step_distance();
    return result;
}

void CEEP::psave_l_a()
{
    CXML_PARS& x = xml_pars;
    x.trigger_type = trig_code;
    x.autostacks = auto_stacks != 0;
    x.time_interval = trigg_option;
    x.measurement_direction = static_cast<int8_t>(mea_dir);
    x.current_palette = static_cast<uint16_t>(ant_option);
    if (antenna_index_ok(l_a))
        x.current_antenna = static_cast<uint8_t>(l_a);

    x.missed_traces_mode = screen_opt1 != 0;
    x.resampling_on = screen_opt2;
    x.trace_view_on = display_opt != 0;
    x.max_bat_level = static_cast<float>(power_opt);
    x.backlighter_level = static_cast<uint8_t>(backlight_level);
    x.powersave = static_cast<uint16_t>(power_opt2);
    x.first_arrival_search_mode = tz_search_opt;
    x.gps_on = gps_enabled;
    x.gps_com_usb = gps_source;
    x.gps_check_sum = gps_cs_check;
    x.gps_best = gps_quality_opt;
    x.gps_brate_ind = gps_baud_index;

    CAntennaRecord* r = &current_antenna();
    r->samples_in_file = samples;
    r->start_samples = view_samples;
    r->point_interval = trace_interval;
    compute_step_distance();
}

const char* CEEP::GetTrigSource() const
{
    if (trig_code == kTrigKeyboard)
        return trig_source[2];
    if (trig_code == kTrigTime)
        return trig_source[1];
    return trig_source[0];
}

void CEEP::GetWheelName(char* dst, size_t cap) const
{
    if (cap == 0)
        return;
    const CWheelRecord* w = current_wheel();
    if (!w)
        snprintf(dst, cap, "%s", "Wheel index error");
    else if (trig_code == kTrigTime)
        snprintf(dst, cap, "%s", "Time Triggering");
    else
        snprintf(dst, cap, "%.*s", static_cast<int>(sizeof w->name), w->name);
}

void CEEP::GetAName_HF(char* dst, bool with_version, bool convert, size_t cap) const
{
    if (cap == 0)
        return;
    const char* name;
    int name_len;
    if (antenna_index_ok(l_a)) {
        name = xml_pars.antenna[l_a].name;
        name_len = static_cast<int>(strnlen(name, sizeof xml_pars.antenna[l_a].name));
    } else {
        CLang::build_alang();
        // 8-bit in every language but Chinese; the conversion below widens 8-bit text only.
        name = lngs.lang != kLangChinese && lngs.s[kUnknownAntennaWord][0]
                   ? lngs[kUnknownAntennaWord]
                   : CLang::alang[0][kUnknownAntennaWord];
        name_len = static_cast<int>(strlen(name));
    }
    char text[kAntNameSize + 16];
    if (with_version)
        snprintf(text, sizeof text, "%.*s (v.%d)", name_len, name, static_cast<int>(ant_version));
    else
        snprintf(text, sizeof text, "%.*s", name_len, name);
    if (convert)
        CSDLObject::conv_strcpy(dst, text, cap);
    else
        snprintf(dst, cap, "%s", text);
}

void CEEP::set_gl_mea_dir(int d)
{
    mea_dir = static_cast<int16_t>(d);
    if (trig_code == kTrigTime) {
        gl_mea_dir = 1;
        return;
    }
    const CWheelRecord* w = current_wheel();
    const int sign = (w && w->wheel_direction < 0) ? -1 : 1;
    gl_mea_dir = d * sign;
}

void CEEP::clear_all_err()
{
    memset(err_flags, 0, sizeof err_flags);
}
