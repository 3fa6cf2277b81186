#include "dsp/filter_slots.h"

#include <cstdio>
#include <cstring>

namespace {

void set_names(CFilterSlot& s, const char* name, const char* sh_name)
{
    std::snprintf(s.name, sizeof s.name, "%s", name);
    std::snprintf(s.sh_name, sizeof s.sh_name, "%s", sh_name);
}

} // namespace

void init_filter(CFilterSlot* slots, int count)
{
    if (!slots || count <= 0)
        return;
    for (int i = 0; i < count; ++i) {
        CFilterSlot& s = slots[i];
        std::memset(&s, 0, sizeof s);
        s.index = 0;
        s.display_on = 1;
        s.file_on = 0;
    }
    auto slot = [&](int k) -> CFilterSlot* { return k < count ? &slots[k] : nullptr; };

    if (CFilterSlot* s = slot(FLT_UNDEFINED)) {
        s->index = FLT_UNDEFINED;
        set_names(*s, "Undefined Filter", "Undef");
        s->display_on = 0;
    }
    if (CFilterSlot* s = slot(FLT_DC_REMOVAL)) {
        s->index = FLT_DC_REMOVAL;
        set_names(*s, "DC Removal", "DC-Rem");
        s->display_on = 0;
        s->int_par[0] = 50;
    }
    if (CFilterSlot* s = slot(FLT_TIME_GAIN)) {
        s->index = FLT_TIME_GAIN;
        set_names(*s, "Time Gain Filter", "Time Gain");
        s->display_on = 0;
        s->int_par[0] = 20000;
        s->int_par[1] = 100;
        s->int_par[2] = 40;
        s->int_par[3] = 50;
    }
    if (CFilterSlot* s = slot(FLT_DEL_MEAN)) {
        s->index = FLT_DEL_MEAN;
        set_names(*s, "Delete Mean Trace", "Del.Mean");
        s->display_on = 1;
        s->int_par[0] = 50;
    }
    if (CFilterSlot* s = slot(FLT_AUTO_GAIN)) {
        s->index = FLT_AUTO_GAIN;
        set_names(*s, "Auto Time Gain Filter", "Auto Gain");
        s->display_on = 1;
        s->int_par[0] = 100;
        s->int_par[1] = 100;
        s->int_par[2] = 10;
        s->int_par[3] = 2;
        s->int_par[4] = 20;
        s->int_par[5] = 0;
    }
    if (CFilterSlot* s = slot(FLT_FIR)) {
        s->index = FLT_FIR;
        set_names(*s, "FIR filter", "FIR");
        s->display_on = 1;
        s->int_par[0] = 50;
        s->int_par[1] = 0;
    }
    if (CFilterSlot* s = slot(FLT_CONTRAST)) {
        s->index = FLT_CONTRAST;
        set_names(*s, "Contrast", "Contrast");
        s->display_on = 1;
        s->int_par[0] = 40;
        s->float_par = 1.05f;
    }
}

CFilterPars filter_pars(const CFilterSlot* slots, int count, int samples, double gain_factor,
                        bool auto_gain)
{
    CFilterPars p;
    p.samples = samples;
    p.gain_factor = gain_factor;
    p.auto_gain = auto_gain;
    if (!slots)
        return p;
    auto slot = [&](int k) -> const CFilterSlot* { return k < count ? &slots[k] : nullptr; };

    if (const CFilterSlot* s = slot(FLT_DC_REMOVAL)) {
        p.dc_on = s->display_on != 0;
        p.dc_percent = s->int_par[0];
    }
    if (const CFilterSlot* s = slot(FLT_TIME_GAIN)) {
        p.tg_linear = s->int_par[0];
        p.tg_exponential = s->int_par[1];
        p.tg_start = s->int_par[2];
        p.tg_value = s->int_par[3];
    }
    if (const CFilterSlot* s = slot(FLT_DEL_MEAN)) {
        p.dm_on = s->display_on != 0;
        p.dm_traces = s->int_par[0];
    }
    if (const CFilterSlot* s = slot(FLT_AUTO_GAIN)) {
        p.ag_traces = s->int_par[0];
        p.ag_energy_window = s->int_par[1];
        p.ag_gain_window = s->int_par[2];
        p.ag_bias = s->int_par[3];
        p.ag_start = s->int_par[4];
        p.ag_first_arrival = s->int_par[5];
    }
    if (const CFilterSlot* s = slot(FLT_FIR)) {
        p.fir_on = s->display_on != 0;
        p.fir_high = s->int_par[0];
        p.fir_low = s->int_par[1];
    }
    if (const CFilterSlot* s = slot(FLT_CONTRAST)) {
        p.contrast_value = s->int_par[0];
        p.contrast_base = s->float_par;
    }
    return p;
}
