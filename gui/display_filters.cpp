#include "gui/display_filters.h"

#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/rounding.h"
#include "gui/screen_state.h"

float again_bias_speed = 0.99f;

namespace {

CFilterRecord& filter(FilterSlotKind k) { return eep.current_antenna().filter[k]; }

bool auto_gain_mode() { return prm.gain_switch != 0; }

float bias_speed()
{
    float s = float(filter(FLT_AUTO_GAIN).int_par[6] / 1.99);
    return s < 0.99f ? 0.99f : s;
}

float in_slider_range(float v) { return v < 0 ? 0 : v > 40 ? 40 : v; }

} // namespace

float contrast_slider_value()
{
    return in_slider_range(float(filter(FLT_CONTRAST).int_par[0] / 2));
}

float time_gain_slider_value()
{
    if (auto_gain_mode()) {
        again_bias_speed = bias_speed();
        return in_slider_range(41.0f - float(filter(FLT_AUTO_GAIN).int_par[3]) / again_bias_speed);
    }
    return in_slider_range(float(mrnd(filter(FLT_TIME_GAIN).int_par[3] * 40.0 / 255.0)));
}

void slider_to_filters(int slot, float value)
{
    if (slot == kSlotContrast) {
        filter(FLT_CONTRAST).int_par[0] = int(value * 2);
    } else if (slot == kSlotTimeGain) {
        if (auto_gain_mode()) {
            filter(FLT_AUTO_GAIN).int_par[3] = int((40 - value) * again_bias_speed);
            ag_autostart = 0;
        } else {
            filter(FLT_TIME_GAIN).int_par[3] = mrnd(value * 2 * 255 / 80.0);
        }
    }
}
