#include "screen_driver.h"

#include "acquisition/acq_state.h"
#include "platform/globals.h"
#include "app/timer.h"
#include "gui/input.h"

#include <gtest/gtest.h>

namespace {

ScreenDriver* current = nullptr;

void push(SDLKey k)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = k;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    e.key.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    SDL_PushEvent(&e);
}

int pending_events()
{
    SDL_Event e[8];
    SDL_PumpEvents();
    return SDL_PeepEvents(e, 8, SDL_PEEKEVENT, SDL_ALLEVENTS);
}

} // namespace

int focused_slot() { return curbut; }

ScreenDriver::ScreenDriver()
{
    current = this;
    mesmode_observer = &ScreenDriver::observe;
    timer_ = std::thread([this] {
        while (ticking_) {
            {
                MutexLock g(lock_m_sh);
                m_Show = true;
            }
            SDL_Delay(100);
        }
    });
}

ScreenDriver::~ScreenDriver()
{
    ticking_ = false;
    timer_.join();
    mesmode_observer = nullptr;
    current = nullptr;
}

void ScreenDriver::observe(const char* title, const char* text, int type)
{
    if (!current)
        return;
    std::lock_guard<std::mutex> g(current->m_);
    current->boxes_.push_back({title, text, type});
}

std::vector<ShownBox> ScreenDriver::boxes() const
{
    std::lock_guard<std::mutex> g(m_);
    return boxes_;
}

bool ScreenDriver::saw_box(const std::string& part) const
{
    for (const ShownBox& b : boxes())
        if (b.title.find(part) != std::string::npos || b.text.find(part) != std::string::npos)
            return true;
    return false;
}

void ScreenDriver::key(SDLKey k)
{
    if (failed_)
        return;
    // Let the screen settle into its input loop, so the key is not discarded with others.
    SDL_Delay(150);
    push(k);
    for (int i = 0; i < 500 && pending_events() > 0; i++)
        SDL_Delay(5);
    SDL_Delay(100);
}

void ScreenDriver::keys(SDLKey k, int times)
{
    for (int i = 0; i < times; i++)
        key(k);
}

bool ScreenDriver::wait(const std::function<bool()>& cond, double seconds)
{
    if (failed_)
        return false;
    for (int i = 0; i < int(seconds * 100); i++) {
        if (cond())
            return true;
        SDL_Delay(10);
    }
    if (cond())
        return true;
    fail("a wait timed out");
    return false;
}

bool ScreenDriver::wait_answering(const std::function<bool()>& cond, double seconds)
{
    if (failed_)
        return false;
    for (int i = 0; i < int(seconds * 10); i++) {
        if (cond())
            return true;
        bool waiting_box = false;
        {
            std::lock_guard<std::mutex> g(m_);
            waiting_box = !boxes_.empty() && boxes_.back().type == 0;
        }
        if (waiting_box && mode == 9)
            push(SDLK_SPACE);
        SDL_Delay(100);
    }
    if (cond())
        return true;
    fail("a wait timed out");
    return false;
}

bool ScreenDriver::wait_box(const std::string& part, double seconds)
{
    return wait([&] { return saw_box(part); }, seconds) && wait([] { return mode == 9; }, 5);
}

void ScreenDriver::fail(const char* what)
{
    ADD_FAILURE() << "screen script: " << what << " (mode " << mode << ", focus " << curbut << ")";
    failed_ = true;
}

int ScreenDriver::run(const std::function<int()>& screen, const std::function<void(ScreenDriver&)>& script)
{
    done_ = false;
    std::thread t([&] {
        script(*this);
        // A script that ended must have left the screens by now.
        for (int i = 0; i < 1500 && !done_ && !failed_; i++)
            SDL_Delay(10);
        if (!done_ && !failed_)
            fail("the screen did not return after the script");
        // Whatever is still open is left: boxes answered, lists closed, Stop and Back pressed.
        while (!done_) {
            SDLKey k = SDLK_ESCAPE;
            if (mode == 9)
                k = SDLK_RETURN;
            else if (mode == 2)
                k = curbut == 2 ? SDLK_RETURN : SDLK_RIGHT;
            else if (mode == 3)
                k = curbut == 3 ? SDLK_RETURN : SDLK_RIGHT;
            push(k);
            SDL_Delay(100);
        }
    });
    const int r = screen();
    done_ = true;
    t.join();
    return r;
}
