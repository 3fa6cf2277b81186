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


CuIdentity pending_cu_identity()
{
    pending_skip("CU identity and versions");
    return CuIdentity{};
}

int pending_battery_level()
{
    pending_skip("power controller (battery level)");
    return 1000;
}

int pending_parport_status()
{
    pending_skip("parallel port (status line)");
    return 0;
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

void pending_gps_show_disconnected()
{
    pending_skip("GPS display state (antenna GPS disconnected)");
}

void pending_acquisition_error5()
{
    pending_skip("acquisition error flags (thError5)");
}
