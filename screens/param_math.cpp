#include "screens/param_math.h"

#include "cu/eep.h"

#include <cmath>

int runs_step(int runs, int dir)
{
    const int r = runs + (dir > 0 ? 1 : -1);
    return r < kMinRuns ? kMinRuns : r > kMaxRuns ? kMaxRuns : r;
}

int cu_samples_for_runs(int cu_samples, int runs)
{
    if (runs < 1)
        runs = 1;
    const int n = cu_samples / runs * runs;
    return n == 0 ? runs : n;
}

int cu_samples_step(int cu_samples, int runs, int clipped, int dir)
{
    if (runs < 1)
        runs = 1;
    if (dir > 0) {
        const int top = DSP_MAX_SAMPLES / runs * runs;
        const int n = cu_samples + runs;
        return n <= top ? n : (cu_samples > top ? top : cu_samples);
    }
    int n = cu_samples - runs;
    if (n - clipped <= kMinFileSamples - 1) {
        // The smallest setting that still keeps 100 file samples after the clipped ones; a
        // step down never goes up.
        n = (kMinFileSamples / runs + 2) * runs;
        const int keeps = (kMinFileSamples + clipped + runs - 1) / runs * runs;
        if (n < keeps)
            n = keeps;
        if (n > cu_samples)
            n = cu_samples;
    }
    return n < 2 * runs ? 2 * runs : n;
}

bool signal_defaults(int type, int hw_type, int clipped, bool si, SignalDefaults& d)
{
    switch (type) {
    case 41: d = {8, 800, 1040, 0.48f, si ? 0.09f : 3.5f}; return true;
    case 42: d = {14, 700, 1400, 0.33f, si ? 0.05f : 2.0f}; return true;
    case 44:
        d = {32, hw_type == 10 ? 736 - clipped : 736, hw_type == 10 ? 736 : 1536, 0.18f, si ? 0.035f : 1.4f};
        return true;
    case 46: {
        const bool small = hw_type == 10 || hw_type == 11;
        d = {60, small ? 420 - clipped : 420, small ? 420 : 720, 0.14f, si ? 0.02f : 0.8f};
        return true;
    }
    default: return false;
    }
}

uint32_t freq_divider(int freq_index)
{
    if (freq_index < 0 || freq_index > 7)
        freq_index = 4;
    return uint32_t(std::lround(80e6 / trans_freq[freq_index]));
}

double speed_limit(double point_interval_m, int cu_samples, bool udp_mode)
{
    const double f = udp_mode ? 200000.0 : 1000000.0;
    if (cu_samples < 1)
        cu_samples = 1;
    return point_interval_m / (cu_samples / f);
}

FilterField filter_field(int slot, int k)
{
    struct Row { FilterField f[6]; };
    static const Row rows[7] = {
        {},
        {{{"Percent of samples: ", 1, 1, 100}}},
        {{{"Max. lin. coef.: ", 100, 100, 100000}, {"Max. exp. coef.: ", 1, 1, 1000},
          {"Start Point: ", 2, 0, 1000}, {"Time Gain Value: ", 1, 0, 255}}},
        {{{"Number of traces: ", 1, 0, 80}}},
        {{{"Number of traces to sum: ", 1, 1, 100}, {"Window size for energy: ", 1, 3, 100},
          {"Window size for gain averaging: ", 1, 3, 100}, {"Bias: ", 1, 2, 200},
          {"Start sample: ", 1, 0, 200}, {"First arrival supressing: ", 1, 0, 10}}},
        {{{"High-Pass: ", 1, 10, 100}, {"Low-Pass (0-OFF): ", 1, 0, 20}}},
        {{{"Current value: ", 1, 10, 100}, {"Power Base: ", 0.01f, 1, 20, "%3.2f", true}}},
    };
    if (slot < 1 || slot > 6 || k < 0 || k > 5)
        return FilterField{};
    return rows[slot].f[k];
}

int exclusive_partner(int slot)
{
    switch (slot) {
    case 1: return 5;
    case 5: return 1;
    case 2: return 4;
    case 4: return 2;
    default: return 0;
    }
}

Calibration calibration_result(int32_t pulses, double distance)
{
    Calibration c;
    double v = distance != 0 ? pulses / distance : 0;
    if (std::fabs(v) < 0.01)
        v = 1;
    c.direction = v < 0 ? -1 : 1;
    c.pulses_per_unit = std::fabs(v);
    return c;
}
