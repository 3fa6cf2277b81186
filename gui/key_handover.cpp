#include "gui/key_handover.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

struct Job {
    const std::function<void()>* fn;
    bool started = false, done = false;
};

// Set by the first presser: until then a key wait costs one atomic load.
std::atomic<bool> active{false};
// Never destroyed: a presser thread may still wait on them while the program exits, and a
// condition variable destroyed under a waiter blocks the exit.
std::mutex& m = *new std::mutex;
std::condition_variable& changed = *new std::condition_variable;

// All below under m.
bool offered = false;       // a press waits to be taken
uint64_t offer_id = 0;      // id of the last press offered
uint64_t taken_id = 0;      // id of the last press taken
SDLKey offered_sym = SDLK_UNKNOWN;
uint64_t key_waits = 0;     // key waits with nothing to hand over
uint64_t cancels = 0;       // handover_cancel() calls
std::deque<Job*>& jobs = *new std::deque<Job*>;

thread_local bool in_job = false; // a job's own polls take nothing

SDL_Event key_event(SDLKey sym, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.type = e.type;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    return e;
}

} // namespace

bool handover_at_key_wait(SDL_Event* out)
{
    if (!active.load(std::memory_order_acquire) || in_job)
        return false;
    std::unique_lock<std::mutex> l(m);
    // Code waiting for the GUI thread looks at the screen as it waits, before any key. Code
    // handed over while that runs waits for the next key wait.
    std::deque<Job*> now;
    now.swap(jobs);
    for (Job* j : now)
        j->started = true;
    if (!now.empty()) {
        changed.notify_all();
        l.unlock();
        in_job = true;
        for (Job* j : now)
            (*j->fn)();
        in_job = false;
        l.lock();
        for (Job* j : now)
            j->done = true;
        changed.notify_all();
    }
    if (offered) {
        offered = false;
        taken_id = offer_id;
        const SDLKey sym = offered_sym;
        changed.notify_all();
        l.unlock();
        *out = key_event(sym, true);
        // The release follows as the keypad sends it; loops that flush keys may drop it.
        SDL_Event up = key_event(sym, false);
        SDL_PushEvent(&up);
        return true;
    }
    key_waits++;
    changed.notify_all();
    return false;
}

bool handover_press(SDLKey sym, int timeout_ms)
{
    active.store(true, std::memory_order_release);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    std::unique_lock<std::mutex> l(m);
    const uint64_t epoch = cancels;
    // One press at a time, in the order the pressers came.
    if (!changed.wait_until(l, deadline, [&] { return !offered || cancels != epoch; }) || cancels != epoch)
        return false;
    offered = true;
    offered_sym = sym;
    const uint64_t id = ++offer_id;
    changed.wait_until(l, deadline, [&] { return taken_id >= id || cancels != epoch; });
    if (taken_id < id) {
        if (offered && offer_id == id)
            offered = false;
        return false;
    }
    // Taken: the screen dealt with it once its input loop waits again, or once the screens
    // the key went to have ended (handover_cancel).
    const uint64_t waits = key_waits;
    return changed.wait_until(l, deadline, [&] { return key_waits > waits || cancels != epoch; });
}

bool handover_run_on_gui(const std::function<void()>& fn, int timeout_ms)
{
    active.store(true, std::memory_order_release);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    Job job{&fn};
    std::unique_lock<std::mutex> l(m);
    const uint64_t epoch = cancels;
    jobs.push_back(&job);
    changed.wait_until(l, deadline, [&] { return job.started || cancels != epoch; });
    if (!job.started) {
        for (auto it = jobs.begin(); it != jobs.end(); ++it)
            if (*it == &job) {
                jobs.erase(it);
                break;
            }
        return false;
    }
    // Started: fn refers to the caller's frame, so the caller waits for its end.
    changed.wait(l, [&] { return job.done; });
    return true;
}

void handover_cancel()
{
    std::lock_guard<std::mutex> g(m);
    cancels++;
    changed.notify_all();
}

uint64_t handover_key_waits()
{
    std::lock_guard<std::mutex> g(m);
    return key_waits;
}
