#include "grid/grid_ui.h"

#include "gui/screen_loop.h"
#include "files/keylines.h"
#include "files/radar_data.h"
#include "gui/button.h"
#include "gui/char_field.h"
#include "gui/input.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"
#include "platform/globals.h"
#include "platform/termination.h"
#include "screens/param_ui.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>

namespace gridui {

void enter(int m)
{
    mode = m;
    params::enter_screen(m);
}

void redraw(int m)
{
    mode = m;
    select_row(m);
    mS.Draw();
    mS.DrawObjs(m);
    curbutDraw();
}

void tell(int m, const char* title, const char* text)
{
    mesmode(title, text, true, 0);
    redraw(m);
}

bool ask(int m, const char* title, const char* text, bool yes_first)
{
    const int r = mesmode(title, text, true, 1, yes_first ? 2 : 3);
    redraw(m);
    return r == 2;
}

void set_text(int m, int slot, const char* text)
{
    auto* t = mS.at<CSDLText>(m, slot);
    if (!t)
        return;
    if (mode == m && t->visible)
        params::erase_text(t);
    t->SetText8(text);
    if (mode == m && t->visible)
        t->Draw();
}

void set_textf(int m, int slot, const char* format, ...)
{
    char text[200];
    va_list ap;
    va_start(ap, format);
    vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    set_text(m, slot, text);
}

void set_label(int m, int slot, const char* text)
{
    auto* b = mS.at<CButton>(m, slot);
    if (!b)
        return;
    b->SetLabel(text);
    if (mode == m && b->visible)
        b->Draw();
}

void set_labelf(int m, int slot, const char* format, ...)
{
    char text[120];
    va_list ap;
    va_start(ap, format);
    vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    set_label(m, slot, text);
}

void release(int m, int slot)
{
    if (auto* b = mS.at<CButton>(m, slot))
        if (b->pressed)
            b->Release();
}

void show_button(int m, int slot, bool shown) { params::set_shown(m, slot, shown); }

bool cu_on() { return params::cu_on(); }

namespace {
std::array<char*, 4> project_texts()
{
    Header& h = rdr.mx.hd;
    return {h.customer, h.operator_name, h.site, h.comments};
}
} // namespace

void texts_to_fields(int m, int first)
{
    const auto texts = project_texts();
    for (int i = 0; i < 4; i++)
        if (auto* f = mS.at<CSDLText_CH>(m, params::value_slot(first + i)))
            f->SetText8(texts[size_t(i)]);
}

void fields_to_texts(int m, int first)
{
    const auto texts = project_texts();
    for (int i = 0; i < 4; i++)
        if (auto* f = mS.at<CSDLText_CH>(m, params::value_slot(first + i)))
            copy_text(texts[size_t(i)], sizeof rdr.mx.hd.customer, f->text);
}

bool edit_steps(double& v, double step, double big_step, double lo, double hi, const std::function<void()>& changed,
                bool up_is_plus)
{
    const double start = v;
    for (;;) {
        check_termination();
        const int k = params::edit_key(draw_battery);
        double d = 0;
        if (k == SDLK_RIGHT)
            d = step;
        else if (k == SDLK_LEFT)
            d = -step;
        else if (k == SDLK_UP)
            d = up_is_plus ? big_step : -big_step;
        else if (k == SDLK_DOWN)
            d = up_is_plus ? -big_step : big_step;
        else
            break;
        const double n = std::clamp(v + d, lo, hi);
        if (n == v)
            continue;
        v = n;
        if (changed)
            changed();
    }
    return v != start;
}

} // namespace gridui
