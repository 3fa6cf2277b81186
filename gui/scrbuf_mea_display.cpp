#include "gui/scrbuf_mea_display.h"

#include "platform/globals.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/trace_store.h"

int CScrBufMeaDisplay::width()
{
    return buf && buf->width > 0 ? buf->width : CMeaDisplay::width();
}

void CScrBufMeaDisplay::columns(int n, bool full_redraw)
{
    if (!buf || (n <= 0 && !full_redraw))
        return;
    // A restarted store holds nothing of the window shown so far: follow the newest traces.
    const bool restarted = store_first() >= buf->first_trace + buf->width;
    buf->datatran(full_redraw ? 0 : n, false, 0, mode, jump_to_end || restarted);
    buf->Draw();
}

void CScrBufMeaDisplay::ruler(int trace, bool alert_flag)
{
    if (!buf || !buf->hr)
        return;
    buf->hr->SetPos(trace);
    buf->hr->state = alert_flag ? 1 : 0;
    buf->hr->Draw();
}

bool CScrBufMeaDisplay::take_alert()
{
    const bool a = alert;
    alert = false;
    return a;
}
