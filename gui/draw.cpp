#include "gui/draw.h"

#include "gui/sdl_object.h"

// SDL_UpdateRect needs a rectangle inside the surface.
void update_clipped(SDL_Surface* s, int x, int y, int w, int h)
{
    if (!s)
        return;
    if (x < 0) { w += x; x = 0; }
    if (y < 0) { h += y; y = 0; }
    if (x + w > s->w) w = s->w - x;
    if (y + h > s->h) h = s->h - y;
    if (w > 0 && h > 0)
        SDL_UpdateRect(s, x, y, w, h);
}

void update_area(int x, int y, int w, int h) { update_clipped(screen, x, y, w, h); }

void display_surface(SDL_Surface* surface, int x, int y, int width)
{
    if (!surface || !screen)
        return;
    SDL_Rect src{0, 0, Uint16(width ? width : surface->w), Uint16(surface->h)};
    SDL_Rect dst{Sint16(x), Sint16(y), src.w, src.h};
    if (SDL_BlitSurface(surface, &src, screen, &dst) < 0)
        printf("BlitSurface error1: %s\n", SDL_GetError());
    update_clipped(screen, x, y, src.w, src.h);
}

void fill_rect(SDL_Rect* rect, Uint32 pixel)
{
    if (!screen || !rect)
        return;
    SDL_Rect r = *rect;
    SDL_FillRect(screen, &r, pixel);
    update_clipped(screen, rect->x, rect->y, rect->w, rect->h);
}

void erase_rect(SDL_Rect* rect) { fill_rect(rect, bkg_pixel()); }

void fill_screen(Uint8 r, Uint8 g, Uint8 b)
{
    SDL_Rect all{0, 0, kScreenW, kScreenH};
    fill_rect(&all, map_rgb(r, g, b));
}

void Draw_Arrow(int x, int y, int n, int direction)
{
    if (!screen || n <= 0)
        return;
    Uint32 white = map_rgb(255, 255, 255);
    for (int i = 0; i < n; i++)
        sge_HLine(screen, Sint16(x + i), Sint16(x + 2 * n - 1 - i), Sint16(y + direction * i),
                  white);
    int top = direction >= 0 ? y : y - (n - 1);
    update_clipped(screen, x, top, 2 * n, n);
}

namespace {
void dot(SDL_Surface* s, int x, int y, int n, Uint32 pixel)
{
    if (!s)
        return;
    SDL_Rect r{Sint16(x), Sint16(y), Uint16(n), Uint16(n)};
    SDL_FillRect(s, &r, pixel);
}
} // namespace

void DrawPoint2(SDL_Surface* s, int x, int y, Uint32 pixel) { dot(s, x, y, 2, pixel); }
void DrawPoint3(SDL_Surface* s, int x, int y, Uint32 pixel) { dot(s, x, y, 3, pixel); }
void DrawPoint4(SDL_Surface* s, int x, int y, Uint32 pixel) { dot(s, x, y, 4, pixel); }
