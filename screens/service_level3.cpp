// System parameters level 3 (25): the factory settings of the antenna kept by the CU: its
// serial number, the CU's hardware type (production line), the antenna's type and model,
// the antenna's name, and the zeroing of the antenna's permanent parameters.
#include "gui/screen_loop.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "gui/decimal_field.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "screens/param_ui.h"
#include "screens/service_math.h"
#include "screens/service_screens.h"
#include "screens/service_ui.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>

using namespace params;

namespace {

constexpr int kM = 25;
constexpr int kSerial = 2, kProdLine = 3, kType = 4, kModel = 5, kName = 6, kInit = 7, kLevel2 = 8, kQuit = 17;

// What the CU holds of the antenna (valid while the CU is on).
struct Identity {
    uint32_t serial = 0;
    uint16_t type = 0, model = 0;
};

Identity read_identity()
{
    Identity d;
    MutexLock g(lock_dw);
    const uint32_t id = gpr.GetAntennaID(&d.serial);
    d.type = uint16_t(id & 0xFFFF);
    d.model = uint16_t(id >> 16);
    return d;
}

CSDLText_DCH* field(int slot) { return dynamic_cast<CSDLText_DCH*>(mS.obj[kM][value_slot(slot)]); }

void show_all(bool on, const Identity& d)
{
    if (CSDLText_DCH* f = field(kSerial)) {
        if (mode == kM)
            f->sErase();
        if (on)
            snprintf(f->text, sizeof f->text, "%u", unsigned(d.serial));
        else
            snprintf(f->text, sizeof f->text, " ");
        if (mode == kM)
            f->Draw();
    }
    if (on) {
        show_valuef(kM, kProdLine, "%u", unsigned(gpr.versions[2]));
        show_valuef(kM, kType, "%u", unsigned(d.type));
        show_valuef(kM, kModel, "%u", unsigned(d.model));
    } else {
        for (int s : {kProdLine, kType, kModel})
            show_value(kM, s, " ");
    }
    show_value(kM, kName, eep.ant_name);
}

void send_identity(const Identity& d)
{
    MutexLock g(lock_dw);
    gpr.SetAntennaID(uint32_t(d.type) | (uint32_t(d.model) << 16), d.serial);
}

// Asks for the serial number until it is a number of at most 8 digits, not negative.
void edit_serial(Identity& d)
{
    CSDLText_DCH* f = field(kSerial);
    if (!f)
        return;
    for (;;) {
        edit_text(f);
        int32_t v = 0;
        SerialCheck c = check_serial_text(f->text, v);
        // The CU keeps the serial unsigned: a negative one would come back as ten digits.
        if (c == SerialCheck::Ok && v < 0)
            c = SerialCheck::NotCorrect;
        if (c == SerialCheck::Ok) {
            d.serial = uint32_t(v);
            send_identity(d);
            return;
        }
        if (c == SerialCheck::TooBig)
            service::message(kM, "The number is too big.", " It has to be < 100000000.");
        else
            service::message(kM, "The number is not correct. There must be no spaces",
                             "between digits, '-' can be only before the first digit.");
    }
}

// Left/Right steps a 16-bit value shown in `slot` until Enter.
void edit_word(int slot, uint32_t& v, uint32_t top)
{
    for (;;) {
        const int k = edit_key(draw_battery);
        if (k == SDLK_RETURN || !cu_on())
            return;
        if (k == SDLK_RIGHT && v < top)
            v++;
        else if (k == SDLK_LEFT && v > 0)
            v--;
        show_valuef(kM, slot, "%u", unsigned(v));
    }
}

// The antenna record's own name: the name shown adds the antenna's version, which must not
// become part of the stored name (it would be added again at every load).
void edit_name()
{
    auto* f = dynamic_cast<CSDLText_CH*>(mS.obj[kM][value_slot(kName)]);
    CAntennaRecord* rec = eep.ant_record;
    if (!f || !rec)
        return;
    snprintf(f->text, sizeof f->text, "%.*s", int(strnlen(rec->name, sizeof rec->name)), rec->name);
    edit_text(f);
    // Trailing blanks of the entry are not part of the name.
    size_t n = strnlen(f->text, sizeof f->text);
    while (n > 0 && f->text[n - 1] == ' ')
        f->text[--n] = 0;
    if (n == 0)
        return;
    snprintf(rec->name, sizeof rec->name, "%.*s", int(sizeof rec->name - 1), f->text);
    eep.GetAName_HF(eep.ant_name, true, true, sizeof eep.ant_name);
    {
        MutexLock g(lock_dw);
        eep.psave_l_a();
    }
    xml_pars.write_xml_tree();
}

} // namespace

int mode_25_sys_pars_level_3()
{
    bool on = cu_on();
    Identity d = on ? read_identity() : Identity{};
    enter_screen(kM);
    show_all(on, d);
    for (;;) {
        const int r = service::next_button(kM, on);
        if (r == 0) {
            d = on ? read_identity() : Identity{};
            show_all(on, d);
            continue;
        }
        const bool needs_cu = r == kSerial || r == kProdLine || r == kType || r == kModel || r == kInit;
        if (needs_cu && !on) {
            release(kM, r);
            continue;
        }
        switch (r) {
        case kSerial: edit_serial(d); break;
        case kProdLine: {
            uint32_t v = gpr.versions[2];
            edit_word(kProdLine, v, 0xFFFF);
            gpr.versions[2] = v;
            MutexLock g(lock_dw);
            gpr.Set_HW_Versions();
            break;
        }
        case kType:
        case kModel: {
            uint32_t v = r == kType ? d.type : d.model;
            edit_word(r, v, 0xFFFF);
            (r == kType ? d.type : d.model) = uint16_t(v);
            send_identity(d);
            break;
        }
        case kName: edit_name(); break;
        case kInit:
            if (service::ask(kM, "Are you sure to zero all antenna parameters?", "Antenna will be restarted after this.")) {
                MutexLock g(lock_dw);
                gpr.WriteParameters(1);
                gpr.Reset_P();
            }
            break;
        case kLevel2: mode_22_sys_pars_level_2(); enter_screen(kM); break;
        case kQuit: return 0;
        default: break;
        }
        on = cu_on();
        show_all(on, d);
        release(kM, r);
    }
}

void rows_service_level3(CMS& t)
{
    const int row = kM;
    put_title(t, row, "System Parameters (level 3)");
    put_line(t, row, kSerial, 0, "Antenna ID (Serial):", false);
    t.put(row, value_slot(kSerial), new CSDLText_DCH(332, line_y(0) + 37, " ", 24, 40, 40, 90, 300, 12));
    put_line(t, row, kProdLine, 1, "Prod.Line:");
    put_line(t, row, kType, 2, "Antenna Type:");
    put_line(t, row, kModel, 3, "Antenna Model:");
    put_line(t, row, kName, 4, "Antenna name", false);
    t.put(row, value_slot(kName), new CSDLText_CH(332, line_y(4) + 37, " ", 24, 40, 40, 90, 400, 40));
    put_line(t, row, kInit, 5, "Init permanent data area", false);
    put_line(t, row, kLevel2, 6, "System Parameters (level2)", false);
    put_small(t, row, kQuit, 11, 0, "Quit");
    service::put_lamp(t, row);
}
