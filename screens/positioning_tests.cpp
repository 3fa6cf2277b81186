// The positioning tests (39): the GPS position and the wheel position side by side while the
// antenna is moved, and the test GPS log (".crn" with its raw ".kbn") that the periodic
// timer fills once per logging period while this screen is shown.
#include "acquisition/mea_screens.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "files/disk.h"
#include "files/radar_data.h"
#include "gui/char_field.h"
#include "gui/decimal_field.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "platform/host_paths.h"
#include "screens/param_ui.h"
#include "screens/service_screens.h"
#include "screens/service_ui.h"

#include <SDL/SDL.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

using namespace params;

namespace {

constexpr int kM = 39;
constexpr int kReset = 3, kInterval = 5, kFile = 7, kBack = 10;
constexpr int kGpsPos = 20, kWheelPos = 22, kName = 37;
constexpr int kAntennaGps = 2;

void reset_wheel()
{
    if (!cu_on())
        return;
    MutexLock g(lock_dw);
    gpr.SetWheelPos(xml_pars.current_wheel, 0, 0);
}

void close_log()
{
    if (!rdr.gps_test.test_log)
        return;
    {
        MutexLock g(lock_dw);
        rdr.gps_test.gps_Close();
    }
    printf("test GPS file closed: %s.crn\n", rdr.gps_test.test_name);
    service::caption(kM, kFile, "Create GPS File");
}

// The name typed, without trailing blanks; false when it cannot name a file of the data
// folder.
bool take_name(const char* typed, char* out, size_t cap)
{
    size_t n = strnlen(typed, cap - 1);
    while (n > 0 && typed[n - 1] == ' ')
        n--;
    if (n == 0)
        return false;
    for (size_t i = 0; i < n; i++)
        if (typed[i] == '/' || typed[i] == ' ' || (i == 0 && typed[i] == '.'))
            return false;
    memcpy(out, typed, n);
    out[n] = 0;
    return true;
}

void create_log()
{
    auto* f = dynamic_cast<CSDLText_CH*>(mS.obj[kM][kName]);
    if (!f)
        return;
    snprintf(f->text, sizeof f->text, "%s", rdr.gps_test.test_name);
    f->visible = 1;
    edit_text(f);
    f->visible = 0;
    f->Erase();
    char name[sizeof rdr.gps_test.test_name];
    if (!take_name(f->text, name, sizeof name)) {
        service::message(kM, "The file name is not correct.", "Change it please.");
        return;
    }
    const std::string crn = std::string(kDataDir) + name + ".crn";
    struct stat st;
    if (stat(host_path(crn.c_str()).c_str(), &st) == 0) {
        service::message(kM, "The file with this name exists!", "Change it please.");
        return;
    }
    if (!service::ask(kM, "Do you want to start GPS file?", name))
        return;
    snprintf(rdr.gps_test.test_name, sizeof rdr.gps_test.test_name, "%s", name);
    int r;
    {
        MutexLock g(lock_dw);
        r = rdr.gps_test.gps_Create(1);
    }
    printf("test GPS file %s.crn created: %d\n", name, r);
    if (r == 0) {
        service::caption(kM, kFile, "Close GPS File");
    } else {
        MutexLock g(lock_dw);
        rdr.gps_test.gps_Close();
    }
}

void edit_interval()
{
    auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[kM][value_slot(kInterval)]);
    if (!f)
        return;
    long v = std::lround(edit_number(f));
    v = v < 1 ? 1 : v > 3600 ? 3600 : v;
    rdr.gps_test.period = int(v);
    f->sErase();
    snprintf(f->text, sizeof f->text, "%ld", v);
    f->Draw();
}

void gps_tick()
{
    gps_pos_show(kGpsPos);
    wheel_pos_show(kWheelPos);
}

} // namespace

int mode_39_positioning_tests()
{
    const uint8_t saved_trigger = eep.trig_code;
    eep.trig_code = 0; // the wheel position is polled as for wheel triggering
    reset_wheel();
    bool on = cu_on();
    enter_screen(kM);
    if (auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[kM][value_slot(kInterval)])) {
        f->sErase();
        snprintf(f->text, sizeof f->text, "%d", rdr.gps_test.period);
        f->Draw();
    }
    for (;;) {
        const int r = service::next_button(kM, on, gps_tick);
        if (r == 0) {
            // The antenna's own receiver is gone with the CU: its log ends here.
            if (!on && eep.gps_source == kAntennaGps)
                close_log();
            continue;
        }
        switch (r) {
        case kReset: reset_wheel(); break;
        case kInterval: edit_interval(); break;
        case kFile:
            if (rdr.gps_test.test_log)
                close_log();
            else
                create_log();
            break;
        case kBack:
            close_log();
            eep.trig_code = saved_trigger;
            return 0;
        default: break;
        }
        release(kM, r);
    }
}

void rows_positioning_tests(CMS& t)
{
    const int row = kM;
    put_title(t, row, "Positioning tests");
    t.put(row, kGpsPos, new CSDLText(16, 110, " ", 24, 1000, false, false, 11));
    t.put(row, kWheelPos, new CSDLText(16, 150, " ", 24, 1000, false, false, 11));
    put_line(t, row, kReset, 3, "Reset Wheel", false);
    service::put_long(t, row, kInterval, 4, 0, "Time interval for the measurement");
    t.put(row, value_slot(kInterval), new CSDLText_DCH(332, line_y(4) + 37, "1", 24, 40, 40, 90, 200, 5));
    put_line(t, row, kFile, 5, "Create GPS File", false);
    auto* name = new CSDLText_CH(332, line_y(6) + 37, "TEST_GPS_", 24, 40, 40, 90, 600, 40);
    name->visible = 0;
    t.put(row, kName, name);
    put_small(t, row, kBack, 11, 0, "Back");
    service::put_lamp(t, row);
}
