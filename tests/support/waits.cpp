#include "support/waits.h"

#include "gui/key_handover.h"

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// The pause between two looks grows from 1 ms to 20 ms: quick answers stay quick and a long
// wait does not take a core from the program it waits for.
void pace(int& ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    ms = ms < 20 ? ms * 2 : 20;
}

} // namespace

bool eventually(const std::function<bool()>& cond, double seconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
    for (int ms = 1;; pace(ms)) {
        if (cond())
            return true;
        if (ms_left(deadline) == 0)
            return cond();
    }
}

bool at_key_wait_when(const std::function<bool()>& cond, const std::function<void()>& then, double seconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
    for (int ms = 1;; pace(ms)) {
        bool holds = false;
        if (!handover_run_on_gui(
                [&] {
                    holds = cond();
                    if (holds && then)
                        then();
                },
                ms_left(deadline)))
            return false;
        if (holds)
            return true;
        if (ms_left(deadline) == 0)
            return false;
    }
}

bool key_waits_pass(int n, double seconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
    for (int i = 0; i < n; i++)
        if (!handover_run_on_gui([] {}, ms_left(deadline)))
            return false;
    return true;
}
