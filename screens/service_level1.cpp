// System parameters level 1: the first screen (40) with the ways to filters, wheels, files,
// the antenna parameters and the service dates, and the antenna parameters themselves (24):
// the signal settings in service form, sent to the CU as they change.
#include "acquisition/acquisition.h"
#include "acquisition/mea_screens.h"
#include "app/screens.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "gui/decimal_field.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"
#include "screens/service_screens.h"
#include "screens/service_ui.h"
#include "screens/signal_values.h"

#include <SDL/SDL.h>

using namespace params;
using namespace signal_values;

namespace {

// Screen 40.
constexpr int kM40 = 40;
constexpr int kName = 20;
constexpr int kFilters = 12, kWheels = 13, kFiles = 14, kAntenna = 16, kDates = 17, kSave40 = 18;

// Screen 24.
constexpr int kM24 = 24;
constexpr int kSearch = 2, kPosition = 3, kSamples = 4, kAutoStacks = 5, kStacks = 6, kClipped = 7, kZero = 8,
              kResampling = 9, kMissed = 10, kSearchMode = 11, kInterval = 12, kSave = 15, kCancel = 16;

void show_name40(bool on)
{
    auto* t = dynamic_cast<CSDLText*>(mS.obj[kM40][kName]);
    if (!t)
        return;
    if (mode == kM40)
        erase_text(t);
    t->SetText8(on ? eep.ant_name : "No contact with CU!");
    if (mode == kM40)
        t->Draw();
}

double interval_shown() { return double(eep.GetUnit(10)) * eep.trace_interval / double(eep.GetUnit(1)); }

void show24(bool on)
{
    if (!on) {
        for (int s : {kPosition, kSamples, kAutoStacks, kStacks, kClipped, kZero})
            show_value(kM24, s, " ");
    } else {
        show_valuef(kM24, kPosition, "Adjust pos.(%d)", 65535 - int(uint16_t(eep.cu_word)));
        show_valuef(kM24, kSamples, "%d (file %d)", int(eep.cu_samples), int(eep.samples));
        show_value(kM24, kAutoStacks, eep.auto_stacks ? "On" : "Off");
        show_valuef(kM24, kStacks, "%d", int(eep.auto_stack_value));
        show_valuef(kM24, kClipped, "%d", int(eep.clipped));
        show_valuef(kM24, kZero, "%d", int(eep.cu_aux));
    }
    show_value(kM24, kResampling, eep.screen_opt2 ? "On" : "Off");
    show_value(kM24, kMissed, eep.screen_opt1 ? "On" : "Off");
    show_value(kM24, kSearchMode, eep.tz_search_opt ? "MAX" : "Threshold");
    if (auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[kM24][value_slot(kInterval)])) {
        char sh[kUnitNameSize];
        eep.GetShUnitName(sh, 0, 1, 11, sizeof sh);
        snprintf(f->unit, sizeof f->unit, "%.*s", int(sizeof f->unit - 1), sh);
        if (mode == kM24)
            f->sErase();
        snprintf(f->text, sizeof f->text, "%3.3f", interval_shown());
        if (mode == kM24)
            f->Draw();
    }
}

void tick24() { service::pass(kM24); }

// Left/Right steps until Enter; each step is sent under lock_dw.
void edit(void (*change)(int))
{
    for (;;) {
        const int k = edit_key(tick24);
        if (k == SDLK_RETURN)
            return;
        if (k != SDLK_LEFT && k != SDLK_RIGHT)
            continue;
        if (!cu_on())
            return;
        {
            MutexLock g(lock_dw);
            change(k == SDLK_RIGHT ? 1 : -1);
        }
        show24(true);
    }
}

void edit_interval()
{
    auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[kM24][value_slot(kInterval)]);
    if (!f)
        return;
    const double v = edit_number(f);
    if (v > 0) {
        eep.trace_interval = float(v * double(eep.GetUnit(1)) / double(eep.GetUnit(10)));
        eep.compute_step_distance();
    }
}

} // namespace

int mode_40_sys_pars_level_1_1()
{
    bool on = cu_on();
    enter_screen(kM40);
    show_name40(on);
    for (;;) {
        const int r = service::next_button(kM40, on);
        if (r == 0) {
            show_name40(on);
            continue;
        }
        switch (r) {
        case kFilters: mode_15_filters(); break;
        case kWheels: mode_16_wheel_list(); break;
        case kFiles: screen_files(); break;
        case kAntenna: mode_24_sys_pars_level_1_2(); break;
        case kDates: mode_42_service_interval(); break;
        case kSave40: {
            {
                MutexLock g(lock_dw);
                eep.psave_l_a();
            }
            xml_pars.write_xml_tree();
            return 0;
        }
        default: release(kM40, r); continue;
        }
        enter_screen(kM40);
        on = cu_on();
        show_name40(on);
    }
}

int mode_24_sys_pars_level_1_2()
{
    const Signal entry = Signal::now();
    const uint8_t missed = eep.screen_opt1, search = eep.tz_search_opt, resampling = eep.screen_opt2;
    const float interval = eep.trace_interval;
    bool on = cu_on();
    enter_screen(kM24);
    show24(on);
    for (;;) {
        const int r = service::next_button(kM24, on);
        if (r == 0) {
            show24(on);
            continue;
        }
        if (r == kSave || r == kCancel) {
            if (r == kCancel) {
                if (on)
                    restore(entry);
                eep.screen_opt1 = missed;
                eep.tz_search_opt = search;
                eep.screen_opt2 = resampling;
                eep.trace_interval = interval;
                eep.compute_step_distance();
            }
            finish(on);
            return 0;
        }
        const bool needs_cu = r != kResampling && r != kMissed && r != kSearchMode && r != kInterval;
        if (needs_cu && !on) {
            release(kM24, r);
            continue;
        }
        switch (r) {
        case kSearch: SearchTimeZero(); break;
        case kPosition: edit(step_position); break;
        case kSamples: edit(step_samples); break;
        case kAutoStacks: {
            MutexLock g(lock_dw);
            toggle_autostacks();
            break;
        }
        case kStacks:
            edit(step_stacks);
            if (eep.auto_stack_value > kMaxStacks)
                service::message(kM24, kStacksWarning1, kStacksWarning2);
            break;
        case kClipped: edit(step_clipped); break;
        case kZero: edit(step_zero); break;
        case kResampling: eep.screen_opt2 = eep.screen_opt2 ? 0 : 2; break;
        case kMissed: eep.screen_opt1 = eep.screen_opt1 ? 0 : 1; break;
        case kSearchMode: eep.tz_search_opt = eep.tz_search_opt ? 0 : 1; break;
        case kInterval: edit_interval(); break;
        default: break;
        }
        on = cu_on();
        show24(on);
        release(kM24, r);
    }
}

void rows_service_level1(CMS& t)
{
    {
        const int row = kM40;
        put_title(t, row, "System parameters (level 1)");
        t.put(row, kName, new CSDLText(16, 100, " ", 24, 700, false, false, 11));
        put_line(t, row, kFilters, 1, "Filters", false);
        put_line(t, row, kWheels, 2, "Wheels", false);
        put_line(t, row, kFiles, 3, "Files", false);
        put_line(t, row, kAntenna, 4, "Antenna Parameters", false);
        put_line(t, row, kDates, 5, "Service Intervals", false);
        put_small(t, row, kSave40, 11, 0, "Save");
        service::put_lamp(t, row);
    }
    {
        const int row = kM24;
        put_title(t, row, "Antenna Parameters");
        put_line(t, row, kSearch, 0, "Signal search", false);
        put_line(t, row, kPosition, 1, "Adjust position");
        put_line(t, row, kSamples, 2, "Number of samples");
        put_line(t, row, kAutoStacks, 3, "Autostacks");
        put_line(t, row, kStacks, 4, "Stacks");
        put_line(t, row, kClipped, 5, "Clipped samples");
        put_line(t, row, kZero, 6, "Zero Level");
        put_line(t, row, kResampling, 7, "Resampling");
        put_line(t, row, kMissed, 8, "Missed Traces Mode: ");
        put_line(t, row, kSearchMode, 9, "Signal Search Mode: ");
        put_line(t, row, kInterval, 10, "Point interval:", false);
        t.put(row, value_slot(kInterval), new CSDLText_DCH(332, line_y(10) + 37, "0", 24, 40, 40, 90, 300, 9));
        put_small(t, row, kSave, 11, 0, "Save");
        put_small(t, row, kCancel, 11, 1, "Cancel");
        service::put_lamp(t, row);
    }
}
