// Screens 12 and 8: the radargram of screen 2 or 3 over the whole screen.
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/mea_radargram.h"
#include "acquisition/mea_loop.h"
#include "acquisition/mea_screens.h"
#include "acquisition/trace_alert.h"
#include "platform/globals.h"
#include "files/profile_record.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/rows.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"

#include <SDL/SDL.h>

namespace {

// The full-screen radargram takes over the view of `from`.
CScrBuf* take_view(int m, CScrBuf* from)
{
    CScrBuf* fs = radargram_of(m);
    if (!fs)
        return nullptr;
    fs->markers = from ? from->markers : nullptr;
    fs->markers_on = from ? from->markers_on : 1;
    fs->hcur_on = 0;
    prepare_radargram(fs);
    fs->first_trace = from ? from->first_trace : 0;
    if (fs->hr && from && from->hr)
        fs->hr->SetPos(from->hr->position);
    return fs;
}

void show(int m, CScrBuf* fs)
{
    select_row(m);
    tbuf = fs;
    mS.Draw();
    mS.DrawObjs(m);
    curbut = curbutton[m];
}

} // namespace

int mode_12_pre_meas_FS()
{
    mode = 12;
    CScrBuf* fs = take_view(12, radargram_of(2));
    if (!fs)
        return 2;
    fs->datatran(0, true, 0, 12, false);
    // Vertical scrolling and zoom at once; browsing along the profile stays on screen 2.
    if (fs->hsb)
        fs->hsb->selected = 0;
    if (fs->vsb)
        fs->vsb->selected = 1;
    // Pressed here, not by Enter on it: the count of Enter presses on a radargram starts
    // again, or the key-up of the Enter that opened this screen (after two earlier visits
    // left by Enter) would let the radargram go and the arrows would do nothing.
    tbuf_was_pressed = 0;
    the_button_is_pressed = 0;
    fs->Press();
    // The arrows act on the radargram: it has the focus.
    curbutton[12] = kSlotRadargram;
    show(12, fs);
    browse_full_screen([] {
        {
            MutexLock g(lock_cuOn);
            if (!pisOn)
                return false;
        }
        draw_battery();
        return true;
    });
    fs->Release();
    tbuf_was_pressed = 0;
    if (fs->vsb)
        fs->vsb->selected = 0;
    return 2;
}

int mode_08_measurement_FS()
{
    mode = 8;
    CScrBuf* from = radargram_of(3);
    CScrBuf* fs = take_view(8, from);
    if (!fs)
        return 3;
    jump_to_end = shown_traces - fs->first_trace <= fs->width;
    if (fs->hsb)
        fs->hsb->selected = 0;
    if (fs->vsb)
        fs->vsb->selected = 0;
    install_mea_display(fs);
    fs->datatran(0, true, 0, 8, jump_to_end);
    show(8, fs);
    fs->on_top[0] = mS.obj[0][meas::kTraceAlert];
    trace_alert_show(true);
    keyb_wait();
    int result = 3;
    for (;;) {
        if (take_m_show() && !doMea()) {
            result = back_code();
            break;
        }
        trig_pos_show();
        trace_alert_show();
        draw_battery();
        const int r = press_but_and_slid();
        if (r != -1)
            break;
        SDL_Delay(5);
    }
    fs->on_top[0] = nullptr;
    install_mea_display(from);
    return result;
}
