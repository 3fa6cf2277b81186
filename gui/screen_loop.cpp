#include "gui/screen_loop.h"

#include "cu/parport.h"
#include "gui/backlight.h"
#include "gui/indicators.h"
#include "gui/input.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "platform/termination.h"

#include <SDL/SDL.h>
#include <cstring>

void select_row(int m)
{
    memcpy(mS.obj[0], mS.obj[m], sizeof mS.obj[0]);
    mS.cur_mode = m;
}

void draw_row(int m)
{
    select_row(m);
    mS.Draw();
    mS.DrawObjs(m);
    int f = curbutton[m];
    if (f < kFirstButton || f > kLastButton || !mS.obj[m][f] || !mS.obj[m][f]->visible)
        f = fnextb(kFirstButton - 1, 1);
    curbut = f;
    curbutDraw();
}

void draw_battery()
{
    if (auto* bat = dynamic_cast<CBattery*>(mS.obj[0][0]))
        bat->nDraw(false, bat_state1, parport.ppRead(1));
}

int next_button(int m, const std::function<bool()>& tick, int idle_ms)
{
    for (;;) {
        if (!tick())
            return 0;
        const int r = press_but_and_slid();
        if (r >= kFirstButton && r <= kLastButton) {
            curbutton[m] = uint16_t(r);
            return r;
        }
        // -1: nothing happened; other codes (Left/Right handled) look again at once.
        if (r == -1)
            SDL_Delay(Uint32(idle_ms));
    }
}

int next_button(int m)
{
    return next_button(m, [] {
        draw_battery();
        return true;
    });
}

int browse_full_screen(const std::function<bool()>& tick)
{
    for (;;) {
        if (!tick())
            return 0;
        const int r = press_but_and_slid();
        if (r == -1)
            SDL_Delay(10);
        else if (r != 100 && r != 101)
            return r;
    }
}

int poll_key()
{
    check_termination();
    SDL_Event e;
    while (gui_poll_event(&e)) {
        if (e.type == SDL_KEYDOWN && keypressed(e.type))
            return e.key.keysym.sym;
    }
    return SDLK_UNKNOWN;
}
