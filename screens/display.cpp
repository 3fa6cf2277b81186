// The display parameters (screen 14: palette, trace view, backlight) and the filter screen
// (15), which edits the seven filter slots of the current antenna and shows the live single
// trace through the edited filters.
#include "acquisition/acq_state.h"
#include "platform/globals.h"
#include "app/timer.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "cu/picdrv.h"
#include "dsp/acq_filter.h"
#include "dsp/rounding.h"
#include "files/radar_data.h"
#include "gui/button.h"
#include "gui/draw.h"
#include "gui/input.h"
#include "gui/lang.h"
#include "gui/list_box.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/trace_view.h"
#include "screens/param_math.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <cstring>

using namespace params;

namespace {

// ---- Screen 14 ----
constexpr int kPalette = 2, kTraceOn = 6, kBacklight = 7, kFilters = 8, kSave14 = 10, kCancel14 = 11;

void show_display(int palette)
{
    if (auto* title = dynamic_cast<CSDLText*>(mS.obj[14][kTitle])) {
        // The language table's first string, then the antenna name.
        SDL_Rect band{0, 0, 780, 50};
        erase_rect(&band);
        title->SetText(lngs[0]);
        CSDLObject::conv_strcat(title->text, " ", sizeof title->text);
        CSDLObject::conv_strcat(title->text, eep.ant_name, sizeof title->text);
        title->Draw();
        update_area(0, 0, 780, 50);
    }
    if (auto* v = dynamic_cast<CSDLText*>(mS.obj[14][value_slot(kPalette)])) {
        v->Erase();
        v->SetText(mS.pal_name[palette >= 0 && palette < 3 ? palette : 0]);
        v->Draw();
    }
    show_value(14, kTraceOn, eep.display_opt ? "On" : "Off");
    show_valuef(14, kBacklight, "%d", int(eep.backlight_level));
}

// ---- Screen 15 ----
constexpr int kSlotChoice = 2, kSwitch = 3, kField0 = 4, kResampling = 11, kSave15 = 12, kCancel15 = 13;
constexpr int kM15 = 15;

CFilterRecord* slots() { return eep.ant_record ? eep.ant_record->filter : nullptr; }

float field_value(int slot, int k)
{
    const FilterField f = filter_field(slot, k);
    CFilterRecord* s = slots();
    if (!s || !f.label)
        return 0;
    return f.is_float ? s[slot].float_par : float(s[slot].int_par[k]);
}

void show_field(int slot, int k)
{
    const FilterField f = filter_field(slot, k);
    if (!f.label)
        return;
    show_valuef(kM15, kField0 + k, f.format, double(field_value(slot, k)));
}

void show_filter_slot(int slot)
{
    CFilterRecord* s = slots();
    if (!s)
        return;
    char name[60];
    snprintf(name, sizeof name, "%.*s", int(sizeof s[slot].name), s[slot].name);
    show_value(kM15, kSlotChoice, name);
    show_value(kM15, kSwitch, s[slot].display_on ? "On" : "Off");
    for (int k = 0; k < 6; k++) {
        const FilterField f = filter_field(slot, k);
        set_shown(kM15, kField0 + k, f.label != nullptr);
        if (!f.label)
            continue;
        if (CButton* b = button(kM15, kField0 + k)) {
            b->SetLabel(f.label);
            if (mode == kM15)
                b->Draw();
        }
        show_field(slot, k);
    }
    show_value(kM15, kResampling, eep.screen_opt2 == 2 ? "On" : "Off");
}

// The newest single trace through the filters as they are now: the acquisition filter (DC
// removal, FIR), then gain and contrast of the display.
void filtered_trace_tick()
{
    draw_battery();
    CTraceView* tv = trace_view(kM15);
    if (!tv)
        return;
    static int32_t filtered[DSP_MAX_SAMPLES];
    MutexLock g(lock_t2);
    if (!canShow)
        return;
    canShow = false;
    DC_Apply(ttrace, filtered);
    tv->tDraw(filtered, -1, 2, -1, true, "");
}

void edit_field(int slot, int k)
{
    const FilterField f = filter_field(slot, k);
    CFilterRecord* s = slots();
    if (!f.label || !s)
        return;
    float v = field_value(slot, k);
    edit_steps(filtered_trace_tick, [&](int d) {
        v += d > 0 ? f.step : -f.step;
        v = v < f.min ? f.min : v > f.max ? f.max : v;
        if (f.is_float)
            s[slot].float_par = v;
        else
            s[slot].int_par[k] = mrnd(v);
        show_field(slot, k);
    });
}

void switch_slot(int slot)
{
    CFilterRecord* s = slots();
    if (!s)
        return;
    s[slot].display_on = s[slot].display_on ? 0 : 1;
    if (const int other = exclusive_partner(slot))
        s[other].display_on = s[slot].display_on ? 0 : 1;
    prm.gain_switch = s[4].display_on ? 1 : 0;
}

} // namespace

int mode_14_display_parameters()
{
    const uint8_t trace_view0 = eep.display_opt;
    const int16_t backlight0 = eep.backlight_level;
    int palette = eep.ant_option;
    enter_screen(14);
    show_display(palette);
    for (;;) {
        const int r = next_button(14);
        switch (r) {
        case kPalette: palette = choose_from_list(14, palette); break;
        case kTraceOn: eep.display_opt = eep.display_opt ? 0 : 1; break;
        case kBacklight:
            edit_steps(draw_battery, [](int d) {
                eep.backlight_level = int16_t(std::clamp(eep.backlight_level + 10 * d, 20, 100));
                pic.Backlight(uint8_t(eep.backlight_level));
                keyb_wait();
                show_valuef(14, kBacklight, "%d", int(eep.backlight_level));
            });
            break;
        case kFilters:
            mode_15_filters();
            enter_screen(14);
            break;
        case kSave14:
            eep.ant_option = int16_t(palette);
            return 5;
        case kCancel14:
            eep.display_opt = trace_view0;
            eep.backlight_level = backlight0;
            pic.Backlight(uint8_t(eep.backlight_level));
            return 5;
        default: break;
        }
        show_display(palette);
        release(14, r);
    }
}

int mode_15_filters()
{
    const uint8_t scale0 = eep.screen_opt2;
    const uint8_t gain0 = prm.gain_switch;
    CFilterRecord keep[kFilterSlots];
    if (CFilterRecord* s = slots())
        memcpy(keep, s, sizeof keep);
    eep.screen_opt2 = 0;
    int slot = 5;
    if (CListBox* l = list(kM15)) {
        l->DeleteAll();
        if (CFilterRecord* s = slots())
            for (int k = 1; k <= 6; k++) {
                char name[60];
                snprintf(name, sizeof name, "%.*s", int(sizeof s[k].name), s[k].name);
                l->AddString(name);
            }
    }
    enter_screen(kM15);
    if (CTraceView* tv = trace_view(kM15))
        tv->tInit();
    show_filter_slot(slot);
    for (;;) {
        const int r = next_button(kM15, [] {
            filtered_trace_tick();
            return true;
        });
        if (r == kSave15 || r == kCancel15) {
            eep.screen_opt2 = scale0;
            if (r == kSave15) {
                save_display_settings();
            } else {
                // The slots are edited in place in the antenna record: cancel puts them back.
                if (CFilterRecord* s = slots())
                    memcpy(s, keep, sizeof keep);
                prm.gain_switch = gain0;
                if (FileMode != 1)
                    eep.pload_l_a();
            }
            return 1;
        }
        if (r == kSlotChoice) {
            const int chosen = choose_from_list(kM15, slot - 1) + 1;
            if (chosen != slot && chosen >= 1 && chosen <= 6)
                slot = chosen;
        } else if (r == kSwitch) {
            switch_slot(slot);
        } else if (r >= kField0 && r < kField0 + 6) {
            edit_field(slot, r - kField0);
        } else if (r == kResampling) {
            eep.screen_opt2 = eep.screen_opt2 == 2 ? 0 : 2;
            if (CTraceView* tv = trace_view(kM15))
                tv->tInit();
        }
        show_filter_slot(slot);
        release(kM15, r);
    }
}

void rows_display(CMS& t)
{
    {
        const int row = 14;
        auto* title = new CSDLText(16, 40, lngs[0], 30, 0, false, true, 1);
        title->SetTextColor(255, 255, 153);
        t.put(row, kTitle, title);
        put_line(t, row, kPalette, 0, "Palette");
        put_line(t, row, kTraceOn, 2, "Trace View");
        put_line(t, row, kBacklight, 3, "Backlight(%):");
        put_line(t, row, kFilters, 4, "Filters", false);
        put_small(t, row, kSave14, 11, 0, "Save");
        put_small(t, row, kCancel14, 11, 1, "Cancel");
        // The palette value and list hold language text.
        t.put(row, value_slot(kPalette), new CSDLText(332, line_y(0) + 37, "\0", 24, 440, false, false, 1)); // empty in 8 and 16 bits
        auto* pal = new CListBox(332, line_y(1), 440, 3 * 36 + 4, false, 1);
        pal->AddColumn("\0", 436); // an empty 16-bit title: the list holds language text
        for (int k = 0; k < 3; k++)
            pal->AddString(t.pal_name[k]);
        pal->visible = 0;
        t.put(row, kList, pal);
    }
    {
        const int row = kM15;
        put_title(t, row, "Filters parameters");
        put_line(t, row, kSlotChoice, 0, "Filter: ");
        put_line(t, row, kSwitch, 1, "Switching ON/OFF:");
        for (int k = 0; k < 6; k++)
            put_line(t, row, kField0 + k, 2 + k, " ");
        put_line(t, row, kResampling, 9, "Resampling");
        put_small(t, row, kSave15, 11, 0, "Save");
        put_small(t, row, kCancel15, 11, 1, "Cancel");
        auto* l = new CListBox(332, line_y(1), 440, 6 * 36 + 4, false, 11);
        l->AddColumn("", 436);
        l->visible = 0;
        t.put(row, kList, l);
        put_trace_view(t, row);
    }
}
