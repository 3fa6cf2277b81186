#include "screens/service_ui.h"

#include "gui/screen_loop.h"
#include "gui/button.h"
#include "gui/indicators.h"
#include "gui/input.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "screens/param_ui.h"

namespace service {

void put_lamp(CMS& t, int row) { t.put(row, kLamp, new ON_OFF_Indicator(700, 6, 72, 40)); }

void put_long(CMS& t, int row, int slot, int line, int column, const char* label)
{
    t.put(row, slot, new CButton("5", 16 + 320 * column, params::line_y(line), "", 0, 0, label, -1, -1, 15, 11));
}

bool pass(int m)
{
    const bool on = params::cu_on();
    if (auto* lamp = dynamic_cast<ON_OFF_Indicator*>(mS.obj[m][kLamp])) {
        if (lamp->state != int(on)) {
            lamp->set_state(on ? 1 : 0);
            if (mode == m)
                lamp->Draw();
        }
    }
    draw_battery();
    return on;
}

int next_button(int m, bool& on, void (*tick)())
{
    bool changed = false;
    const int r = ::next_button(m, [&] {
        const bool now = pass(m);
        if (now != on) {
            on = now;
            changed = true;
            return false;
        }
        if (tick)
            tick();
        return true;
    });
    return changed ? 0 : r;
}

void caption(int m, int slot, const char* text)
{
    CButton* b = params::button(m, slot);
    if (!b)
        return;
    b->SetLabel(text);
    if (mode == m && b->visible) {
        b->Erase();
        b->Draw();
        if (curbut == slot)
            curbutDraw();
    }
}

void message(int m, const char* title, const char* text)
{
    mesmode(title, text, true, 0);
    params::enter_screen(m);
}

bool ask(int m, const char* title, const char* text)
{
    const int r = mesmode(title, text, true, 1);
    params::enter_screen(m);
    return r == 2;
}

} // namespace service
