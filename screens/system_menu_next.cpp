// The second system screen (screen 33): default zoom depth, GPS on or off, and the way to
// the WiFi and GPS parameter screens.
#include "app/screens.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "gui/input.h"
#include "gui/number_field.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"
#include "screens/system_math.h"
#include "screens/system_screens.h"

#include <SDL/SDL.h>
#include <algorithm>

using namespace params;

namespace {

constexpr int kM = 33;
constexpr int kZoom = 2, kGps = 4, kWifi = 7, kGpsPars = 9, kPrevious = 17;

CSDLText_N* zoom_field() { return mS.at<CSDLText_N>(kM, value_slot(kZoom)); }

// The zoom depth in the depth unit, never below 1.
void show_zoom()
{
    CSDLText_N* f = zoom_field();
    if (!f)
        return;
    char unit[sizeof f->suffix - 1] = "";
    eep.GetShUnitName(unit, 0, 0, 0, sizeof unit);
    snprintf(f->suffix, sizeof f->suffix, " %s", unit);
    f->value = std::max(1.0f, float(eep.e_depth(eep.view_samples) / eep.GetUnit(0)));
    f->rebuild_text();
    if (mode == kM)
        f->sDraw();
}

void show_all()
{
    show_zoom();
    show_value(kM, kGps, eep.gps_enabled ? "On" : "Off");
}

int samples_of_path(double path_m) { return eep.e_samp(path_m); }

// Left/Right change the depth, Enter takes it: the zoom becomes the samples of that depth.
void edit_zoom()
{
    CSDLText_N* f = zoom_field();
    if (!f)
        return;
    edit_field(f, draw_battery);
    const double d = f->value * double(eep.GetUnit(0));
    eep.view_samples = uint16_t(zoom_samples_for_depth(d, eep.ant_separation, samples_of_path, eep.samples));
    show_zoom();
}

} // namespace

int mode_33_sys_pars_level_0()
{
    enter_screen(kM);
    show_all();
    for (;;) {
        const int r = next_button(kM);
        switch (r) {
        case kZoom: edit_zoom(); break;
        case kGps: {
            eep.gps_enabled = eep.gps_enabled ? 0 : 1;
            MutexLock g(lock_dw);
            gps.gps_Unit_Close();
            gps.gps_Open();
            break;
        }
        case kWifi:
            if (screen_wifi_pars() == -333)
                return -333;
            enter_screen(kM);
            break;
        case kGpsPars:
            mode_18_GPS_parameters(kM);
            enter_screen(kM);
            break;
        case kPrevious: return 10;
        default: break;
        }
        release(kM, r);
        show_all();
    }
}

void rows_system_screen_33(CMS& t)
{
    const int row = kM;
    put_title(t, row, "System settings");
    put_line(t, row, kZoom, 0, "Default Zoom Depth:", false);
    t.put(row, value_slot(kZoom),
          new CSDLText_N(332, line_y(0) + 37, " ", 24, 0, 0, 128, 1, 0.1f, 0.1f, 100, "%.1f", "", 440));
    put_line(t, row, kGps, 2, "GPS ON/OFF:");
    put_line(t, row, kWifi, 5, "WiFi Settings", false);
    put_line(t, row, kGpsPars, 7, "GPS Parameters", false);
    put_line(t, row, kPrevious, 11, "<< PREVIOUS SCREEN", false);
}
