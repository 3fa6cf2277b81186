#include "gui/backlight.h"

#include "config/xml_pars.h"
#include "cu/picdrv.h"
#include "gui/draw.h"
#include "gui/sdl_object.h"
#include "platform/globals.h"
#include "platform/host_paths.h"

#include <SDL/SDL.h>
#include <atomic>

int backlight_now = 0;

namespace {

// The level the simulated screen shows; written by any thread, applied by the GUI thread.
std::atomic<int> wanted_level{-1};
int shown_level = -1;
// While the simulated backlight is below its configured level the program draws into this
// copy of the screen, and the window shows it darkened; it goes back whole when lit again.
SDL_Surface* lit = nullptr;
SDL_Surface* video = nullptr;

void present_dimmed(int level)
{
    SDL_BlitSurface(lit, nullptr, video, nullptr);
    const int full = configured_backlight();
    const int alpha = 255 - 255 * (level < 0 ? 0 : level) / (full > 0 ? full : 100);
    if (SDL_Surface* black = SDL_CreateRGBSurface(SDL_SWSURFACE, video->w, video->h, 16, 0, 0, 0, 0)) {
        SDL_FillRect(black, nullptr, 0);
        SDL_SetAlpha(black, SDL_SRCALPHA, Uint8(alpha > 255 ? 255 : alpha));
        SDL_BlitSurface(black, nullptr, video, nullptr);
        SDL_FreeSurface(black);
    }
    SDL_UpdateRect(video, 0, 0, 0, 0);
}

} // namespace

void set_backlight(int level)
{
    backlight_now = level;
    pic.Backlight(static_cast<unsigned char>(level));
    if (sim_active())
        wanted_level = level;
}

void show_backlight()
{
    const int level = wanted_level;
    if (level < 0 || level == shown_level || !screen)
        return;
    shown_level = level;
    const bool dim = level < configured_backlight();
    if (dim && !lit) {
        video = screen;
        lit = SDL_ConvertSurface(video, video->format, SDL_SWSURFACE);
        if (!lit)
            return;
        screen = lit;
    }
    if (!lit)
        return;
    if (dim) {
        present_dimmed(level);
        return;
    }
    SDL_BlitSurface(lit, nullptr, video, nullptr);
    screen = video;
    SDL_FreeSurface(lit);
    lit = nullptr;
    SDL_UpdateRect(video, 0, 0, 0, 0);
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
    const bool woke = check_ps();
    show_backlight();
    return !woke;
}
