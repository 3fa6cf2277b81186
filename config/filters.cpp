#include "config/filters.h"

#include <cstring>

namespace {

struct FilterKind {
    const char* name;
    const char* sh_name;
    bool display_on;
    int count;
    int32_t values[6];
    const char* comments[6];
};

const FilterKind kKinds[kFilterSlots] = {
    {"Undefined Filter", "Undef", false, 0, {}, {}},
    {"DC Removal", "DC-Rem", false, 1, {50}, {"number of samples in the end of the trace"}},
    {"Time Gain Filter", "Time Gain", false, 4, {20000, 100, 40, 50},
     {"max linear coef", "max exponential coef", "start sample", "current value"}},
    {"Delete Mean Trace", "Del.Mean", true, 1, {50}, {"number of previous traces (0 == Off)"}},
    {"Auto Time Gain Filter", "Auto Gain", true, 6, {100, 100, 10, 2, 20, 0},
     {"Number of traces to sum", "Window size for energy", "Window size for gain averaging",
      "Bias", "Start sample", "First arrival supressing"}},
    {"FIR filter", "FIR", true, 2, {50, 0}, {"high pass value", "low pass value"}},
    {"Contrast", "Contrast", true, 1, {40}, {"current value"}},
};

void copy_name(char* dst, size_t size, const char* src)
{
    strncpy(dst, src, size - 1);
    dst[size - 1] = '\0';
}

} // namespace

void init_filter(CFilterRecord* filters, int count)
{
    if (count > kFilterSlots)
        count = kFilterSlots;
    for (int i = 0; i < count; i++) {
        CFilterRecord& f = filters[i];
        memset(&f, 0, sizeof f);
        f.display_on = 1;
    }
    for (int i = 0; i < count; i++) {
        CFilterRecord& f = filters[i];
        const FilterKind& k = kKinds[i];
        f.index = static_cast<uint16_t>(i);
        copy_name(f.name, sizeof f.name, k.name);
        copy_name(f.sh_name, sizeof f.sh_name, k.sh_name);
        f.display_on = k.display_on;
        for (int j = 0; j < k.count; j++)
            f.int_par[j] = k.values[j];
    }
    if (count > 6)
        filters[6].float_par = 1.05f;
}

int filter_int_par_count(int kind)
{
    return kind >= 0 && kind < kFilterSlots ? kKinds[kind].count : 0;
}

const char* filter_int_par_comment(int kind, int k)
{
    if (k < 0 || k >= filter_int_par_count(kind))
        return nullptr;
    return kKinds[kind].comments[k];
}

bool filter_has_float_par(int kind)
{
    return kind == 6;
}

const char* filter_float_par_comment()
{
    return "contrast power base";
}
