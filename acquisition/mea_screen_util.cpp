#include "acquisition/mea_screen_util.h"

#include "acquisition/acquisition.h"
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "app/timer.h"
#include "gui/backlight.h"
#include "config/parameters.h"
#include "cu/eep.h"
#include "cu/parport.h"
#include "dsp/filter_slots.h"
#include "files/radar_data.h"
#include "gui/button.h"
#include "gui/display_filters.h"
#include "gui/indicators.h"
#include "gui/input.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/scrbuf_mea_display.h"
#include "gui/screen_table.h"
#include "config/xml_pars.h"
#include "platform/termination.h"

#include <SDL/SDL.h>
#include <cstring>

namespace {

CScrBufMeaDisplay display_of_row3(nullptr);
CScrBufMeaDisplay display_of_row8(nullptr);
CMeaDisplay* idle_display = nullptr; // what was installed before the measurement screens
CScrBufMeaDisplay* installed = nullptr;

} // namespace

void select_row(int m)
{
    memcpy(mS.obj[0], mS.obj[m], sizeof mS.obj[0]);
    mS.cur_mode = m;
}

CScrBuf* radargram_of(int m) { return mS.at<CScrBuf>(m, kSlotRadargram); }

void install_mea_display(CScrBuf* b)
{
    if (!installed)
        idle_display = mea_display;
    if (!b) {
        if (installed)
            mea_display = idle_display;
        installed = nullptr;
        return;
    }
    CScrBufMeaDisplay& d = b == radargram_of(8) ? display_of_row8 : display_of_row3;
    // The marker alert goes with the measurement, not with the radargram shown.
    d.alert = installed ? installed->alert : false;
    d.buf = b;
    installed = &d;
    mea_display = &d;
}

CScrBufMeaDisplay* installed_mea_display() { return installed; }

void draw_battery()
{
    if (auto* bat = dynamic_cast<CBattery*>(mS.obj[0][0]))
        bat->nDraw(false, bat_state1, parport.ppRead(1));
}

bool del_mean_on() { return display_antenna().filter[FLT_DEL_MEAN].display_on != 0; }

void set_del_mean(bool on) { display_antenna().filter[FLT_DEL_MEAN].display_on = on ? 1 : 0; }

void show_display_controls(int m)
{
    if (auto* b = mS.at<CButton>(m, 8))
        b->pressed = del_mean_on() ? 1 : 0;
    if (auto* s = mS.at<CButton>(m, kSlotTimeGain))
        s->visible = prm.gain_switch ? 0 : 1;
}

void prepare_radargram(CScrBuf* b)
{
    if (!b)
        return;
    b->setcolors(eep.ant_option);
    b->par_Init();
    b->resampdef();
    b->setEERulers();
}

void redraw_radargram(CScrBuf* b)
{
    if (!b)
        return;
    b->reprocess = true;
    b->datatran(0, false, 0, mode, jump_to_end);
    b->Draw();
}

void close_open_profile()
{
    if (rdr.rd.fd >= 0)
        rdr.rd.hd.a_write();
    rdr.dClose(false);
}

int poll_key()
{
    check_termination();
    SDL_Event e;
    while (gui_poll_event(&e)) {
        if (e.type == SDL_KEYDOWN && keypressed(e.type))
            return e.key.keysym.sym;
    }
    return SDLK_UNKNOWN;
}

bool measurement_tick()
{
    if (take_m_show() && !doMea())
        return false;
    trig_pos_show();
    add_pos_show();
    draw_battery();
    return true;
}

int back_code() { return ProjN == 2 ? 37 : 2; }

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
    if (installed)
        installed->alert = true;
    if (tbuf)
        tbuf->Draw();
}
