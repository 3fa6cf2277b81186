// The position check screen (screen 35): wheel and GPS positions while the antenna is moved.
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "app/screens.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/screen_loop.h"
#include "gui/rows.h"
#include "gui/screen_table.h"

#include <SDL/SDL.h>

namespace {

// Zeroes the current wheel's counter in the CU (nothing to do while the CU is off).
void reset_wheel()
{
    bool on;
    {
        MutexLock g(lock_cuOn);
        on = pisOn;
    }
    if (!on)
        return;
    MutexLock g(lock_dw);
    gpr.SetWheelPos(xml_pars.current_wheel, 0, 0);
}

} // namespace

void position_check_screen()
{
    using namespace poscheck;
    mode = 35;
    tbuf = nullptr;
    curbutton[35] = kReset;
    uint8_t saved_trigger = eep.trig_code;
    eep.trig_code = 0; // wheel
    reset_wheel();

    CButton* buttons[kLastButton + 1];
    mS.DrawObjs(35);
    Init_All_Buttons(buttons);
    mS.Draw();
    mS.DrawObjs(35);
    curbut = curbutton[35];
    curbutDraw();
    for (;;) {
        const int r = next_button(35, [] {
            draw_battery();
            gps_pos_show(poscheck::kGpsPos);
            wheel_pos_show(poscheck::kWheelPos);
            return true;
        });
        if (r == kReset) {
            reset_wheel();
            if (buttons[kReset])
                buttons[kReset]->Release();
        } else if (r == kBack) {
            break;
        }
    }
    eep.trig_code = saved_trigger;
}
