// The wheel list (screen 16: choose, create, edit, delete) and the wheel editor with its
// calibration run over the CU's wheel counter (17).
#include "platform/globals.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "gui/button.h"
#include "gui/decimal_field.h"
#include "gui/input.h"
#include "gui/list_box.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/wide_text.h"
#include "screens/param_math.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>

using namespace params;

namespace {

constexpr int kSelect = 2, kCreate = 3, kEdit = 4, kDelete = 5, kBack = 10;
constexpr int kName = 2, kDirection = 3, kDistance = 4, kCalibrate = 5, kStore = 9, kLeave = 10;
constexpr int kCalibration = 30; // the calibration text of screen 17

// Row r of the list is wheel r + 1: record 0 is the undefined wheel, never chosen.
void row_text(int w, char* out, size_t cap)
{
    const CWheelRecord& r = xml_pars.wheel[w];
    snprintf(out, cap, "%.*s # %5.2f # %c", int(sizeof r.name), r.name,
             r.wheel_calibration * double(eep.GetUnit(0)), r.wheel_direction < 0 ? '-' : '+');
}

void fill_list()
{
    CListBox* l = list(16);
    if (!l)
        return;
    char unit[kUnitNameSize], title[kUnitNameSize + 16];
    eep.GetShUnitName(unit, 0, 0, 11, sizeof unit);
    snprintf(title, sizeof title, "pulses/%s", unit);
    l->SetColumn(1, title);
    l->DeleteAll();
    for (int w = 1; w < xml_pars.wheel_count; w++) {
        char t[kListStrBytes];
        row_text(w, t, sizeof t);
        l->AddString(t);
    }
    l->SetCurrent(xml_pars.current_wheel - 1);
    if (mode == 16)
        l->Draw();
}

void select_wheel()
{
    CListBox* l = list(16);
    if (!l)
        return;
    const int w = pick_in_list(*l, draw_battery) + 1;
    if (w >= 1 && w < xml_pars.wheel_count)
        xml_pars.current_wheel = uint8_t(w);
}

void create_wheel()
{
    if (xml_pars.wheel_count >= kMaxWheels)
        return;
    const int w = xml_pars.wheel_count++;
    CWheelRecord& r = xml_pars.wheel[w];
    r = CWheelRecord{};
    r.index = uint16_t(w);
    snprintf(r.name, sizeof r.name, "%s", "Unknown");
    snprintf(r.sh_name, sizeof r.sh_name, "%s", "Unknown");
    r.wheel_calibration = 1.0;
    r.wheel_direction = 1;
    xml_pars.current_wheel = uint8_t(w);
}

void delete_wheel()
{
    const int w = xml_pars.current_wheel;
    if (w < 1 || w >= xml_pars.wheel_count)
        return;
    char text[kListStrBytes];
    row_text(w, text, sizeof text);
    const int answer = mesmode("Are you sure that you want to delete the wheel?", text, true, 1);
    if (answer == 2 && xml_pars.wheel_count > 2) {
        for (int k = w; k + 1 < xml_pars.wheel_count; k++) {
            xml_pars.wheel[k] = xml_pars.wheel[k + 1];
            xml_pars.wheel[k].index = uint16_t(k);
        }
        xml_pars.wheel_count--;
        if (xml_pars.current_wheel >= xml_pars.wheel_count)
            xml_pars.current_wheel = uint8_t(xml_pars.wheel_count - 1);
    }
    enter_screen(16);
}

// ---- Screen 17 ----

struct Edit {
    double calibration; // pulses per length unit
    int direction;
    double distance;    // length units
};

void show_edit(const Edit& e)
{
    char unit[24];
    eep.GetShUnitName(unit, 0, 0, 11, sizeof unit);
    show_value(17, kDirection, e.direction < 0 ? "Backward" : "Forward");
    if (auto* d = dynamic_cast<CSDLText_DCH*>(mS.obj[17][value_slot(kDistance)])) {
        snprintf(d->unit, sizeof d->unit, "%s", unit);
        if (mode == 17)
            d->sErase();
        snprintf(d->text, sizeof d->text, "%.2f", e.distance);
        if (mode == 17)
            d->Draw();
    }
    if (auto* c = dynamic_cast<CSDLText*>(mS.obj[17][kCalibration])) {
        char t[80];
        snprintf(t, sizeof t, "%5.2f pulses/%s", e.calibration, unit);
        if (mode == 17)
            erase_text(c);
        c->SetText8(t);
        if (mode == 17)
            c->Draw();
    }
}

void calibrate(Edit& e)
{
    CButton* b = button(17, kCalibrate);
    if (b) {
        b->SetLabel("Stop calibration");
        b->Draw();
    }
    e.calibration = 0;
    show_edit(e);
    const short wheel = xml_pars.current_wheel;
    {
        MutexLock g(lock_dw);
        gpr.SetTriggSrc(-1, 'W', wheel);
        gpr.SetTriggCond(1, 1);
        gpr.SetMeasDir(-1, 1);
        gpr.SetWheelPos(wheel, 1, 0);
        gpr.EnableWheel(wheel);
    }
    int32_t pulses = 0;
    Uint32 last = 0;
    for (;;) {
        const int k = poll_key();
        if (k == SDLK_RETURN || k == SDLK_KP_ENTER)
            break;
        const Uint32 now = SDL_GetTicks();
        if (now - last >= 100) {
            last = now;
            {
                MutexLock g(lock_dw);
                pulses = gpr.GetWheelPos(wheel);
            }
            e.calibration = e.distance != 0 ? pulses / e.distance : 0;
            show_edit(e);
            draw_battery();
        }
        SDL_Delay(10);
    }
    const Calibration c = calibration_result(pulses, e.distance);
    printf("wheel calibration: %d pulses over %.3f\n", int(pulses), e.distance);
    e.calibration = c.pulses_per_unit;
    e.direction = c.direction;
    if (b) {
        b->SetLabel("Start calibration");
        b->Release();
    }
    show_edit(e);
}

void edit_distance(Edit& e)
{
    auto* d = dynamic_cast<CSDLText_DCH*>(mS.obj[17][value_slot(kDistance)]);
    if (!d)
        return;
    const double old = e.distance;
    const double v = edit_number(d);
    if (v > 0) {
        e.distance = v;
        if (old != 0)
            e.calibration = e.calibration * old / v;
    }
    show_edit(e);
}

} // namespace

int mode_16_wheel_list()
{
    enter_screen(16);
    fill_list();
    for (;;) {
        const int r = next_button(16);
        switch (r) {
        case kSelect: select_wheel(); break;
        case kCreate: create_wheel(); break;
        case kEdit:
            mode_17_wheel_edit_screen();
            enter_screen(16);
            break;
        case kDelete: delete_wheel(); break;
        case kBack:
            eep.set_gl_mea_dir(eep.mea_dir);
            eep.compute_step_distance();
            return 11;
        default: break;
        }
        fill_list();
        release(16, r);
    }
}

int mode_17_wheel_edit_screen()
{
    const int w = xml_pars.current_wheel;
    if (w < 0 || w >= xml_pars.wheel_count)
        return 16;
    CWheelRecord& rec = xml_pars.wheel[w];
    Edit e{rec.wheel_calibration * double(eep.GetUnit(0)), rec.wheel_direction < 0 ? -1 : 1,
           10.0};
    auto* name = dynamic_cast<CSDLText_CH*>(mS.obj[17][value_slot(kName)]);
    if (name)
        snprintf(name->text, sizeof name->text, "%.*s", int(sizeof rec.name), rec.name[0] ? rec.name : "_");
    enter_screen(17);
    show_edit(e);
    for (;;) {
        const int r = next_button(17);
        switch (r) {
        case kName:
            edit_text(name);
            if (name && !name->text[0])
                snprintf(name->text, sizeof name->text, "%s", "_");
            break;
        case kDirection: e.direction = -e.direction; break;
        case kDistance: edit_distance(e); break;
        case kCalibrate: calibrate(e); break;
        case kStore:
            if (name)
                str_copy(rec.name, sizeof rec.name, name->text);
            str_copy(rec.sh_name, sizeof rec.sh_name, rec.name);
            rec.wheel_calibration = e.calibration / double(eep.GetUnit(0));
            rec.wheel_direction = int8_t(e.direction);
            eep.set_gl_mea_dir(eep.mea_dir);
            eep.compute_step_distance();
            return 16;
        case kLeave: return 16;
        default: break;
        }
        show_edit(e);
        release(17, r);
    }
}

void rows_wheels(CMS& t)
{
    {
        const int row = 16;
        put_title(t, row, "Wheels");
        put_line(t, row, kSelect, 0, "Select wheel", false);
        put_line(t, row, kCreate, 1, "Create new wheel", false);
        put_line(t, row, kEdit, 2, "Edit current wheel", false);
        put_line(t, row, kDelete, 3, "Delete current wheel", false);
        put_small(t, row, kBack, 11, 0, "Back");
        auto* l = new CListBox(332, line_y(0), 680, 12 * 36 + 42, true, 11);
        l->AddColumn("Name", 420);
        l->AddColumn("pulses/m", 160);
        l->AddColumn("Dir", 96);
        t.put(row, kList, l);
    }
    {
        const int row = 17;
        put_title(t, row, "Wheel Edit Screen");
        put_line(t, row, kName, 0, "Wheel name", false);
        t.put(row, value_slot(kName), new CSDLText_CH(332, line_y(0) + 37, "_", 24, 40, 40, 90, 440, 40));
        put_line(t, row, kDirection, 1, "Direction of calibration");
        put_line(t, row, kDistance, 2, "Distance for calibration", false);
        t.put(row, value_slot(kDistance), new CSDLText_DCH(332, line_y(2) + 37, "10", 24, 40, 40, 90, 300, 9));
        put_line(t, row, kCalibrate, 3, "Start calibration", false);
        t.put(row, kCalibration, new CSDLText(332, line_y(3) + 37, " ", 24, 440, false, false, 11));
        put_small(t, row, kStore, 11, 0, "Save");
        put_small(t, row, kLeave, 11, 1, "Cancel");
    }
}
