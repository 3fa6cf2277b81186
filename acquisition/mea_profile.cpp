#include "acquisition/mea_profile.h"

#include "acquisition/mea_radargram.h"
#include "files/radar_data.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_mea_display.h"
#include "platform/globals.h"

void close_open_profile()
{
    if (rdr.rd.fd >= 0)
        rdr.rd.hd.a_write();
    rdr.dClose(false);
}

bool marker_at(int trace, int value)
{
    for (const auto& m : rdr.rd.mrk.list)
        if (m->trace == trace && m->value == value)
            return true;
    return false;
}

void add_marker_now(int trace, int value, int type, const char* text)
{
    {
        MutexLock g(lock_dw);
        rdr.rd.mrk.add_marker(trace, int16_t(value), int16_t(type), text);
    }
    if (CScrBufMeaDisplay* d = installed_mea_display())
        d->alert = true;
    if (tbuf)
        tbuf->Draw();
}
