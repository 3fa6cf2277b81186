// Whether a stored profile can be continued with the live settings, and the soil velocity
// of the depth calibration.
#include "acquisition/mea_screens.h"
#include "cu/eep.h"
#include "files/radar_data.h"

#include <cmath>

namespace {

int trigger_kind(int code)
{
    return code == kTrigTime ? 1 : code == kTrigKeyboard ? 2 : 0;
}

} // namespace

int changed_parsmeters()
{
    Header& hd = rdr.rd.hd;
    if (hd.h_read() != 0) {
        hd.hd_init();
        return 20;
    }
    if (hd.samples != int(eep.samples))
        return 1;
    if (trigger_kind(hd.trigger_mode) != trigger_kind(eep.trig_code))
        return 4;
    if (eep.trig_code == kTrigTime) {
        if (std::fabs(hd.interval - double(eep.trigg_option)) > 0.001)
            return 7;
    } else if (eep.trig_code != kTrigKeyboard) {
        if (std::fabs(hd.interval - eep.step_distance) > 0.001)
            return 8;
    }
    return 0;
}

int calibrated_velocity(double A, double D, double T, double unit)
{
    if (!(T > 0) || !(unit > 0))
        return 0;
    const double v = std::round((std::sqrt(A * A + 4 * D * D) - A) / T);
    const double top = std::floor(300.0 / unit);
    if (v > top)
        return int(top);
    if (v < 1)
        return 1;
    return int(v);
}
