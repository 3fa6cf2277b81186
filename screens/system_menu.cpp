// The system screen (screen 10): clock, battery maximum, power save, unit system and language,
// and the maintenance actions of screens/upgrade.h.
//
// The language list only picks an index: it goes into the parameter store's language field
// (prm.language) at once and setLanguage(1) rebuilds the language table and every screen
// object with it, so the screen comes back in the chosen language. Like every value of the
// store's language field it lasts until the program ends (the store starts each run in
// English).
#include "acquisition/mea_profile.h"
#include "app/screens.h"
#include "app/timer.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "gui/button.h"
#include "gui/date_time_field.h"
#include "gui/input.h"
#include "gui/lang.h"
#include "gui/list_box.h"
#include "gui/number_field.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "platform/shell.h"
#include "platform/usb_stick.h"
#include "screens/param_ui.h"
#include "screens/system_math.h"
#include "screens/system_screens.h"
#include "screens/upgrade.h"

#include <SDL/SDL.h>
#include <cmath>

using namespace params;

namespace {

constexpr int kM = 10;
constexpr int kClock = 2, kBattery = 5, kPowerSave = 7, kUnits = 9, kLanguage = 10, kTests = 11, kNext = 12,
              kFormat = 13, kUpgrade = 14, kPredefined = 15, kFactory = 16, kSave = 17, kCancel = 18;

CSDLText_DT* clock_field() { return mS.at<CSDLText_DT>(kM, value_slot(kClock)); }
CSDLText_N* battery_field() { return mS.at<CSDLText_N>(kM, value_slot(kBattery)); }

void show_battery()
{
    if (CSDLText_N* f = battery_field()) {
        f->value = float(eep.power_opt);
        f->rebuild_text();
        if (mode == kM)
            f->sDraw();
    }
}

void show_all()
{
    show_battery();
    show_value(kM, kPowerSave, eep.power_opt2 ? "On" : "Off");
    char unit[kUnitNameSize] = "";
    eep.GetUnitName(unit, 100);
    show_value(kM, kUnits, unit);
    const int l = prm.language < kLanguages ? prm.language : 0;
    show_value(kM, kLanguage, CLang::lng_name[l]);
}

// The screen as on entry: objects, values, the clock the timer keeps up to date.
void draw_screen()
{
    enter_screen(kM);
    {
        MutexLock g(lock_time);
        clock_widget = clock_field();
        if (clock_widget) {
            clock_widget->hc_read();
            clock_widget->sDraw();
        }
    }
    show_all();
}

void leave_screen()
{
    MutexLock g(lock_time);
    clock_widget = nullptr;
}

// Date and time (Left back, Right forward, Enter switches); past the last part Enter sets
// the system clock. The timer leaves the field alone meanwhile.
void edit_clock()
{
    CSDLText_DT* f = clock_field();
    if (!f)
        return;
    {
        MutexLock g(lock_time);
        clock_widget = nullptr;
    }
    edit_date_time(f, draw_battery);
    f->time_write();
    MutexLock g(lock_time);
    clock_widget = f;
}

// Battery maximum in volts: each step is stored at once.
void edit_battery()
{
    CSDLText_N* f = battery_field();
    if (!f)
        return;
    edit_field(f, draw_battery, [f] { eep.power_opt = int32_t(std::lround(f->value)); });
}

// The redraws while the screen waits: the battery, and the clock the timer refreshed.
bool screen_tick()
{
    draw_battery();
    MutexLock g(lock_time);
    if (time_ready) {
        if (clock_widget)
            clock_widget->sDraw();
        time_ready = false;
    }
    return true;
}

void save_and_exit(bool si_on_entry)
{
    {
        MutexLock g(lock_dw);
        unmount_usb_stick();
    }
    prm.p_write();
    if (CSDLText_DT* f = clock_field())
        f->hc_write();
    const bool si = xml_pars.units != 0;
    convert_unit_lengths(si_on_entry, si);
    eep.psave_l_a();
    write_unit_defaults(si);
    xml_pars.write_xml_tree();
    eep.pload_l_a();
}

} // namespace

int mode_10_sys_pars_level_0()
{
    // An open profile gets its display settings written and is closed.
    close_open_profile();

    // The screen first: it waits for a CU poll under way, whose reload of the settings
    // must come before the values Cancel goes back to.
    draw_screen();
    const int32_t battery0 = eep.power_opt;
    const int16_t power_save0 = eep.power_opt2;
    const uint8_t units0 = xml_pars.units;
    const uint8_t gain0 = prm.gain_switch;
    for (;;) {
        const int r = next_button(kM, screen_tick);
        MaintenanceEnd end = MaintenanceEnd::Rebuild;
        bool rebuild = false;
        switch (r) {
        case kClock: edit_clock(); break;
        case kBattery: edit_battery(); break;
        case kPowerSave: eep.power_opt2 = eep.power_opt2 ? 0 : 1; break;
        case kUnits: xml_pars.units = xml_pars.units ? 0 : 1; break;
        case kLanguage: {
            const int chosen = choose_from_list(kM, prm.language < kLanguages ? prm.language : 0);
            if (chosen != prm.language) {
                leave_screen();
                prm.language = uint8_t(chosen);
                setLanguage(1);
            }
            rebuild = true;
            break;
        }
        case kTests:
            leave_screen();
            screen_tests();
            rebuild = true;
            break;
        case kNext: {
            xml_pars.soil_velocity = unit_defaults(xml_pars.units != 0).soil_velocity;
            leave_screen();
            const int n = mode_33_sys_pars_level_0();
            if (n == -333)
                return -333;
            rebuild = true;
            break;
        }
        case kFormat: end = format_data_disk(message_box_dialogs()); rebuild = true; break;
        case kUpgrade: end = software_upgrade(message_box_dialogs()); rebuild = true; break;
        case kPredefined: end = restore_predefined_settings(message_box_dialogs()); rebuild = true; break;
        case kFactory: end = restore_factory_settings(message_box_dialogs()); rebuild = true; break;
        case kSave:
            leave_screen();
            save_and_exit(units0 != 0);
            return 0;
        case kCancel:
            leave_screen();
            eep.power_opt = battery0;
            eep.power_opt2 = power_save0;
            xml_pars.units = units0;
            prm.gain_switch = gain0;
            return 0;
        default: break;
        }
        if (end == MaintenanceEnd::Reboot) {
            leave_screen();
            return -333;
        }
        release(kM, r);
        if (rebuild)
            draw_screen();
        else
            show_all();
    }
}

void rows_system_screen_10(CMS& t)
{
    const int row = kM;
    put_title(t, row, "System settings");
    put_line(t, row, kClock, 0, "Time and date:", false);
    t.put(row, value_slot(kClock), new CSDLText_DT(332, line_y(0) + 37, " ", 24, 0, 0, 128, 440));
    put_line(t, row, kBattery, 1, "Battery max level:", false);
    t.put(row, value_slot(kBattery),
          new CSDLText_N(332, line_y(1) + 37, " ", 24, 0, 0, 128, 12, 1, 10, 18, "%.0f", " volts", 440));
    put_line(t, row, kPowerSave, 2, "PowerSave Mode:");
    put_line(t, row, kUnits, 3, "Imperial or SI:");
    put_line(t, row, kLanguage, 4, "Language:");
    auto* l = new CListBox(332, line_y(4), 320, 6 * 36 + 4, false, 11);
    l->AddColumn("", 316);
    for (const char* name : CLang::lng_name)
        l->AddString(name);
    l->visible = 0;
    t.put(row, kList, l);
    put_line(t, row, kTests, 5, "Hardware Tests", false);
    put_line(t, row, kNext, 6, "NEXT SCREEN >>", false);
    put_line(t, row, kFormat, 7, "Data Disk Format", false);
    put_line(t, row, kUpgrade, 8, "Software Upgrade", false);
    // The long labels in a smaller type, so that they fit their buttons.
    t.put(row, kPredefined, new CButton("5", 16, line_y(9), "", 0, 0, "Restore Predefined Settings", -1, -1, 15, 11));
    t.put(row, kFactory, new CButton("5", 16, line_y(10), "", 0, 0, "Restore Factory Settings", -1, -1, 16, 11));
    t.put(row, kSave, new CButton("6", 16, line_y(11), "", 0, 0, "Save and Exit", -1, -1, 16, 11));
    put_small(t, row, kCancel, 11, 1, "Cancel");
}

void rows_system_screen_33(CMS& t); // system_menu_next.cpp

void rows_system_screens(CMS& t)
{
    rows_system_screen_10(t);
    rows_system_screen_33(t);
}
