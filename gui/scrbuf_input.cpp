#include "gui/scrbuf_input.h"

#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/rounding.h"
#include "files/profile_record.h"
#include "gui/display_filters.h"
#include "gui/input.h"
#include "gui/scrbuf.h"
#include "gui/screen_table.h"

#include <algorithm>

bool jump_to_end = false;

namespace {

bool can_focus()
{
    return tbuf && (mode == 1 || mode == 2 || mode == 3 || mode == 31) && tbuf->shown > 0 &&
           tbuf->hsb && tbuf->vsb;
}

bool has_hbar() { return mode != 3 && tbuf->hsb && tbuf->hsb->visible; }
bool has_vbar() { return tbuf->vsb && tbuf->vsb->visible; }

} // namespace

int radargram_focus_forward(int current)
{
    if (!can_focus())
        return -1;
    CScrBuf* t = tbuf;
    if (current <= 38) {
        if (has_hbar())
            t->hsb->selected = 1;
        else
            t->vsb->selected = 1;
        return kSlotRadargram;
    }
    t->hsb->selected = 0;
    if (!t->vsb->selected) {
        t->vsb->selected = 1;
        return kSlotRadargram;
    }
    t->vsb->selected = 0;
    return -1;
}

int radargram_focus_backward_from_radargram()
{
    if (!can_focus())
        return -1;
    CScrBuf* t = tbuf;
    t->vsb->selected = 0;
    if (has_hbar() && !t->hsb->selected) {
        t->hsb->selected = 1;
        return kSlotRadargram;
    }
    t->hsb->selected = 0;
    return -1;
}

int radargram_focus_backward_past_first()
{
    if (!can_focus())
        return -1;
    if (has_vbar())
        tbuf->vsb->selected = 1;
    else if (has_hbar())
        tbuf->hsb->selected = 1;
    else
        return -1;
    return kSlotRadargram;
}

void radargram_focus_moved(int old, int cur)
{
    if (!tbuf)
        return;
    if (old == kSlotRadargram && cur != kSlotRadargram)
        tbuf->setUsual();
    if (cur == kSlotRadargram)
        tbuf->setSelected(); // its frame, and the yellow thumb of the bar selected now
}

bool radargram_left_right(SDLKey sym, int* result)
{
    if (!tbuf || curbut != kSlotRadargram || !tbuf->pressed ||
        (sym != SDLK_LEFT && sym != SDLK_RIGHT))
        return false;
    CScrBuf* t = tbuf;
    const bool left = sym == SDLK_LEFT;
    if (has_vbar() && t->vsb->selected) {
        eep.screen_opt2 = 1; // keypad zoom: the compression is kept from now on
        int d = left ? 33 : -33;
        if (keyb_wait() > 3)
            d += left ? 100 : -100;
        t->datatran(0, false, d, mode, jump_to_end);
    } else if (has_hbar()) {
        t->datatran(left ? -50 : 50, true, 0, mode, false);
        keyb_wait();
    }
    t->Draw();
    *result = left ? 100 : 101;
    return true;
}

bool radargram_up_down(SDLKey sym)
{
    if (!tbuf || curbut != kSlotRadargram || (sym != SDLK_UP && sym != SDLK_DOWN))
        return false;
    CScrBuf* t = tbuf;
    const bool up = sym == SDLK_UP;
    if (has_hbar() && t->hsb->selected) {
        if (!pp_mode) {
            pp_mode = 1;
            prof_posi = 0;
            t->Press();
        }
        const int step = std::max(1, std::min(3000, shown_traces / 20));
        prof_posi += up ? step : -step;
        const int last_first = std::max(0, shown_traces - t->width);
        const int target = std::clamp(t->first_trace + prof_posi, 0, last_first);
        prof_posi = target - t->first_trace;
        t->hsb->thumb_start = target; // only the thumb moves until Enter is released
        t->hsb->FastDraw();
        return true;
    }
    if (t->pressed && has_vbar() && t->vsb->selected && mode != 31) {
        eep.screen_opt2 = 1;
        const double most = std::max(0.5, double(t->samples()) / std::max(1, int(t->rect.h)));
        double c = t->compression + (up ? 0.25 : -0.25);
        c = std::clamp(c, 0.5, most);
        if (c != t->compression) {
            t->compression = c;
            t->resampdef();
            t->datatran(0, false, 0, mode, jump_to_end);
            t->setEERulers();
            t->Draw();
        }
        keyb_wait();
        return true;
    }
    return false;
}

void radargram_enter_down()
{
    if (!tbuf || curbut != kSlotRadargram)
        return;
    the_button_is_pressed = 1;
    if (tbuf_was_pressed < 2)
        tbuf_was_pressed++;
    if (!tbuf->pressed)
        tbuf->Press();
    else if (tbuf->vsb)
        tbuf->vsb->FastDraw(); // with the zoom arrows while Enter is held
}

bool radargram_enter_up()
{
    if (!tbuf)
        return false;
    if (pp_mode) {
        pp_mode = 0;
        tbuf->datatran(prof_posi, true, 0, mode, jump_to_end);
        prof_posi = 0;
        tbuf->Release();
        tbuf->Draw();
        return true;
    }
    if (curbut != kSlotRadargram)
        return false;
    the_button_is_pressed = 0;
    if (tbuf_was_pressed > 1 && tbuf->pressed) {
        tbuf_was_pressed = 0;
        tbuf->Release();
    } else if (tbuf->vsb) {
        tbuf->vsb->FastDraw();
    }
    return false;
}

void radargram_slider_changed(int slot, float value)
{
    slider_to_filters(slot, value);
    if (tbuf)
        tbuf->reprocess = true;
}

void radargram_after_message_box(int old_mode)
{
    if (!tbuf)
        return;
    const uint8_t hyper = tbuf->hyper_on;
    if (old_mode == 7 || old_mode == 8 || old_mode == 12)
        tbuf->hyper_on = 0;
    if (old_mode < 0 || old_mode >= kRows || mS.obj[old_mode][kSlotRadargram] != tbuf)
        tbuf->Draw();
    else
        tbuf->sDraw();
    tbuf->hyper_on = hyper;
}
