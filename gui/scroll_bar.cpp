#include "gui/scroll_bar.h"

#include "gui/draw.h"
#include "gui/input.h"

#include <algorithm>

namespace {

SDL_Rect make_rect(int x, int y, int w, int h)
{
    return {Sint16(x), Sint16(y), Uint16(std::max(w, 0)), Uint16(std::max(h, 0))};
}

int arrow_w(SDL_Surface* s) { return s ? s->w : kScrollArrowSize; }
int arrow_h(SDL_Surface* s) { return s ? s->h : kScrollArrowSize; }

} // namespace

CScrollBar::~CScrollBar()
{
    if (arrow1)
        SDL_FreeSurface(arrow1);
    if (arrow2)
        SDL_FreeSurface(arrow2);
}

void CScrollBar::load_arrows(const char* first, const char* second)
{
    read_bmp(first, &arrow1);
    read_bmp(second, &arrow2);
}

void CScrollBar::Set(int min, int max, int length, int start)
{
    minimum = min;
    maximum = max;
    thumb_length = length;
    thumb_start = start;
}

CScrollBar::Span CScrollBar::thumb_span(int track_len) const
{
    if (track_len <= 0)
        return {0, 0};
    int range = maximum - minimum;
    if (range <= 0)
        range = 1;
    double scale = (track_len + 0.0001) / range;
    // Range units can be large (traces of a long profile): compute in double and clamp
    // before narrowing.
    // Both ends are truncated, so a thumb on the last rows reaches the track's end exactly.
    auto px = [&](double units) {
        double p = units * scale;
        return p <= 0 ? 0 : p >= track_len ? track_len : int(p);
    };
    int pos = px(double(thumb_start) - minimum);
    int end = px(double(thumb_start) - minimum + std::max(thumb_length, 0)); // cut at the end
    int len = std::max(end - pos, 0);
    int least = std::min(kMinThumb, track_len);
    if (len < least) {
        len = least;
        if (pos + len > track_len)
            pos = track_len - len;
    }
    return {pos, len};
}

CRgb CScrollBar::thumb_colour() const
{
    if (selected && active)
        return thumb_active;
    if (selected)
        return thumb_selected;
    return thumb;
}

void CScrollBar::Draw()
{
    if (!visible)
        return;
    DrawArrows();
    FastDraw();
}

void CScrollBar::bevel(const SDL_Rect& r, CRgb fill, bool raised)
{
    if (!screen || r.w == 0 || r.h == 0)
        return;
    SDL_Rect inner = r;
    SDL_FillRect(screen, &inner, map_rgb(fill.r, fill.g, fill.b));
    CRgb tl = raised ? light : dark, br = raised ? dark : light;
    Uint32 ctl = map_rgb(tl.r, tl.g, tl.b), cbr = map_rgb(br.r, br.g, br.b);
    SDL_Rect top = make_rect(r.x, r.y, r.w, 1), left = make_rect(r.x, r.y, 1, r.h);
    SDL_Rect bottom = make_rect(r.x, r.y + r.h - 1, r.w, 1);
    SDL_Rect right = make_rect(r.x + r.w - 1, r.y, 1, r.h);
    SDL_FillRect(screen, &top, ctl);
    SDL_FillRect(screen, &left, ctl);
    SDL_FillRect(screen, &bottom, cbr);
    SDL_FillRect(screen, &right, cbr);
}

void CScrollBar::draw_arrow(SDL_Surface* bmp, int x, int y, int dir)
{
    if (!screen)
        return;
    if (bmp) {
        SDL_Rect dst = make_rect(x, y, bmp->w, bmp->h);
        SDL_BlitSurface(bmp, nullptr, screen, &dst);
        return;
    }
    // Without the bitmap: a raised plate with a small dark triangle (0 up, 1 down, 2 left,
    // 3 right).
    int n = kScrollArrowSize;
    bevel(make_rect(x, y, n, n), light, true);
    Uint32 ink = map_rgb(dark.r, dark.g, dark.b);
    int c = n / 2;
    for (int i = 0; i < 4; i++) {
        int a = c - 3 + i, b0 = c - i, b1 = c + i;
        switch (dir) {
        case 0: sge_HLine(screen, Sint16(x + b0), Sint16(x + b1), Sint16(y + a), ink); break;
        case 1: sge_HLine(screen, Sint16(x + b0), Sint16(x + b1), Sint16(y + n - 1 - a), ink); break;
        case 2: sge_VLine(screen, Sint16(x + a), Sint16(y + b0), Sint16(y + b1), ink); break;
        default: sge_VLine(screen, Sint16(x + n - 1 - a), Sint16(y + b0), Sint16(y + b1), ink); break;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Horizontal

CHScrollBar::CHScrollBar(int x, int y, int width) : CScrollBar(Sint16(x), Sint16(y), Uint16(width), 0)
{
    load_arrows("images/scroll_left.bmp", "images/scroll_right.bmp");
    rect.h = Uint16(arrow_h(arrow1) + 3);
}

int CHScrollBar::track_x() const { return rect.x + arrow_w(arrow1) + 2; }

int CHScrollBar::track_len() const
{
    // From x + left arrow + 2 to x + w - right arrow - 3, both ends included.
    return std::max(0, int(rect.w) - arrow_w(arrow1) - arrow_w(arrow2) - 4);
}

void CHScrollBar::DrawArrows()
{
    if (!visible || !screen)
        return;
    draw_arrow(arrow1, rect.x, rect.y + 1, 2);
    draw_arrow(arrow2, rect.x + rect.w - arrow_w(arrow2), rect.y + 1, 3);
    update_area(rect.x, rect.y, rect.w, rect.h);
}

void CHScrollBar::FastDraw()
{
    if (!visible || !screen)
        return;
    int len = track_len();
    SDL_Rect track = make_rect(track_x(), rect.y + 1, len, rect.h - 2);
    bevel(track, trough, false);
    Span s = thumb_span(len);
    if (s.len > 0)
        bevel(make_rect(track.x + s.pos, track.y, s.len, track.h), thumb_colour(), true);
    update_area(track.x, track.y, track.w, track.h);
}

// ---------------------------------------------------------------------------------------
// Vertical

CVScrollBar::CVScrollBar(int x, int y, int height) : CScrollBar(Sint16(x), Sint16(y), 0, Uint16(height))
{
    load_arrows("images/scroll_vup.bmp", "images/scroll_vdn.bmp");
    rect.w = Uint16(arrow_w(arrow1) + 2);
}

int CVScrollBar::track_y() const { return rect.y + arrow_h(arrow1) + 2; }

int CVScrollBar::track_len() const
{
    return std::max(0, int(rect.h) - arrow_h(arrow1) - arrow_h(arrow2) - 4);
}

void CVScrollBar::DrawArrows()
{
    if (!visible || !screen)
        return;
    draw_arrow(arrow1, rect.x + 1, rect.y, 0);
    draw_arrow(arrow2, rect.x + 1, rect.y + rect.h - arrow_h(arrow2), 1);
    update_area(rect.x, rect.y, rect.w, rect.h);
}

void CVScrollBar::FastDraw()
{
    if (!visible || !screen)
        return;
    int len = track_len();
    SDL_Rect track = make_rect(rect.x + 1, track_y(), rect.w - 2, len);
    bevel(track, trough, false);
    Span s = thumb_span(len);
    if (s.len > 0) {
        bevel(make_rect(track.x, track.y + s.pos, track.w, s.len), thumb_colour(), true);
        if (selected && active && the_button_is_pressed)
            DrawZoomArrows(track.x + track.w / 2, track.y + s.pos + s.len / 2);
    }
    // The zoom arrows may reach past the track: update the whole bar.
    update_area(rect.x, rect.y, rect.w, rect.h);
}

void CVScrollBar::DrawZoomArrows(int cx, int cy)
{
    if (!screen)
        return;
    Uint32 c = map_rgb(light.r, light.g, light.b);
    int half = std::max(2, (int(rect.w) - 4) / 2);
    sge_Trigon(screen, Sint16(cx), Sint16(cy - 18), Sint16(cx - half), Sint16(cy - 8),
               Sint16(cx + half), Sint16(cy - 8), c);
    sge_Trigon(screen, Sint16(cx), Sint16(cy + 18), Sint16(cx - half), Sint16(cy + 8),
               Sint16(cx + half), Sint16(cy + 8), c);
}
