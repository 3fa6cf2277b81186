#include "acquisition/acquisition.h"

#include "config/xml_pars.h"
#include "cu/eep.h"

int compute_trigg_cond()
{
    double v;
    if (eep.trig_code == kTrigTime) {
        // The interval is a float: 0.01 s is 9.99999977 ms, which must not become 9.
        v = double(eep.trigg_option) * 1000.0 + 0.0001;
    } else {
        const uint8_t w = xml_pars.current_wheel;
        const double cal = w < xml_pars.wheel_count ? xml_pars.wheel[w].wheel_calibration : 0.0;
        v = double(eep.GetUnit(10)) * double(eep.trace_interval) * cal + 0.0001;
    }
    if (!(v >= 1.0) || v > 2147483647.0) // also NaN and absurd values
        return v > 2147483647.0 ? 2147483647 : 1;
    return int(v);
}
