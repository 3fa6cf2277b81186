#include "platform/termination.h"

#include <SDL/SDL.h>
#include <atomic>
#include <csignal>
#include <pthread.h>

namespace {

std::atomic<bool> requested{false};
void (*end_action)() = nullptr; // set once in main, before any other thread runs

void* watcher(void*)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    int sig = 0;
    while (sigwait(&set, &sig) == 0) {
        request_termination();
    }
    return nullptr;
}

} // namespace

void install_termination_handling(void (*end_program)())
{
    end_action = end_program;
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    pthread_t t;
    if (pthread_create(&t, nullptr, watcher, nullptr) == 0)
        pthread_detach(t);
}

bool termination_requested()
{
    return requested.load(std::memory_order_acquire);
}

void request_termination()
{
    if (requested.exchange(true, std::memory_order_acq_rel))
        return; // already on its way; an SDL_QUIT handler calling here must not loop
    SDL_Event e;
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
}

void check_termination()
{
    if (end_action && termination_requested())
        end_action();
}
