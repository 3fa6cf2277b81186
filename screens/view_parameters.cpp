// The parameter screen of a stored profile or a processed grid (screen 4): only what changes
// how the data are shown — palette, gain mode, the display filters, soil velocity and the
// depth shown — never a setting of the CU. Kind 1: from the file viewer; 2: from the grid
// result view; 3: the grid view's velocity selection (soil velocity alone).
#include "platform/globals.h"
#include "app/timer.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "gui/input.h"
#include "gui/lang.h"
#include "gui/list_box.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/decimal_field.h"
#include "gui/text_label.h"
#include "screens/param_math.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"

#include <SDL/SDL.h>
#include <cmath>
#include <cstdlib>

using namespace params;

namespace {

constexpr int kPalette = 2, kGain = 3, kSoil = 4, kDepth = 5, kFilters = 6, kSave = 11, kCancel = 12;
constexpr int kM = 4;

void show_all(int palette)
{
    if (auto* v = dynamic_cast<CSDLText*>(mS.obj[kM][value_slot(kPalette)])) {
        if (mode == kM)
            v->Erase();
        v->SetText(mS.pal_name[palette >= 0 && palette < 3 ? palette : 0]);
        if (mode == kM && v->visible)
            v->Draw();
    }
    show_value(kM, kGain, prm.gain_switch ? "Auto" : "Manual");
    char u[kUnitNameSize];
    eep.GetShUnitName(u, 0, 0, 11, sizeof u);
    show_valuef(kM, kSoil, "%d %s/us", int(xml_pars.soil_velocity), u);
    eep.GetShUnitName(u, 0, xml_pars.depth_units, 11, sizeof u);
    show_valuef(kM, kDepth, "%3.2f %s (%d)",
                double(eep.e_depth(eep.view_samples) / eep.GetUnit(xml_pars.depth_units)), u, int(eep.view_samples));
}

// Left/Right step an integer between lo and hi until Enter; `shown` shows the new value.
template <class F> void step_value(int& v, int step, int lo, int hi, F shown)
{
    edit_steps(draw_battery, [&](int d) {
        v += step * d;
        v = v < lo ? lo : v > hi ? hi : v;
        shown();
    });
}

} // namespace

int mode_04_parameters(int kind)
{
    const int palette0 = eep.ant_option;
    const uint8_t gain0 = prm.gain_switch;
    const uint16_t soil0 = xml_pars.soil_velocity;
    const uint16_t view0 = eep.view_samples;
    int palette = palette0;
    const bool velocity_only = kind == 3;
    for (int s : {kPalette, kGain, kDepth, kFilters})
        set_shown(kM, s, !velocity_only);
    show_title(kM, velocity_only ? "Soil velocity" : "Display parameters");
    enter_screen(kM);
    show_all(palette);
    for (;;) {
        const int r = next_button(kM);
        switch (r) {
        case kPalette:
            if (list(kM)) {
                palette = choose_from_list(kM, palette);
                eep.ant_option = int16_t(palette);
            }
            break;
        case kGain: prm.gain_switch = prm.gain_switch ? 0 : 1; break;
        case kSoil: {
            int v = xml_pars.soil_velocity;
            const int top = int(300.0 / double(eep.GetUnit(0)));
            step_value(v, 1, 1, top, [&] {
                xml_pars.soil_velocity = uint16_t(v);
                show_all(palette);
            });
            break;
        }
        case kDepth: {
            int v = eep.view_samples;
            const int top = eep.samples > kMinFileSamples ? eep.samples : kMinFileSamples;
            step_value(v, 10, kMinFileSamples, top, [&] {
                eep.view_samples = uint16_t(v);
                show_all(palette);
            });
            break;
        }
        case kFilters:
            mode_15_filters();
            enter_screen(kM);
            break;
        case kSave:
            eep.ant_option = int16_t(palette);
            save_display_settings();
            return 0;
        case kCancel:
            eep.ant_option = int16_t(palette0);
            prm.gain_switch = gain0;
            xml_pars.soil_velocity = soil0;
            eep.view_samples = view0;
            return -1;
        default: break;
        }
        show_all(palette);
        release(kM, r);
    }
}

void rows_view_parameters(CMS& t)
{
    const int row = kM;
    put_title(t, row, "Display parameters");
    put_line(t, row, kPalette, 0, "Palette");
    t.put(row, value_slot(kPalette), new CSDLText(332, line_y(0) + 37, "\0", 24, 440, false, false, 1)); // empty in 8 and 16 bits
    put_line(t, row, kGain, 2, "Time Gain:");
    put_line(t, row, kSoil, 3, "Soil Velocity:");
    put_line(t, row, kDepth, 4, "Depth: ");
    put_line(t, row, kFilters, 5, "Filters", false);
    put_small(t, row, kSave, 11, 0, "Save");
    put_small(t, row, kCancel, 11, 1, "Cancel");
    auto* pal = new CListBox(332, line_y(1), 440, 3 * 36 + 4, false, 1);
    pal->AddColumn("\0", 436); // an empty 16-bit title: the list holds language text
    for (int k = 0; k < 3; k++)
        pal->AddString(t.pal_name[k]);
    pal->visible = 0;
    t.put(row, kList, pal);
}

void rows_overview(CMS& t);
void rows_signal(CMS& t);
void rows_display(CMS& t);
void rows_wheels(CMS& t);
void rows_gps(CMS& t);

void rows_parameter_screens(CMS& t)
{
    rows_overview(t);
    rows_signal(t);
    rows_display(t);
    rows_wheels(t);
    rows_gps(t);
    rows_view_parameters(t);
}
