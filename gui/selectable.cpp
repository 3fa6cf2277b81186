#include "gui/selectable.h"

#include "gui/draw.h"
#include "gui/sdl_object.h"

void Selectable::recinit(const SDL_Rect& r, int border)
{
    outer = {Sint16(r.x - border), Sint16(r.y - border), Uint16(r.w + 2 * border),
             Uint16(r.h + 2 * border)};
    bar_top = {outer.x, outer.y, outer.w, Uint16(border)};
    bar_bottom = {outer.x, Sint16(r.y + r.h), outer.w, Uint16(border)};
    bar_left = {outer.x, outer.y, Uint16(border), outer.h};
    bar_right = {Sint16(r.x + r.w), outer.y, Uint16(border), outer.h};
}

void Selectable::sDraw()
{
    if (!screen)
        return;
    if (selected) {
        if (sel_bitmap) {
            display_surface(sel_bitmap, outer.x, outer.y);
        } else {
            Uint32 c = map_rgb(frame_r, frame_g, frame_b);
            SDL_Rect bars[4] = {bar_top, bar_bottom, bar_left, bar_right};
            for (SDL_Rect& b : bars)
                SDL_FillRect(screen, &b, c);
            update_area(outer.x, outer.y, outer.w, outer.h);
        }
    } else if (sel_bitmap) {
        erase_rect(&outer);
    } else {
        erase_rect(&bar_top);
        erase_rect(&bar_bottom);
        erase_rect(&bar_left);
        erase_rect(&bar_right);
    }
}

void Selectable::setSelected()
{
    selected = 1;
    sDraw();
}

void Selectable::setUsual()
{
    selected = 0;
    sDraw();
}
