#include "gui/input.h"

#include "acquisition/acq_state.h"
#include "platform/globals.h"
#include "platform/termination.h"
#include "gui/backlight.h"
#include "files/radar_data.h"
#include "gui/button.h"
#include "gui/display_filters.h"
#include "gui/key_handover.h"
#include "gui/lang.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"

SDL_Event event;
int the_button_is_pressed = 0;
int tbuf_was_pressed = 0;
int pp_mode = 0;
int prof_posi = 0;
bool drawF = false;
bool b_lev1 = false, b_lev2 = false;

namespace {

CSDLObject* slot_obj(int s)
{
    if (s < 0 || s >= kSlots)
        return nullptr;
    return mS.obj[0][s];
}

bool focusable(int s)
{
    CSDLObject* o = slot_obj(s);
    return o && o->visible;
}

CButton* button_at(int s)
{
    if (s < kFirstButton || s > kLastButton)
        return nullptr;
    return dynamic_cast<CButton*>(slot_obj(s));
}

} // namespace

namespace {

// Takes the next queued event; a window close requests termination.
int poll_queued(SDL_Event* e)
{
    show_backlight();
    while (SDL_PollEvent(e)) {
        if (e->type == SDL_QUIT) {
            request_termination();
            continue;
        }
        return 1;
    }
    return 0;
}

// Flushes of stale keys are no key waits: a key handed over from another thread is never
// offered to them.
int discard_queued()
{
    int keys = 0;
    SDL_Event e;
    while (poll_queued(&e))
        if (e.type == SDL_KEYDOWN)
            keys++;
    return keys;
}

} // namespace

int gui_poll_event(SDL_Event* e)
{
    if (poll_queued(e))
        return 1;
    // Nothing queued: the input loop waits for a key.
    return handover_at_key_wait(e) ? 1 : 0;
}

void Init_All_Buttons(CButton** buttons)
{
    for (int s = 0; s <= kLastButton; s++)
        buttons[s] = nullptr;
    for (int s = kFirstButton; s <= kLastButton; s++) {
        CButton* b = button_at(s);
        buttons[s] = b;
        if (b) {
            b->pressed = 0;
            b->selected = 0;
        }
    }
}

void curbutDraw()
{
    for (int s = kFirstButton; s <= kLastButton; s++) {
        CButton* b = button_at(s);
        if (b && b->visible && s != curbut)
            b->setUsual();
    }
    CButton* cur = button_at(curbut);
    if (cur && cur->visible)
        cur->setSelected();
    if (mode == 1 || mode == 2)
        if (auto* r = dynamic_cast<CScrBuf*>(slot_obj(kSlotRadargram)))
            curbut == kSlotRadargram ? r->setSelected() : r->setUsual();
}

int fnextb(int current, int direction)
{
    if (direction > 0) {
        for (int s = current + 1; s <= kLastButton; s++)
            if (focusable(s))
                return s;
        if (radargram_focus_forward(current) >= 0)
            return kSlotRadargram;
        for (int s = kFirstButton; s <= kLastButton; s++)
            if (focusable(s))
                return s;
    } else {
        if (current == kSlotRadargram && radargram_focus_backward_from_radargram() >= 0)
            return kSlotRadargram;
        int from = current > kLastButton + 1 ? kLastButton + 1 : current;
        for (int s = from - 1; s >= kFirstButton; s--)
            if (focusable(s))
                return s;
        if (radargram_focus_backward_past_first() >= 0)
            return kSlotRadargram;
        for (int s = kLastButton; s >= kFirstButton; s--)
            if (focusable(s))
                return s;
    }
    return current;
}

int keyb_wait() { return discard_queued(); }

namespace {

// Left/Right on the pressed contrast or time-gain slider of a radargram screen.
bool slider_key(SDLKey sym, int* result)
{
    if (mode < 1 || mode > 3 || (curbut != 9 && curbut != 10))
        return false;
    auto* sl = dynamic_cast<CSlider*>(slot_obj(curbut));
    if (!sl || !sl->pressed || (sym != SDLK_LEFT && sym != SDLK_RIGHT))
        return false;
    float v = sl->value + (sym == SDLK_LEFT ? -1.0f : 1.0f);
    sl->value = v < sl->minimum ? sl->minimum : v > sl->maximum ? sl->maximum : v;
    radargram_slider_changed(curbut, sl->value);
    sl->DrawPosition();
    drawF = true;
    *result = sym == SDLK_LEFT ? 100 : 101;
    return true;
}

// A slider changed a display setting: the open profile's header files take it over.
void rewrite_open_header()
{
    MutexLock lock(lock_dw);
    if (rdr.rd.data_open())
        rdr.rd.hd.h_write();
}

void low_battery_warning()
{
    bool l1, l2;
    {
        MutexLock lock(lock_b);
        l1 = b_lev1;
        l2 = b_lev2;
        if (l1)
            b_lev1 = false;
        else if (l2)
            b_lev2 = false;
    }
    if (l1)
        mesmode(lngs[42], lngs[43], true, 3, 2, "", true);
    else if (l2)
        mesmode(lngs[42], lngs[44], true, 3, 2, "", true);
}

} // namespace

int press_but_and_slid()
{
    check_termination();
    int result = -1;
    int old = curbut;
    bool focus_key = false; // Left/Right moved the focus (perhaps from one scroll bar to the other)
    if (gui_poll_event(&event)) {
        if (event.type == SDL_KEYDOWN && keypressed(event.type)) {
            SDLKey sym = event.key.keysym.sym;
            if (slider_key(sym, &result)) {
                // handled
            } else if (radargram_left_right(sym, &result)) {
                // the pressed radargram scrolled or browsed
            } else if (sym == SDLK_UP || sym == SDLK_DOWN) {
                radargram_up_down(sym);
            } else if (sym == SDLK_LEFT || sym == SDLK_RIGHT) {
                // Left goes forward, Right backward: the keypad's arrows sit that way round.
                curbut = fnextb(curbut, sym == SDLK_LEFT ? 1 : -1);
                focus_key = true;
                result = sym == SDLK_LEFT ? 100 : 101;
            } else if (sym == SDLK_RETURN || sym == SDLK_KP_ENTER) {
                if (CButton* b = button_at(curbut)) {
                    if (b->pressed) {
                        b->Release();
                        if (drawF) {
                            drawF = false;
                            if (tbuf) {
                                tbuf->reprocess = true;
                                tbuf->datatran(0, false, 0, mode, jump_to_end);
                                tbuf->Draw();
                            }
                            rewrite_open_header(); // the profile keeps its display settings
                        }
                    } else if (!(curbut == 8 && data_is_migrated)) {
                        // "Delete Mean Trace" stays as it is while migrated data are shown.
                        b->Press();
                        if (curbut == 9 && tbuf)
                            tbuf->reprocess = true;
                    }
                }
                radargram_enter_down();
                result = curbut;
            }
        } else if (event.type == SDL_KEYUP && (event.key.keysym.sym == SDLK_RETURN ||
                                                event.key.keysym.sym == SDLK_KP_ENTER)) {
            radargram_enter_up();
        }
    }
    if (curbut != old) {
        if (CButton* b = button_at(old))
            b->setUsual();
        if (CButton* b = button_at(curbut))
            b->setSelected();
        radargram_focus_moved(old, curbut);
    } else if (focus_key && curbut == kSlotRadargram) {
        radargram_focus_moved(old, curbut);
    }
    if (MeasureMode) {
        // While measuring, keys are not queued up: the screen must keep pace with the traces.
        discard_queued();
    }
    low_battery_warning();
    return result;
}
