// The parameter overview (screen 5) and the acquisition-mode screen (11): depth, time gain,
// soil velocity, trigger source with the wheel and the point or time interval, and the
// ways to the other parameter screens.
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "app/screens.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/picdrv.h"
#include "gui/button.h"
#include "gui/decimal_field.h"
#include "gui/input.h"
#include "gui/list_box.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/trace_view.h"
#include "screens/param_math.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"

#include <SDL/SDL.h>
#include <cmath>
#include <cstdio>

using namespace params;

namespace {

constexpr int kDepth = 2, kTimeGain = 3, kSoil = 4, kAcqMode = 5, kWheel = 6, kInterval = 7,
              kLevel2 = 9, kAcqPars = 10, kDisplay = 11, kSignal = 12, kSave = 13, kCancel = 14,
              kIntervalEntry = 37; // a free slot: the interval entry over its line
constexpr int kDirection = 6, kWheels = 8, kSaveExit = 9, kCancel11 = 10;

int wheel_index_ok(int i) { return i >= 1 && i < xml_pars.wheel_count; }

void interval_text(char* out, size_t cap)
{
    char sh[kUnitNameSize];
    if (eep.trig_code == kTrigTime) {
        eep.GetShUnitName(sh, 0, 5, 11, sizeof sh);
        snprintf(out, cap, "%3.3f%s", double(eep.trigg_option), sh);
        return;
    }
    const double metres = double(eep.GetUnit(10)) * eep.trace_interval;
    eep.GetShUnitName(sh, 0, 1, 11, sizeof sh);
    char lu[kUnitNameSize];
    eep.GetShUnitName(lu, 0, 0, 11, sizeof lu);
    const double speed = speed_limit(metres, eep.cu_samples, prm.udp_mode != 0) / double(eep.GetUnit(0));
    snprintf(out, cap, "%3.3f%s (%3.1f %s/s)", metres / double(eep.GetUnit(1)), sh, speed, lu);
}

void show_depth()
{
    char u[kUnitNameSize];
    eep.GetShUnitName(u, 0, xml_pars.depth_units, 11, sizeof u);
    show_valuef(5, kDepth, "%3.2f %s (%d)", double(eep.e_depth(eep.samples) / eep.GetUnit(xml_pars.depth_units)), u,
                int(eep.samples));
}

void show_trigger()
{
    show_value(5, kAcqMode, eep.GetTrigSource());
    const bool wheel = eep.trig_code != kTrigTime && eep.trig_code != kTrigKeyboard;
    set_shown(5, kWheel, wheel);
    set_shown(5, kInterval, eep.trig_code != kTrigKeyboard);
    char w[kAntNameSize];
    eep.GetWheelName(w, sizeof w);
    show_value(5, kWheel, w);
    char t[120];
    interval_text(t, sizeof t);
    show_value(5, kInterval, t);
}

void show_soil()
{
    if (auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[5][value_slot(kSoil)])) {
        char u[sizeof f->unit - 3];
        eep.GetShUnitName(u, 0, 0, 11, sizeof u);
        snprintf(f->unit, sizeof f->unit, "%s/us", u);
        if (mode == 5)
            f->sErase();
        snprintf(f->text, sizeof f->text, "%d", int(xml_pars.soil_velocity));
        if (mode == 5)
            f->Draw();
    }
}

void show_all()
{
    char name[kAntNameSize + 40];
    snprintf(name, sizeof name, "Parameters: %s", eep.ant_name);
    show_title(5, name);
    show_depth();
    show_value(5, kTimeGain, prm.gain_switch ? "Auto" : "Manual");
    show_soil();
    show_trigger();
}

void fill_wheel_list()
{
    CListBox* l = list(5);
    if (!l)
        return;
    l->DeleteAll();
    for (int i = 1; i < xml_pars.wheel_count; i++)
        l->AddString(xml_pars.wheel[i].name);
    l->SetCurrent(xml_pars.current_wheel - 1);
}

void edit_depth()
{
    const int top = eep.cu_samples - eep.clipped;
    edit_steps(trace_tick, [top](int d) {
        int s = eep.samples + 10 * d;
        if (s > top)
            s = top;
        if (s < kMinFileSamples)
            s = kMinFileSamples;
        eep.samples = uint16_t(s);
        if (eep.view_samples > eep.samples || eep.view_samples < kMinFileSamples)
            eep.view_samples = eep.samples;
        if (CTraceView* tv = trace_view(5))
            tv->tInit();
        show_depth();
    });
    if (prm.udp_mode && cu_on()) {
        MutexLock g(lock_dw);
        gpr.SetSamples(eep.samples);
    }
}

void edit_soil()
{
    auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[5][value_slot(kSoil)]);
    if (!f)
        return;
    double v = edit_number(f);
    const double top = 300.0 / double(eep.GetUnit(0));
    v = v < 1 ? 1 : v > top ? top : v;
    xml_pars.soil_velocity = uint16_t(std::lround(v));
    show_soil();
    show_depth();
}

void edit_interval()
{
    auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[5][kIntervalEntry]);
    if (!f)
        return;
    const bool time = eep.trig_code == kTrigTime;
    // The entry shows the interval as stored: seconds, or the short length unit.
    const double shown = time ? eep.trigg_option : double(eep.GetUnit(10)) * eep.trace_interval / double(eep.GetUnit(1));
    snprintf(f->text, sizeof f->text, "%3.3f", shown);
    f->visible = 1;
    double v = edit_number(f);
    f->visible = 0;
    f->sErase();
    if (v <= 0)
        v = shown;
    if (time)
        eep.trigg_option = float(v);
    else
        eep.trace_interval = float(v * double(eep.GetUnit(1)) / double(eep.GetUnit(10)));
    eep.compute_step_distance();
    show_trigger();
}

void choose_wheel()
{
    CListBox* l = list(5);
    if (!l || l->count() == 0)
        return;
    fill_wheel_list();
    const int cres = choose_from_list(5, xml_pars.current_wheel - 1) + 1;
    printf("cres = %d\n", cres);
    if (wheel_index_ok(cres))
        xml_pars.current_wheel = uint8_t(cres);
    eep.set_gl_mea_dir(eep.mea_dir);
    eep.compute_step_distance();
    show_all();
}

void next_trigger_source()
{
    eep.trig_code = eep.trig_code == kTrigKeyboard ? kTrigTime : eep.trig_code == kTrigTime ? 0 : kTrigKeyboard;
    eep.set_gl_mea_dir(eep.mea_dir);
    show_trigger();
}

// Redraws screen 5 after a screen opened from it.
void back_to_5()
{
    enter_screen(5);
    if (CTraceView* tv = trace_view(5))
        tv->tInit();
    show_all();
}

} // namespace

int mode_05_parameters()
{
    bool on = cu_on();
    if (!on)
        return 34;
    const uint8_t gain0 = prm.gain_switch;
    const uint16_t samples0 = eep.samples;
    const int16_t backlight0 = eep.backlight_level;
    const uint16_t soil0 = xml_pars.soil_velocity;
    const uint8_t wheel0 = xml_pars.current_wheel;

    enter_screen(5);
    fill_wheel_list();
    if (CTraceView* tv = trace_view(5))
        tv->tInit();
    show_all();
    int leave = 0;
    for (;;) {
        const int r = next_button(5, [&leave] {
            leave = cu_on() ? check_CU_ON() : 34;
            if (leave != 0)
                return false;
            trace_tick();
            return true;
        });
        if (!r)
            return leave;
        switch (r) {
        case kDepth: edit_depth(); break;
        case kTimeGain:
            prm.gain_switch = prm.gain_switch ? 0 : 1;
            show_value(5, kTimeGain, prm.gain_switch ? "Auto" : "Manual");
            break;
        case kSoil: edit_soil(); break;
        case kAcqMode: next_trigger_source(); break;
        case kWheel: choose_wheel(); break;
        case kInterval: edit_interval(); break;
        case kLevel2:
            if (screen_sys_pars_level_2() == -333)
                return -333;
            back_to_5();
            break;
        case kAcqPars: mode_11_acq_parameters(); back_to_5(); break;
        case kDisplay: mode_14_display_parameters(); back_to_5(); break;
        case kSignal: mode_13_signal_parameters(); back_to_5(); break;
        case kSave: {
            MutexLock g(lock_dw);
            if (prm.udp_mode && cu_on())
                gpr.WriteParameters(0);
            eep.psave_l_a();
        }
            xml_pars.write_xml_tree();
            new_meas = true;
            prm.p_write();
            return 0;
        case kCancel:
            prm.gain_switch = gain0;
            eep.samples = samples0;
            if (prm.udp_mode && cu_on()) {
                MutexLock g(lock_dw);
                gpr.SetSamples(eep.samples);
            }
            eep.backlight_level = backlight0;
            pic.Backlight(uint8_t(eep.backlight_level));
            eep.pload_l_a();
            xml_pars.soil_velocity = soil0;
            xml_pars.current_wheel = wheel0;
            eep.set_gl_mea_dir(eep.mea_dir);
            eep.compute_step_distance();
            return 0;
        default: break;
        }
        release(5, r);
    }
}

int mode_11_acq_parameters()
{
    const int16_t dir0 = eep.mea_dir;
    int dir = dir0 < 0 ? -1 : 1;
    enter_screen(11);
    auto refresh = [&] {
        char t[160], w[kAntNameSize];
        eep.GetWheelName(w, sizeof w);
        if (eep.trig_code == kTrigTime || eep.trig_code == kTrigKeyboard)
            snprintf(t, sizeof t, "Acquisition Mode: %s", eep.GetTrigSource());
        else
            snprintf(t, sizeof t, "Acquisition Mode: Wheel (%s)", w);
        show_title(11, t);
        const bool wheel = eep.trig_code != kTrigTime && eep.trig_code != kTrigKeyboard;
        set_shown(11, kDirection, wheel);
        show_value(11, kDirection, dir > 0 ? "Forward" : "Backward");
    };
    refresh();
    for (;;) {
        const int r = next_button(11);
        if (r == kDirection) {
            dir = -dir;
            refresh();
        } else if (r == kWheels) {
            mode_16_wheel_list();
            enter_screen(11);
            refresh();
        } else if (r == kSaveExit) {
            eep.set_gl_mea_dir(dir);
            return 5;
        } else if (r == kCancel11) {
            eep.set_gl_mea_dir(dir0);
            return 5;
        }
        release(11, r);
    }
}

void rows_overview(CMS& t)
{
    {
        const int row = 5;
        put_title(t, row, "Parameters");
        put_line(t, row, kDepth, 0, "Depth: ");
        put_line(t, row, kTimeGain, 1, "Time Gain:");
        put_line(t, row, kSoil, 2, "Soil Velocity:", false);
        t.put(row, value_slot(kSoil), new CSDLText_DCH(332, line_y(2) + 37, "100", 24, 40, 40, 90, 300, 5));
        put_line(t, row, kAcqMode, 3, "Acquisition Mode: ");
        put_line(t, row, kWheel, 4, "Wheel type: ");
        put_line(t, row, kInterval, 5, "Point interval:");
        put_line(t, row, kLevel2, 6, "System parameters", false);
        put_line(t, row, kAcqPars, 7, "Acquis.parameters", false);
        put_line(t, row, kDisplay, 8, "Display parameters", false);
        put_line(t, row, kSignal, 9, "Signal parameters", false);
        put_small(t, row, kSave, 11, 0, "Save");
        put_small(t, row, kCancel, 11, 1, "Cancel");
        // The entry of the point or time interval, shown over its line while it is edited.
        auto* entry = new CSDLText_DCH(332, line_y(5) + 37, "0", 24, 40, 40, 90, 300, 9);
        entry->visible = 0;
        t.put(row, kIntervalEntry, entry);
        auto* wheels = new CListBox(332, line_y(4), 440, 6 * 36 + 4, false, 11);
        wheels->AddColumn("", 436);
        wheels->visible = 0;
        t.put(row, kList, wheels);
        put_trace_view(t, row);
    }
    {
        const int row = 11;
        put_title(t, row, "Acquisition Mode: ");
        put_line(t, row, kDirection, 1, "Measurement direction");
        put_line(t, row, kWheels, 3, "Wheels edit and calibration", false);
        put_small(t, row, kSaveExit, 11, 0, "Save and Exit");
        put_small(t, row, kCancel11, 11, 1, "Cancel");
    }
}
