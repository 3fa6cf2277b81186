#include "screen_driver.h"

#include "acquisition/acq_state.h"
#include "platform/globals.h"
#include "app/timer.h"
#include "gui/input.h"
#include "gui/key_handover.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

ScreenDriver* current = nullptr;

using Clock = std::chrono::steady_clock;

Clock::time_point after(double seconds)
{
    return Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
}

int ms_left(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// How long one key may take: a screen that does not wait for a key again within this
// time is stuck (this is a failure guard, not a pace).
constexpr double kKeySeconds = 60;

} // namespace

int focused_slot() { return curbut; }

ScreenDriver::ScreenDriver()
{
    current = this;
    mesmode_observer = &ScreenDriver::observe;
    // The periodic timer's request for the measurement display, every 100 ms.
    timer_ = std::thread([this] {
        std::unique_lock<std::mutex> l(tick_m_);
        while (!done_ticking_) {
            l.unlock();
            {
                MutexLock g(lock_m_sh);
                m_Show = true;
            }
            l.lock();
            tick_.wait_for(l, std::chrono::milliseconds(100), [this] { return done_ticking_; });
        }
    });
}

ScreenDriver::~ScreenDriver()
{
    {
        std::lock_guard<std::mutex> g(tick_m_);
        done_ticking_ = true;
    }
    tick_.notify_all();
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
    if (!handover_press(k, int(kKeySeconds * 1000)))
        fail("the screen did not take a key or did not wait for the next one");
}

void ScreenDriver::keys(SDLKey k, int times)
{
    for (int i = 0; i < times; i++)
        key(k);
}

bool ScreenDriver::on_gui(const std::function<void()>& fn)
{
    if (failed_)
        return false;
    if (handover_run_on_gui(fn, int(kKeySeconds * 1000)))
        return true;
    fail("no screen waited for a key");
    return false;
}

int ScreenDriver::focus()
{
    int f = -1;
    on_gui([&] { f = curbut; });
    return f;
}

bool ScreenDriver::wait(const std::function<bool()>& cond, double seconds)
{
    if (failed_)
        return false;
    // Looked at on the GUI thread while its screen waits for a key, as the operator would.
    if (at_key_wait_when(cond, {}, seconds))
        return true;
    fail("a wait timed out");
    return false;
}

bool ScreenDriver::wait_answering(const std::function<bool()>& cond, double seconds)
{
    if (failed_)
        return false;
    const auto deadline = after(seconds);
    for (;;) {
        bool holds = false, box_waits = false;
        if (!at_key_wait_when(
                [&] {
                    holds = cond();
                    std::lock_guard<std::mutex> g(m_);
                    box_waits = mode == 9 && !boxes_.empty() && boxes_.back().type == 0;
                    return holds || box_waits;
                },
                {}, ms_left(deadline) / 1000.0))
            break;
        if (holds)
            return true;
        key(SDLK_SPACE); // a notice that waits for any key
        if (failed_)
            return false;
    }
    fail("a wait timed out");
    return false;
}

bool ScreenDriver::wait_box(const std::string& part, double seconds)
{
    // Looked at while a screen waits for a key: a box that waits for one is that screen, a
    // box shown for a while has gone again.
    return wait([&] { return saw_box(part); }, seconds);
}

void ScreenDriver::fail(const char* what)
{
    if (failed_.exchange(true))
        return;
    int m = -1, f = -1;
    handover_run_on_gui([&] {
        m = mode;
        f = curbut;
    }, 2000);
    ADD_FAILURE() << "screen script: " << what << " (mode " << m << ", focus " << f << ")";
}

int ScreenDriver::run(const std::function<int()>& screen, const std::function<void(ScreenDriver&)>& script)
{
    {
        std::lock_guard<std::mutex> g(m_);
        done_ = false;
    }
    std::thread t([&] {
        script(*this);
        // A script that ended must have left the screens.
        bool left;
        {
            std::unique_lock<std::mutex> l(m_);
            left = returned_.wait_for(l, std::chrono::seconds(30), [&] { return done_; });
        }
        if (!left && !failed_)
            fail("the screen did not return after the script");
        // Whatever is still open is left: boxes answered, lists closed, Stop and Back pressed.
        const auto give_up = after(120);
        for (;;) {
            {
                std::lock_guard<std::mutex> g(m_);
                if (done_)
                    break;
            }
            if (ms_left(give_up) == 0) {
                // A hung test program would hide every later result: end it as a failure.
                fail("the screens could not be left");
                fprintf(stderr, "screen script: the screens could not be left\n");
                abort();
            }
            SDLKey k = SDLK_ESCAPE;
            if (!handover_run_on_gui(
                    [&] {
                        if (mode == 9)
                            k = SDLK_RETURN;
                        else if (mode == 2)
                            k = curbut == 2 ? SDLK_RETURN : SDLK_RIGHT;
                        else if (mode == 3)
                            k = curbut == 3 ? SDLK_RETURN : SDLK_RIGHT;
                    },
                    1000))
                continue;
            handover_press(k, 5000);
        }
    });
    const int r = screen();
    {
        std::lock_guard<std::mutex> g(m_);
        done_ = true;
    }
    returned_.notify_all();
    handover_cancel(); // the script's pending looks and keys find no screen any more
    t.join();
    return r;
}
