#include "gui_fixture.h"

#include "platform/globals.h"
#include "config/parameters.h"
#include "gui/input.h"
#include "gui/key_handover.h"
#include "support/waits.h"
#include "gui/lang.h"
#include "gui/screen_table.h"

#include <cstdlib>
#include <mutex>

namespace {
std::mutex log_mutex;
std::vector<Shown>* log_target = nullptr;

void observe(const char* title, const char* text, int type)
{
    std::lock_guard<std::mutex> g(log_mutex);
    if (log_target)
        log_target->push_back({title, text, type});
}
std::vector<Shown> log_store;
} // namespace

void gui_reset(int language)
{
    init_globals();
    prm.language = uint8_t(language);
    lngs.create_M(language);
    mS.del_objs();
    mS.Init();
    mode = 34;
    curbut = 2;
    drain_events();
}

MessageLog::MessageLog()
{
    std::lock_guard<std::mutex> g(log_mutex);
    log_store.clear();
    log_target = &log_store;
    mesmode_observer = observe;
}

MessageLog::~MessageLog()
{
    std::lock_guard<std::mutex> g(log_mutex);
    mesmode_observer = nullptr;
    log_target = nullptr;
}

std::vector<Shown> MessageLog::all() const
{
    std::lock_guard<std::mutex> g(log_mutex);
    return log_store;
}

bool MessageLog::contains(const std::string& title) const
{
    for (const Shown& s : all())
        if (s.title == title)
            return true;
    return false;
}

void push_key(SDLKey k)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.type = SDL_KEYDOWN;
    e.key.keysym.sym = k;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    e.key.type = SDL_KEYUP;
    SDL_PushEvent(&e);
}

void drain_events()
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
}

KeyHand::KeyHand(std::vector<SDLKey> keys, bool repeat_enter, std::function<void()> first)
{
    t_ = std::thread([this, keys, repeat_enter, first] {
        // Each key goes to the dialog's own key wait, so none is flushed as an earlier key.
        if (first && !handover_run_on_gui(first, int(kWaitSeconds * 1000)))
            return;
        for (SDLKey k : keys)
            if (stop_ || !handover_press(k, int(kWaitSeconds * 1000)))
                return;
        while (repeat_enter && !stop_)
            handover_press(SDLK_RETURN, int(kWaitSeconds * 1000));
    });
}

KeyHand::~KeyHand()
{
    stop_ = true;
    handover_cancel(); // the dialog has ended: a key offered now finds no taker
    t_.join();
    drain_events();
}

Px pixel_at(int x, int y)
{
    SDL_Surface* s = screen;
    Uint16 v = static_cast<Uint16*>(s->pixels)[y * (s->pitch / 2) + x];
    Uint8 r, g, b;
    SDL_GetRGB(v, s->format, &r, &g, &b);
    return {r, g, b};
}

bool is_background(Px p)
{
    return std::abs(p.r - 53) < 8 && std::abs(p.g - 38) < 8 && std::abs(p.b - 38) < 8;
}

bool is_focus_yellow(Px p) { return p.r > 240 && p.g > 240 && p.b < 16; }

int ink_in(int x, int y, int w, int h)
{
    int n = 0;
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++)
            if (!is_background(pixel_at(i, j)))
                n++;
    return n;
}
