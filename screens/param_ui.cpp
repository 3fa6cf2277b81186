#include "screens/param_ui.h"

#include "acquisition/acquisition.h"
#include "acquisition/mea_screens.h"
#include "app/timer.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "gui/button.h"
#include "gui/date_time_field.h"
#include "gui/decimal_field.h"
#include "gui/draw.h"
#include "gui/input.h"
#include "gui/list_box.h"
#include "gui/list_input.h"
#include "gui/number_field.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/trace_view.h"
#include "platform/globals.h"
#include "platform/termination.h"

#include <SDL/SDL.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace params {

namespace {
constexpr int kButtonX = 16, kValueX = 332;
constexpr int kValueWidth = 440;
} // namespace

void put_line(CMS& t, int row, int slot, int line, const char* label, bool with_value)
{
    t.put(row, slot, new CButton("5", kButtonX, line_y(line), "", 0, 0, label, -1, -1, 18, 11));
    if (with_value)
        t.put(row, value_slot(slot), new CSDLText(kValueX, line_y(line) + 37, " ", 24, kValueWidth, false, false, 11));
}

void put_small(CMS& t, int row, int slot, int line, int column, const char* label)
{
    t.put(row, slot, new CButton("6", kButtonX + 170 * column, line_y(line), "", 0, 0, label, -1, -1, 18, 11));
}

void put_title(CMS& t, int row, const char* text)
{
    auto* title = new CSDLText(kButtonX, 40, text, 30, 0, false, true, 11);
    title->SetTextColor(255, 255, 153);
    t.put(row, kTitle, title);
}

void put_trace_view(CMS& t, int row) { t.put(row, kTraceView, new CTraceView(790, 62, 220, 690)); }

void enter_screen(int m)
{
    mode = m;
    await_cu_poll();
    tbuf = nullptr;
    draw_row(m);
    curbutton[m] = uint16_t(curbut);
}

void erase_text(CSDLText* t)
{
    // The band of the line, descenders included: a shorter text leaves nothing behind.
    const int w = t->fixed_width > 0 ? t->fixed_width : t->rect.w;
    SDL_Rect band{Sint16(t->tx - 5), Sint16(t->ty - t->size - 6), Uint16(w), Uint16(t->size + 16)};
    erase_rect(&band);
    update_area(band.x, band.y, band.w, band.h);
}

void show_value(int m, int slot, const char* text)
{
    auto* t = dynamic_cast<CSDLText*>(mS.obj[m][value_slot(slot)]);
    if (!t)
        return;
    if (mode == m && t->visible)
        erase_text(t);
    t->SetText8(text);
    if (mode == m && t->visible)
        t->Draw();
}

void show_valuef(int m, int slot, const char* format, ...)
{
    char text[200];
    va_list ap;
    va_start(ap, format);
    vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    show_value(m, slot, text);
}

void show_title(int m, const char* text)
{
    auto* t = dynamic_cast<CSDLText*>(mS.obj[m][kTitle]);
    if (!t)
        return;
    if (mode == m) {
        SDL_Rect r{0, 0, 780, 50};
        erase_rect(&r);
        update_area(0, 0, 780, 50);
    }
    t->SetText8(text);
    if (mode == m)
        t->Draw();
}

void set_shown(int m, int slot, bool shown)
{
    for (int s : {slot, value_slot(slot)}) {
        CSDLObject* o = mS.obj[m][s];
        if (!o || o->visible == Uint8(shown))
            continue;
        if (mode == m && !shown)
            o->Erase();
        o->visible = shown ? 1 : 0;
        if (mode == m && shown)
            o->Draw();
    }
    if (mode == m && !shown && curbut == slot)
        curbut = fnextb(slot, 1);
    if (mode == m)
        curbutDraw();
}

CButton* button(int m, int slot) { return dynamic_cast<CButton*>(mS.obj[m][slot]); }
CTraceView* trace_view(int m) { return dynamic_cast<CTraceView*>(mS.obj[m][kTraceView]); }
CListBox* list(int m) { return dynamic_cast<CListBox*>(mS.obj[m][kList]); }

void release(int m, int slot)
{
    if (CButton* b = button(m, slot))
        if (b->pressed)
            b->Release();
}

void save_display_settings()
{
    if (rdr.rd.fd >= 0)
        rdr.rd.hd.a_write();
    if (FileMode != 1) {
        eep.psave_l_a();
        xml_pars.write_xml_tree();
        prm.p_write();
    }
}

bool cu_on()
{
    MutexLock g(lock_cuOn);
    return pisOn;
}

int edit_key(void (*tick)())
{
    for (;;) {
        const int k = poll_key();
        switch (k) {
        case SDLK_LEFT: case SDLK_RIGHT: case SDLK_UP: case SDLK_DOWN: return k;
        case SDLK_RETURN: case SDLK_KP_ENTER: return SDLK_RETURN;
        default: break;
        }
        if (tick)
            tick();
        SDL_Delay(10);
    }
}

void trace_tick()
{
    show_Trace(0);
    draw_battery();
}

void edit_steps(void (*tick)(), const std::function<void(int)>& step)
{
    for (;;) {
        const int k = edit_key(tick);
        if (k == SDLK_RETURN)
            return;
        if (k == SDLK_LEFT || k == SDLK_RIGHT)
            step(k == SDLK_RIGHT ? 1 : -1);
    }
}

void edit_field(CSDLText_N* f, void (*tick)(), const std::function<void()>& stepped)
{
    f->setSelected();
    f->sDraw();
    edit_steps(tick, [&](int d) {
        if (d > 0)
            f->Next();
        else
            f->Prev();
        if (stepped)
            stepped();
    });
    f->setUsual();
    f->sDraw();
}

// Left and Right as in every value entry: Left down or back, Right up or forward.
void edit_date_time(CSDLText_DT* f, void (*tick)())
{
    f->part = 0;
    f->dt_mode = 0;
    f->setSelected();
    f->sDraw();
    for (;;) {
        const int k = edit_key(tick);
        if (k == SDLK_LEFT)
            f->Prev();
        else if (k == SDLK_RIGHT)
            f->Next();
        else if (k == SDLK_RETURN && !f->Click())
            break;
    }
    f->setUsual();
    erase_text(f);
    f->sDraw();
}

int pick_in_list(CListBox& l, void (*tick)())
{
    while (!list_key_step(l, false)) {
        check_termination();
        if (tick)
            tick();
        SDL_Delay(10);
    }
    return l.GetCurrent();
}

int choose_from_list(int m, int current)
{
    CListBox* l = list(m);
    if (!l)
        return current;
    l->SetCurrent(current);
    l->visible = 1;
    l->Draw();
    const int chosen = pick_in_list(*l, draw_battery);
    l->visible = 0;
    l->Erase();
    mS.DrawObjs(m);
    curbutDraw();
    return chosen;
}

void edit_text(CSDLText* field, const std::function<bool(const char*)>& accept, bool at_end)
{
    auto* f = dynamic_cast<CSDLText_CH*>(field);
    if (!f)
        return;
    f->setSelected();
    f->cursor = at_end ? f->length() : 0;
    f->ch_mode = 0;
    f->Set_abc_pos();
    f->sDraw();
    for (;;) {
        const int k = edit_key(draw_battery);
        const int len = f->length();
        if (k == SDLK_LEFT && f->ch_mode == 0 && f->cursor >= len)
            f->cursor = len + 1; // past the end: Enter closes the field
        else if (k == SDLK_RIGHT && f->ch_mode == 0 && f->cursor > len)
            f->cursor = len;
        else if (k == SDLK_LEFT)
            f->Next();
        else if (k == SDLK_RIGHT)
            f->Prev();
        else if (k == SDLK_UP)
            f->Del();
        else if (k == SDLK_DOWN)
            f->Ins();
        else if (f->Click() == 0 && (!accept || accept(f->text)))
            break;
        f->sDraw();
    }
    f->setUsual();
    f->Erase();
    f->Draw();
}

double edit_number(CSDLText* field)
{
    auto* f = dynamic_cast<CSDLText_DCH*>(field);
    if (!f)
        return 0;
    for (;;) {
        edit_text(f);
        if (f->it_is_correct() == 0)
            return strtod(f->text, nullptr);
        mesmode("Error", "The number is not correct.", true, 3);
        mS.DrawObjs(mode);
        curbutDraw();
    }
}

} // namespace params
