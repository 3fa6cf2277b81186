#include "gui/decimal_field.h"

#include "gui/draw.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

CSDLText_DCH::CSDLText_DCH(int x, int y, const char* t, int fontSize, Uint8 bgR, Uint8 bgG,
                           Uint8 bgB, int width, int maxLength)
    : CSDLText_CH(x, y, t, fontSize, bgR, bgG, bgB, width, maxLength)
{
    snprintf(abc, sizeof abc, "%s", "1234567890.- ");
    abc_len = int(strlen(abc));
}

void CSDLText_DCH::draw_unit()
{
    if (unit[0])
        UniTextOut(screen, 11, size, unit, tx + fixed_width - 30, ty, map_rgb(255, 255, 255));
}

void CSDLText_DCH::Draw()
{
    CSDLText_CH::sDraw();
    draw_unit();
}

void CSDLText_DCH::sDraw()
{
    CSDLText_CH::sDraw();
    draw_unit();
}

void CSDLText_DCH::sErase()
{
    SDL_Rect r = rect;
    r.w = Uint16(fixed_width);
    erase_rect(&r);
}

int CSDLText_DCH::it_is_correct() const
{
    const char* p = text;
    while (*p == ' ')
        p++;
    enum { Whole, Fraction, Ended } state = Whole;
    if (*p == '.') {
        state = Fraction;
        p++;
    } else if (*p) {
        p++; // the first character (a digit or the sign) starts the number
    }
    for (; *p; p++) {
        char c = *p;
        if (state == Whole) {
            if (c == ' ')
                state = Ended;
            else if (c == '-')
                return 1;
            else if (c == '.')
                state = Fraction;
        } else if (state == Fraction) {
            if (c == ' ')
                state = Ended;
            else if (c == '-' || c == '.')
                return 2;
        } else if (c != ' ') {
            return 3;
        }
    }
    return std::fabs(strtod(text, nullptr)) >= 1e9 ? 10 : 0;
}
