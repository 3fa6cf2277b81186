// Status texts of the profile screens and the trace-interval slider.
#include "app/screens.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "gui/button.h"
#include "gui/lang.h"
#include "gui/rows.h"
#include "gui/screen_table.h"
#include "gui/wide_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void eep_textinfo()
{
    auto set = [](int slot, const char* label, const char* value8) {
        auto* t = mS.at<CSDLText>(0, slot);
        if (!t)
            return;
        t->Erase();
        if (label)
            t->SetText(label);
        else
            t->SetText8("");
        if (CSDLObject::is_language_text(t->font_type)) {
            CSDLObject::conv_strcat(t->text, value8, sizeof t->text);
        } else {
            str_append(t->text, sizeof t->text, value8); // a long name is cut at the field's end
        }
        if (t->visible)
            t->Draw();
    };
    char soil[kUnitNameSize];
    eep.GetSoilVel_HF(soil, sizeof soil);
    set(status::kSoil, lngs[23], soil);
    set(status::kAntenna, lngs[0], eep.ant_name);
    set(status::kFile, lngs[47], rdr.rd.rd7_name);
}

float min_t_int()
{
    return 0.01f;
}

void set_point_dist(CButton* slider, short time_mode)
{
    if (!slider || !slider->value_field)
        return;
    CSDLText_N* f = slider->value_field;
    if (time_mode) {
        slider->SetLabel("Time interval");
        f->min = 0.001f;
        f->max = min_t_int();
        f->step = 0.001f;
        f->value = eep.trigg_option;
        snprintf(f->suffix, sizeof f->suffix, " %s", "s");
    } else {
        slider->SetLabel("Point interval");
        bool metric = xml_pars.units != 0;
        float step = metric ? 0.002f : 0.1f;
        // Upper end: 0.5 m, or 40 steps of 0.1 ft.
        float top = metric ? 0.5f : 4.0f;
        float minimum = step;
        float v = eep.trace_interval;
        if (v < minimum)
            v = metric ? 0.0020001f : 0.1000001f;
        v = std::round(v * 1000.0f) / 1000.0f;
        f->min = minimum;
        f->step = step;
        f->max = std::max(top, v); // a stored interval above the range stays reachable
        f->value = v;
        snprintf(f->suffix, sizeof f->suffix, " %s", metric ? "m" : "ft");
    }
    if (f->value < f->min)
        f->value = f->min;
    if (f->value > f->max)
        f->value = f->max;
    if (slider->visible)
        slider->Draw();
}
