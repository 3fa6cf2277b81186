#include "acquisition/trace_alert.h"

#include "acquisition/acq_state.h"
#include "gui/input.h"
#include "gui/rows.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"

#include <cstdio>

namespace {
int shown_missed = 0, shown_filled = 0;

CSDLText* alert_label() { return dynamic_cast<CSDLText*>(mS.obj[0][meas::kTraceAlert]); }
} // namespace

void trace_alert_text(int missed, int filled, char* out, int size)
{
    if (size <= 0)
        return;
    out[0] = 0;
    if (missed > 0 && filled > 0)
        snprintf(out, size_t(size), "TOO FAST! %d traces missed, %d blank", missed, filled);
    else if (missed > 0)
        snprintf(out, size_t(size), "TOO FAST! %d traces missed", missed);
    else if (filled > 0)
        snprintf(out, size_t(size), "DATA LOSS! %d blank traces", filled);
}

void trace_alert_reset()
{
    shown_missed = shown_filled = 0;
    if (CSDLText* t = alert_label())
        t->visible = 0;
}

void trace_alert_show(bool force)
{
    const int missed = run_missed_triggers, filled = run_filled_traces;
    CSDLText* t = alert_label();
    if (!t || (!force && missed == shown_missed && filled == shown_filled))
        return;
    shown_missed = missed;
    shown_filled = filled;
    char text[96];
    trace_alert_text(missed, filled, text, sizeof text);
    if (!text[0]) {
        t->visible = 0;
        return;
    }
    t->Erase();
    t->SetText8(text);
    t->visible = 1;
    t->Draw();
}

void trace_alert_at_stop()
{
    const int missed = tot_missed_traces_CU >= 0 ? int(tot_missed_traces_CU) : int(run_missed_triggers);
    const int filled = run_filled_traces;
    printf("traces skipped: %d (CU: %d), blank: %d\n", int(run_missed_triggers), int(tot_missed_traces_CU),
           filled);
    if (missed <= 0 && filled <= 0)
        return;
    char line1[96] = "", line2[96] = "";
    if (missed > 0)
        snprintf(line1, sizeof line1, "Cart too fast: %d traces missed", missed);
    if (filled > 0)
        snprintf(missed > 0 ? line2 : line1, sizeof line1, "%d trace%s lost, stored blank", filled,
                 filled == 1 ? "" : "s");
    if (missed > 0 && !line2[0])
        snprintf(line2, sizeof line2, "Move slower or use a longer trace interval");
    mesmode(line1, line2, true, 3);
}
