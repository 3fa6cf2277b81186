// The service dates (screen 42): the antenna's serial number, the last service and the next
// service due, kept in the parameter store packed as (year << 16) | (month << 8) | day, 0
// when not defined.
#include "gui/screen_loop.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "gui/date_time_field.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "screens/param_ui.h"
#include "screens/service_math.h"
#include "screens/service_screens.h"
#include "screens/service_ui.h"

#include <SDL/SDL.h>

using namespace params;

namespace {

constexpr int kM = 42;
constexpr int kSerial = 20;
constexpr int kLast = 2, kNext = 3, kErase = 5, kSave = 15, kBack = 16;

CSDLText_DT* date_field(int slot) { return dynamic_cast<CSDLText_DT*>(mS.obj[kM][value_slot(slot)]); }

// A date being edited: its value, 0 while not defined.
struct Dates {
    uint32_t last, next;
};

void show_date(int slot, uint32_t v)
{
    CSDLText_DT* f = date_field(slot);
    if (!f)
        return;
    int y, m, d;
    if (mode == kM)
        erase_text(f);
    if (unpack_date(v, y, m, d)) {
        f->val[0] = y;
        f->val[1] = m;
        f->val[2] = d;
        f->print_text();
    } else {
        f->SetText8("not defined");
    }
    if (mode == kM)
        f->Draw();
}

void show_serial(bool on)
{
    auto* t = dynamic_cast<CSDLText*>(mS.obj[kM][kSerial]);
    if (!t)
        return;
    char text[80];
    if (on) {
        uint32_t serial = 0;
        {
            MutexLock g(lock_dw);
            gpr.GetAntennaID(&serial);
        }
        snprintf(text, sizeof text, "Antenna Serial: %u", unsigned(serial));
    } else {
        snprintf(text, sizeof text, "No contact with antenna!");
    }
    if (mode == kM)
        erase_text(t);
    t->SetText8(text);
    if (mode == kM)
        t->Draw();
}

// Edits one date: a date not defined starts at the earliest the field offers.
uint32_t edit_date(int slot, uint32_t v)
{
    CSDLText_DT* f = date_field(slot);
    if (!f)
        return v;
    int y, m, d;
    if (!unpack_date(v, y, m, d)) {
        y = CSDLText_DT::vmin[0];
        m = 1;
        d = 1;
    }
    f->val[0] = y < CSDLText_DT::vmin[0] ? CSDLText_DT::vmin[0] : y > CSDLText_DT::vmax[0] ? CSDLText_DT::vmax[0] : y;
    f->val[1] = m;
    f->val[2] = d;
    edit_date_time(f, draw_battery);
    return pack_date(f->val[0], f->val[1], f->val[2]);
}

} // namespace

int mode_42_service_interval()
{
    Dates d{prm.date1, prm.date2};
    int y, m, day;
    if (!unpack_date(d.last, y, m, day))
        d.last = 0; // a damaged value reads as not defined
    if (!unpack_date(d.next, y, m, day))
        d.next = 0;
    bool on = cu_on();
    enter_screen(kM);
    show_serial(on);
    show_date(kLast, d.last);
    show_date(kNext, d.next);
    for (;;) {
        const int r = service::next_button(kM, on);
        if (r == 0) {
            show_serial(on);
            continue;
        }
        switch (r) {
        case kLast: d.last = edit_date(kLast, d.last); break;
        case kNext: d.next = edit_date(kNext, d.next); break;
        case kErase:
            d.last = d.next = 0;
            show_date(kLast, 0);
            show_date(kNext, 0);
            break;
        case kSave:
            prm.date1 = d.last;
            prm.date2 = d.next;
            printf("service dates: %08X %08X\n", unsigned(prm.date1), unsigned(prm.date2));
            prm.p_write();
            return 0;
        case kBack: return -1;
        default: break;
        }
        release(kM, r);
    }
}

void rows_service_dates(CMS& t)
{
    const int row = kM;
    put_title(t, row, "Service Intervals");
    t.put(row, kSerial, new CSDLText(16, 100, " ", 24, 700, false, false, 11));
    put_line(t, row, kLast, 1, "Last Service: ", false);
    t.put(row, value_slot(kLast), new CSDLText_DT(332, line_y(1) + 37, "", 24, 40, 40, 90, 300, 3));
    put_line(t, row, kNext, 2, "Next Service Due: ", false);
    t.put(row, value_slot(kNext), new CSDLText_DT(332, line_y(2) + 37, "", 24, 40, 40, 90, 300, 3));
    put_line(t, row, kErase, 4, "Erase Dates", false);
    put_small(t, row, kSave, 11, 0, "Save");
    put_small(t, row, kBack, 11, 1, "Cancel");
    service::put_lamp(t, row);
}
