// The message box (screen 9).
#include "platform/globals.h"
#include "gui/backlight.h"
#include "cu/driver.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/rows.h"
#include "gui/screen_table.h"
#include "gui/scrbuf_input.h"
#include "gui/service_keys.h"
#include "platform/termination.h"

#include <cstdio>
#include <cstring>

void (*mesmode_observer)(const char*, const char*, int) = nullptr;

int dialog_service_key(int key)
{
    password1.addkey(key);
    if (password1.compas())
        return 10;
    if (password1.compas1())
        return 24;
    if (password1.compas2())
        return 22;
    if (password1.compas3())
        return 25;
    if (password1.compas4())
        return kServiceExitCode;
    return 0;
}

void cu_identity_text(char* out, size_t cap)
{
    const CuIdentity id = gpr.shown_identity();
    snprintf(out, cap, " (%04X %X %d %d)", static_cast<unsigned>(id.id_word),
             static_cast<unsigned>(id.version1), static_cast<int>(id.version2),
             static_cast<int>(id.version3));
}

namespace {

// Waits for one key press; returns its symbol.
int wait_any_key()
{
    keyb_wait();
    SDL_Event e;
    for (;;) {
        check_termination();
        if (gui_poll_event(&e)) {
            if (e.type == SDL_KEYDOWN && keypressed(e.type))
                return e.key.keysym.sym;
        } else {
            SDL_Delay(10);
        }
    }
}

} // namespace

void (*service_exit_action)() = nullptr;

int question_loop()
{
    curbutDraw();
    password1.clearbuff();
    SDL_Event e;
    for (;;) {
        check_termination();
        if (!gui_poll_event(&e)) {
            SDL_Delay(10);
            continue;
        }
        if (e.type != SDL_KEYDOWN || !keypressed(e.type))
            continue;
        int key = e.key.keysym.sym;
        // Every key reaches the service-key matcher first, so a sequence may end in Enter.
        int code = dialog_service_key(key);
        if (code == kServiceExitCode) {
            if (service_exit_action)
                service_exit_action();
            continue;
        }
        if (code)
            return code;
        int old = curbut;
        if (key == SDLK_RIGHT)
            curbut = fnextb(curbut, -1);
        else if (key == SDLK_LEFT)
            curbut = fnextb(curbut, 1);
        if (curbut != old)
            curbutDraw();
        if (key == SDLK_RETURN || key == SDLK_KP_ENTER) {
            if (curbut <= kLastButton)
                if (auto* b = dynamic_cast<CButton*>(mS.obj[0][curbut]))
                    b->Press();
            return curbut;
        }
    }
}

int mesmode(const char* title, const char* text, bool redraw, int type, int focus,
            const char* footer, bool languageText, Uint32 colour)
{
    using namespace msgbox;
    if (mesmode_observer)
        mesmode_observer(title ? title : "", text ? text : "", type);
    int old_mode = mode, old_curbut = curbut;
    mode = 9;
    curbut = focus;
    for (int s = kYes; s <= kCancel; s++)
        if (CSDLObject* o = mS.obj[9][s])
            o->visible = 0;

    auto* t_title = mS.at<CSDLText>(9, kTitle);
    auto* t_text = mS.at<CSDLText>(9, kText);
    Uint32 keep_title = 0, keep_text = 0;
    if (t_title && t_text) {
        int ft = languageText ? 1 : 10;
        t_title->font_type = ft;
        t_text->font_type = ft;
        t_title->SetText(title ? title : "");
        t_text->SetText(text ? text : "");
        keep_title = t_title->text_colour;
        keep_text = t_text->text_colour;
        if (colour) {
            t_title->text_colour = colour;
            t_text->text_colour = colour;
        }
    }
    if (CSDLObject* f = mS.obj[9][kFooter])
        f->visible = type == 0;
    if (auto* h = mS.at<CSDLText>(9, kHeading)) {
        if (footer && footer[0]) {
            h->SetText(footer);
        } else {
            char id[64], buf[160];
            cu_identity_text(id, sizeof id);
            snprintf(buf, sizeof buf, "%s%s", mS.prg_title, id);
            h->SetText(buf);
        }
    }
    auto show = [](int s) {
        if (auto* b = dynamic_cast<CButton*>(mS.obj[9][s])) {
            b->visible = 1;
            b->pressed = 0;
            b->selected = 0;
        }
    };
    if (type == 1) {
        show(kYes);
        show(kNo);
    } else if (type == 2) {
        show(kCopy);
        show(kCancel);
        if (auto* b = dynamic_cast<CButton*>(mS.obj[9][kMove]))
            b->pressed = 0;
    }

    mS.Draw();
    mS.DrawObjs(9);

    int result = 0;
    if (type == 0) {
        result = wait_any_key();
    } else if (type == 1 || type == 2) {
        result = question_loop();
    } else if (type == 3) {
        for (int i = 0; i < 300; i++) {
            check_termination();
            SDL_Delay(10);
        }
        keyb_wait();
    }

    if (redraw) {
        mS.Draw();
        mS.DrawObjs(old_mode);
        radargram_after_message_box(old_mode);
        curbut = old_curbut;
        curbutDraw();
    } else if (old_mode >= 1 && old_mode < kRows) {
        memcpy(mS.obj[0], mS.obj[old_mode], sizeof mS.obj[0]);
        mS.cur_mode = old_mode;
    }
    mode = old_mode;
    curbut = old_curbut;
    if (t_title && t_text) {
        t_title->text_colour = keep_title;
        t_text->text_colour = keep_text;
    }
    return result;
}
