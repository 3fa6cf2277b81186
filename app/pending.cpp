#include "app/pending.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

void pending_skip(const char* what)
{
    static std::mutex m;
    static std::set<std::string> said;
    std::lock_guard<std::mutex> g(m);
    if (said.insert(what).second)
        printf("%s: not built yet, skipped\n", what);
}

void pending_link_word_a(unsigned)
{
    pending_skip("CU link (link word A from the unit number)");
}

void pending_backlight(unsigned char)
{
    pending_skip("power controller (backlight)");
}

void pending_message(const char* title, const char* text, bool wait_key)
{
    printf("[message%s] %s / %s\n", wait_key ? ", key" : "", title, text);
}

int pending_gps_qi()
{
    pending_skip("GPS reader (gps_qi)");
    return 0;
}

int pending_gps_synctime()
{
    pending_skip("GPS reader (gps_synctime)");
    return 0;
}
