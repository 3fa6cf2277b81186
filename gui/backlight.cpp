#include "gui/backlight.h"

#include "config/xml_pars.h"
#include "cu/picdrv.h"
#include "platform/globals.h"

#include <SDL/SDL.h>

int backlight_now = 0;

void set_backlight(int level)
{
    backlight_now = level;
    pic.Backlight(static_cast<unsigned char>(level));
}

void blight_sw(int from, int to)
{
    if (from == to)
        return;
    int step = to > from ? 10 : -10;
    for (int v = from; step > 0 ? v <= to : v >= to; v += step) {
        set_backlight(v);
        SDL_Delay(5);
    }
}

int configured_backlight()
{
    int l = xml_pars.backlighter_level;
    if (l < 20)
        l = 20;
    if (l > 100)
        l = 100;
    return l;
}

bool check_ps()
{
    MutexLock g(lock_ps);
    bool restored = false;
    if (powersave1 == 121) {
        set_backlight(configured_backlight());
        restored = true;
    }
    powersave1 = 0;
    return restored;
}

bool keypressed(unsigned event_type)
{
    if (event_type != SDL_KEYDOWN)
        return false;
    return !check_ps();
}
