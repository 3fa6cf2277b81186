#include "acquisition/mea_loop.h"

#include "acquisition/acquisition.h"
#include "acquisition/mea_screens.h"
#include "gui/screen_loop.h"
#include "platform/globals.h"

bool measurement_tick()
{
    if (take_m_show() && !doMea())
        return false;
    trig_pos_show();
    add_pos_show();
    draw_battery();
    return true;
}

int back_code() { return ProjN == 2 ? 37 : 2; }
