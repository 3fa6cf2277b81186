#include "config/filters.h"

namespace {

struct KindComments {
    int count;
    const char* comments[6];
};

const KindComments kKinds[kFilterSlots] = {
    {0, {}},
    {1, {"number of samples in the end of the trace"}},
    {4, {"max linear coef", "max exponential coef", "start sample", "current value"}},
    {1, {"number of previous traces (0 == Off)"}},
    {6, {"Number of traces to sum", "Window size for energy", "Window size for gain averaging",
         "Bias", "Start sample", "First arrival supressing"}},
    {2, {"high pass value", "low pass value"}},
    {1, {"current value"}},
};

} // namespace

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
    return kind == FLT_CONTRAST;
}

const char* filter_float_par_comment()
{
    return "contrast power base";
}
