// The small display steps the measurement, menu and parameter screens share: the ruler
// follower, the single-trace view, the wheel and GPS texts and the GPS quality lamp.
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/mea_buf.h"
#include "acquisition/mea_screens.h"
#include "app/timer.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/rounding.h"
#include "files/profile_record.h"
#include "files/radar_data.h"
#include "grid/top_view.h"
#include "gui/input.h"
#include "gui/lang.h"
#include "gui/indicators.h"
#include "gui/label_value.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/screen_table.h"
#include "gui/trace_view.h"
#include "platform/globals.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

int prev_hrlcur = -1;
int prev_csmea = -1;

namespace {

// Puts an 8-bit text into a text object of the current row: the value of a label-with-value
// line, or the whole text of a plain one.
void set_slot_text(int slot, const char* text)
{
    if (slot < 0 || slot >= kSlots)
        return;
    CSDLObject* o = mS.obj[0][slot];
    if (auto* dub = dynamic_cast<CSDLText_Dub*>(o)) {
        dub->SetValue(text);
        if (dub->visible)
            dub->Draw();
    } else if (auto* t = dynamic_cast<CSDLText*>(o)) {
        t->Erase();
        t->SetText8(text);
        if (t->visible)
            t->Draw();
    }
}

CTraceView* current_trace_view()
{
    for (int s = 19; s <= 38; s++)
        if (auto* tv = dynamic_cast<CTraceView*>(mS.obj[0][s]))
            return tv;
    return tbuf ? tbuf->tv : nullptr;
}

} // namespace

int current_trigger_trace()
{
    if (eep.trig_code == kTrigTime || eep.trig_code == kTrigKeyboard)
        return shown_traces;
    return gl_mea_dir * curWhPosition / (triggCond < 1 ? 1 : triggCond);
}

bool take_m_show()
{
    MutexLock g(lock_m_sh);
    const bool s = m_Show;
    m_Show = false;
    return s;
}

void trig_pos_show()
{
    CScrBuf* b = tbuf;
    if (!b || !b->hr)
        return;
    {
        MutexLock g(lock1_2);
        if (canPShow) {
            canPShow = false;
            b->hr->SetPos(current_trigger_trace());
        }
    }
    const int pos = b->hr->position;
    const int cursor = b->hcur_on ? b->hcur_row : -1;
    if (pos == prev_hrlcur && cursor == prev_csmea)
        return;
    if (pos != prev_hrlcur && b->width > 0) {
        const int newest = shown_traces;
        if (pos >= newest - 1) {
            jump_to_end = true;
            b->datatran(0, false, 0, mode, true);
        } else if (pos < b->first_trace) {
            jump_to_end = false;
            b->datatran(pos - b->first_trace, true, 0, mode, false);
        } else if (pos >= b->first_trace + b->width) {
            jump_to_end = false;
            b->datatran(pos - (b->first_trace + b->width - 1), true, 0, mode, false);
        }
    }
    b->Draw();
    prev_hrlcur = pos;
    prev_csmea = cursor;
}

int show_Trace(int type)
{
    CTraceView* tv = current_trace_view();
    if (!tv)
        return 0;
    MutexLock g(lock_t2);
    bool on;
    {
        MutexLock c(lock_cuOn);
        on = pisOn;
    }
    if (!on) {
        tv->tDraw(nullptr, -1, 0, -1, false, "Control Unit is OFF");
        return 0;
    }
    if (type == 1) {
        tv->tDraw(nullptr, -1, 0, -1, false, "Changing Parameters");
        return 0;
    }
    if (canShow) {
        canShow = false;
        tv->tDraw(ttrace, -1, type == 3 ? 3 : 1, -1, true, "");
        return 0;
    }
    if (thError) {
        char caption[64];
        switch (TraceError.load()) {
        case 5352: snprintf(caption, sizeof caption, "Error: No \"Trace Ready\"!"); break;
        case 9704: snprintf(caption, sizeof caption, "Busy doesn't go low!"); break;
        case 14056: snprintf(caption, sizeof caption, "Busy doesn't go high!"); break;
        default: snprintf(caption, sizeof caption, "Error = %d", TraceError.load()); break;
        }
        tv->tDraw(nullptr, -1, 0, -1, false, caption);
        thError = false;
        return 1;
    }
    if (thError2) {
        thError2 = false;
        return 2;
    }
    return 0;
}

void wheel_pos_show(int slot)
{
    char text[kWheelTextSize];
    {
        MutexLock g(lock_wheel);
        if (!can_Wheel_Show)
            return;
        can_Wheel_Show = false;
        snprintf(text, sizeof text, "%s", wheel_str_01);
    }
    if (mode == 35 && strlen(text) < 2)
        snprintf(text, sizeof text, "No wheel");
    set_slot_text(slot, text);
}

int q_indicator_show()
{
    auto* lamp = dynamic_cast<CGPS_Indicator*>(mS.obj[0][1]);
    if (!eep.gps_enabled) {
        if (lamp && lamp->state != 0) {
            lamp->state = 0;
            lamp->Draw();
        }
        return 0;
    }
    int qi;
    {
        MutexLock g(lock3);
        if (!can_GPS_Show)
            return 0;
        can_GPS_Show = 0;
        qi = gps_qi;
    }
    int level;
    if (qi < 0)
        level = 0;
    else if (qi == 1 || qi == 3 || qi == 6)
        level = 2;
    else if (qi == 2 || qi == 5)
        level = xml_pars.gps_best == 1 ? 2 : 3;
    else if (qi == 4)
        level = 3;
    else
        level = 1;
    if (lamp) {
        lamp->state = level;
        lamp->Draw();
    }
    return 1;
}

int gps_pos_show(int slot)
{
    if (!q_indicator_show())
        return 0;
    char text[kGpsTextSize + 48];
    char alt[kFixTextSize + 2];
    {
        MutexLock g(lock3);
        snprintf(text, kGpsTextSize, "%s", gps_str_01);
        snprintf(alt, sizeof alt, "%s%c", f_alt, f_alt_ch ? f_alt_ch : ' ');
    }
    if (strlen(text) < 2) {
        if (mode == 35 || mode == 39)
            snprintf(text, sizeof text, "No info from GPS");
    } else if (strcmp(text, "NO COORDINATES") != 0) {
        // Three blanks, then the altitude; the position keeps its hemisphere letter.
        const size_t n = strlen(text);
        snprintf(text + n, sizeof text - n, "   %s", alt);
    }
    set_slot_text(slot, text);
    return 1;
}

int satellites_show(int slot)
{
    if (!q_indicator_show())
        return 0;
    char text[kGpsTextSize];
    {
        MutexLock g(lock3);
        snprintf(text, sizeof text, "%s", gps_str_01);
    }
    if (!text[0] || (text[0] == ' ' && !text[1]))
        snprintf(text, sizeof text, "No info from GPS");
    set_slot_text(slot, text);
    return 1;
}

int add_pos_show() { return gps_pos_show(27); }

bool show_Matrix(CTopView* view)
{
    const char* title = lngs[63];
    const char* a = nullptr;
    const char* b = "";
    if (thError)
        a = "(code 01 - No data coming)";
    else if (thError2)
        a = "No stacks in 32b mode!";
    else if (thError3)
        a = "(code 03 - Corrupted Data)";
    else if (thError4)
        a = "(code 04 - Corrupted Data)";
    else if (wrError) {
        a = "Write to disk Error";
        b = "Disk is full";
    } else if (memError) {
        a = "Unknown error!";
        b = "Contact support";
    }
    if (a) {
        MStop(0);
        char text[160];
        snprintf(text, sizeof text, "%s%s%s", a, b[0] ? " " : "", b);
        mesmode(title, text, true, 0, 2, "", true);
        return false;
    }
    CTraceView* tv = view ? view->tv : nullptr;
    bool got = false, overflow = false;
    {
        MutexLock g(lock1);
        got = canShow;
        canShow = false;
    }
    if (got) {
        MutexLock g(lock_mea_buf);
        if (mea_buf.count > 0 && tv) {
            const float* s = mea_buf.slot(mea_buf.count - 1);
            static int32_t newest[CMeaBuf::kSlotSamples];
            const int n = std::min<int>(eep.samples, CMeaBuf::kSlotSamples);
            for (int i = 0; i < n; i++)
                newest[i] = mrnd(double(s[i]) * 8192.0 / 8.0);
            tv->tDraw(newest, -1, 1, -1, true, "");
        }
        overflow = mea_buf.not_fitted > 0;
        mea_buf.clear();
    } else if (view && view->hr) {
        view->hr->state = 0; // no new traces: a pending ruler alert goes
    }
    if (overflow && tv)
        tv->tDraw(nullptr, -1, 0, -1, false, "");
    if (!view)
        return true;
    // The plan view is drawn again when the newest recorded cell of the line moved.
    static int last_cell = -2;
    const CMatrix& m = rdr.mx;
    int newest = -1;
    {
        MutexLock g(lock1);
        const int d = m.current_direction;
        if (d >= 0 && d <= 1 && m.current_line >= 0 && m.current_line < int(m.filled[d].size())) {
            const auto& f = m.filled[d][size_t(m.current_line)];
            for (int i = int(f.size()) - 1; i >= 0; i--)
                if (f[size_t(i)]) {
                    newest = i;
                    break;
                }
        }
    }
    if (newest != last_cell) {
        last_cell = newest;
        view->Draw();
    }
    return true;
}
