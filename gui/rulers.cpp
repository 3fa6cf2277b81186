#include "gui/rulers.h"

#include "gui/draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

SDL_Surface* new_surface16(int w, int h, const char* failure)
{
    Uint32 rm = 0xF800, gm = 0x07E0, bm = 0x001F;
    if (screen && screen->format->BitsPerPixel == 16) {
        rm = screen->format->Rmask;
        gm = screen->format->Gmask;
        bm = screen->format->Bmask;
    }
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w > 0 ? w : 1, h > 0 ? h : 1, 16, rm, gm,
                                          bm, 0);
    if (!s) {
        fprintf(stderr, failure, SDL_GetError());
        exit(1);
    }
    return s;
}

Uint32 rgb(SDL_Surface* s, Uint8 r, Uint8 g, Uint8 b) { return SDL_MapRGB(s->format, r, g, b); }

void box(SDL_Surface* s, int x, int y, int w, int h, Uint32 c)
{
    SDL_Rect r{Sint16(x), Sint16(y), Uint16(w > 0 ? w : 0), Uint16(h > 0 ? h : 0)};
    if (r.w && r.h)
        SDL_FillRect(s, &r, c);
}

// Text in the ruler font (r_font); returns the width it takes.
int text_width(const char* t, int size)
{
    sge_TTFont* f = CSDLObject::r_font;
    if (!f || !t[0])
        return 0;
    sge_TTF_SetFontSize(f, size);
    return sge_TTF_TextSize(f, const_cast<char*>(t)).w;
}

void text_out(SDL_Surface* s, const char* t, int size, int x, int baseline, Uint32 c)
{
    sge_TTFont* f = CSDLObject::r_font;
    if (!f || !t[0])
        return;
    sge_TTF_SetFontSize(f, size);
    sge_tt_textout(s, f, t, Sint16(x), Sint16(baseline), c, c, 255);
}

struct Row {
    double limit;
    int G, n, L;
};

} // namespace

RulerStep ruler_step(const char* unitText, double u)
{
    static const Row inches[] = {
        {0.001, 50, 5, 10},          {0.002, 100, 10, 20},       {0.005, 200, 4, 40},
        {0.01, 500, 5, 100},         {0.02, 1000, 10, 200},      {0.04, 2000, 2, 400},
        {0.08, 4000, 4, 800},        {0.2, 8000, 8, 2000},       {0.4, 20000, 2, 4000},
        {0.8, 40000, 4, 8000},       {2, 100000, 10, 20000},     {4, 200000, 10, 40000},
        {10, 500000, 10, 100000},    {20, 1000000, 10, 200000},  {INFINITY, 2000000, 5, 300000}};
    static const Row feet[] = {
        {0.02, 1000, 12, 200},       {0.04, 2000, 2, 400},       {0.08, 4000, 4, 800},
        {0.2, 8000, 8, 2000},        {0.4, 20000, 2, 4000},      {0.8, 40000, 4, 8000},
        {2, 80000, 10, 20000},       {4, 200000, 10, 40000},     {10, 500000, 10, 100000},
        {20, 1000000, 10, 200000},   {INFINITY, 2000000, 5, 300000}};
    static const Row other[] = {
        {0.0004, 20, 0, 4},          {0.001, 50, 0, 10},         {0.002, 100, 0, 20},
        {0.004, 200, 0, 40},         {0.008, 400, 0, 80},        {0.01, 500, 0, 100},
        {0.02, 1000, 0, 200},        {0.04, 2000, 0, 400},       {0.1, 5000, 0, 1000},
        {0.2, 10000, 0, 2000},       {0.4, 20000, 0, 4000},      {1, 50000, 0, 10000},
        {2, 100000, 0, 20000},       {4, 200000, 0, 40000},      {10, 500000, 0, 100000},
        {20, 1000000, 0, 200000},    {INFINITY, 2000000, 0, 300000}};
    auto pick = [u](const Row* rows) {
        const Row* r = rows;
        while (!(u < r->limit))
            r++;
        return RulerStep{r->G, r->n, r->L};
    };
    if (strcmp(unitText, "[in]") == 0)
        return pick(inches);
    if (strcmp(unitText, "[ft]") == 0)
        return pick(feet);
    RulerStep s = pick(other);
    if (s.G / (1000.0 * u) <= 50)
        s.n = 5; // fewer than 50 pixels per label: five divisions are all there is room for
    else
        s.n = (s.G == 50 || s.G == 500 || s.G == 5000 || s.G == 50000 || s.G == 500000) ? 5 : 10;
    return s;
}

void ruler_label(double u, double v, char* out, size_t cap)
{
    if (u < 0.001) {
        snprintf(out, cap, "%4.2f", v);
    } else if (u < 0.005) {
        snprintf(out, cap, "%4.2f", std::trunc(10 * v) / 10);
    } else if (u < 0.01) {
        snprintf(out, cap, "%4.1f", v);
    } else if (u < 0.2) {
        snprintf(out, cap, "%d", int(std::trunc(v)));
    } else if (u < 1) {
        int k = int(std::trunc(v));
        if (k % 10 <= 2)
            k -= k % 10;
        snprintf(out, cap, "%d", k);
    } else {
        int k = int(std::trunc(v));
        if (k % 100 <= 24)
            k -= k % 100;
        snprintf(out, cap, "%d", k);
    }
}

// ---------------------------------------------------------------------------------------

CHRuler::CHRuler(int x, int y, int width, int height, int leftMargin, int rightMargin,
                 int fontSize, int last_, const char* unitText, bool bottom_)
    : CHRuler(x, y, width, height, leftMargin, rightMargin, fontSize, last_, unitText, bottom_,
              width, height)
{
}

CHRuler::CHRuler(int x, int y, int width, int height, int leftMargin, int rightMargin,
                 int fontSize, int last_, const char* unitText, bool bottom_, int surfLength,
                 int surfThickness)
    : CSDLObject(Sint16(x), Sint16(y), Uint16(width), Uint16(height)), last(last_),
      lmargin(leftMargin), rmargin(rightMargin), font_size(fontSize), bottom(bottom_)
{
    SetUnitText(unitText);
    surf = new_surface16(surfLength, surfThickness, "CreateRGBSurface failed-1: %s\n");
}

CHRuler::~CHRuler()
{
    if (surf)
        SDL_FreeSurface(surf);
}

void CHRuler::SetUnitText(const char* t)
{
    snprintf(unit_text, sizeof unit_text, "%s", t ? t : "");
}

void CHRuler::SetOffset(int o)
{
    last += o - offset;
    offset = o;
}

void CHRuler::SetPos(int p)
{
    position = p;
    if (p > last) {
        offset += p - last;
        last = p;
    }
}

double CHRuler::value_at(int i) const
{
    const double v = eff_unit() * i;
    return v > 0 ? v : 0;
}

void CHRuler::paint(int length, int thick, bool reversed)
{
    SDL_Surface* s = surf;
    const Uint32 black = rgb(s, 0, 0, 0);
    Uint32 fill = rgb(s, 255, 255, 255);
    if (state == 1)
        fill = rgb(s, 255, 0, 0);
    else if (state == 2)
        fill = rgb(s, 255, 136, 0);
    box(s, 0, 0, length, thick, fill);

    const int line_y = bottom ? thick - 3 : 2;
    const int tick_dir = bottom ? -1 : 1; // ticks point away from the line, into the ruler
    const int end = length - rmargin;
    auto col = [&](int i) { return reversed ? length - 1 - i : i; };
    {
        const int a = col(lmargin), b = col(end - 1);
        box(s, a < b ? a : b, line_y, std::abs(b - a) + 1, 1, black);
    }
    auto vtick = [&](int c, int len, int width) {
        const int y0 = tick_dir > 0 ? line_y : line_y - len + 1;
        box(s, reversed ? c - width + 1 : c, y0, width, len, black);
    };

    const double u = eff_unit();
    const RulerStep st = ruler_step(unit_text, u);
    const int unit_w = text_width(unit_text, font_size);
    const int unit_x = length - unit_w - 3;
    const int label_y = bottom ? int(thick / 1.7) : int(thick / 1.1);
    const double minor = 10.0 * st.G / (st.n > 0 ? st.n : 1);

    long long prev_w = -1;
    bool in_minor_run = false;
    for (int i = lmargin; i < end; i++) {
        const double v = value_at(offset + i - lmargin);
        const long long w = (long long)std::trunc(1000 * v) % st.G;
        const bool label = (i == lmargin) ? (w == 0) : (w < prev_w);
        prev_w = w;
        const int c = col(i);
        if (label) {
            char t[32];
            ruler_label(u, v, t, sizeof t);
            const int tw = text_width(t, font_size);
            // Centred on its tick, but whole inside the ruler at either end.
            const int tx = std::clamp(c - tw / 2, 0, std::max(0, length - tw));
            if (tx + tw < unit_x - 2 || !unit_text[0])
                text_out(s, t, font_size, tx, label_y, black);
            vtick(c, 5, 2);
            in_minor_run = true; // a label column also starts its minor run
            continue;
        }
        const bool m = std::fmod(std::trunc(10000 * v), minor) < st.L;
        if (m && !in_minor_run)
            vtick(c, 3, 1);
        in_minor_run = m;
    }

    if (pointer_on && position >= offset && position <= last) {
        const int c = col(position - offset + lmargin);
        if (c >= 0 && c < length) {
            vtick(c, 7, 1);
            for (int k = 1; k <= 4; k++) { // a wedge under the tick, narrowing away from it
                const int y = tick_dir > 0 ? line_y + 7 - k : line_y - 7 + k;
                box(s, c - k, y, 2 * k + 1, 1, black);
            }
        }
    }
    text_out(s, unit_text, font_size, unit_x, label_y, black);
}

void CHRuler::Draw()
{
    if (!visible)
        return;
    const int length = rect.w < surf->w ? rect.w : surf->w; // the radargram may narrow it
    paint(length, rect.h, false);
    display_surface(surf, rect.x, rect.y, length);
}

// ---------------------------------------------------------------------------------------

CVRuler::CVRuler(int x, int y, int width, int height, int topMargin, int bottomMargin,
                 int fontSize, int last_, bool leftSide, const char* unitText, bool direction_)
    : CHRuler(x, y, width, height, topMargin, bottomMargin, fontSize, last_, unitText, false,
              height, width),
      left_side(leftSide), direction(direction_), tmargin(topMargin), bmargin(bottomMargin)
{
    surf2 = new_surface16(width, height, "CreateRGBSurface failed-2: %s\n");
}

CVRuler::~CVRuler()
{
    if (surf2)
        SDL_FreeSurface(surf2);
}

double CVRuler::DistDist(int i) const
{
    double d = i * eff_unit();
    if (d < 0)
        d = 0;
    return std::sqrt(d * separation + d * d);
}

void CVRuler::Draw()
{
    if (!visible)
        return;
    const int len = rect.h, thick = rect.w;
    // Left of the image the ruler is turned clockwise (its line to the image, values from
    // the top), right of it counter-clockwise, which runs the values upwards unless drawn
    // from the far end.
    const bool reversed = left_side ? !direction : direction;
    paint(len, thick, reversed);
    if (SDL_LockSurface(surf) < 0)
        return;
    if (SDL_LockSurface(surf2) < 0) {
        SDL_UnlockSurface(surf);
        return;
    }
    for (int y = 0; y < len; y++) {
        Uint16* dst = (Uint16*)((Uint8*)surf2->pixels + y * surf2->pitch);
        for (int x = 0; x < thick; x++) {
            const int hc = left_side ? y : len - 1 - y;
            const int hr = left_side ? thick - 1 - x : x;
            dst[x] = ((const Uint16*)((const Uint8*)surf->pixels + hr * surf->pitch))[hc];
        }
    }
    SDL_UnlockSurface(surf2);
    SDL_UnlockSurface(surf);
    display_surface(surf2, rect.x, rect.y);
}
