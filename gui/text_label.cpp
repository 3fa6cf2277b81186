#include "gui/text_label.h"

#include "gui/draw.h"

#include <algorithm>
#include <cstdio>

CSDLText::CSDLText(int x, int y, const char* t, int fontSize, int width, bool fillBackground,
                   bool shadow_, int fontType)
{
    h_align = x == -1 ? 1 : x == -2 ? 2 : 0;
    v_align = y == -1 ? 1 : 0;
    shadow = shadow_;
    fill_bkg = fillBackground;
    font_type = fontType;
    tx = x == -2 ? kScreenW - 16 : x + 5;
    ty = y;
    size = fontSize;
    fixed_width = width;
    if (t)
        SetText(t);
    bkg_colour = bkg_pixel();
    sel_colour = bkg_pixel();
    rect = {Sint16(x), Sint16(y - size - 5), Uint16(width ? width : 50), Uint16(size + 10)};
}

void CSDLText::SetText(const char* t)
{
    if (is_language_text(font_type))
        uni_strcpy(text, t ? t : "", sizeof text);
    else
        snprintf(text, sizeof text, "%s", t ? t : "");
}

void CSDLText::SetText8(const char* t)
{
    if (is_language_text(font_type))
        conv_strcpy(text, t ? t : "", sizeof text);
    else
        snprintf(text, sizeof text, "%s", t ? t : "");
}

SDL_Rect CSDLText::draw_text(Uint32 colour)
{
    return UniTextOut(screen, font_type, size, text, tx, ty, colour, h_align, band_width,
                      band_offset, v_align, band_height, v_offset);
}

void CSDLText::Draw(Uint8 r, Uint8 g, Uint8 b)
{
    if (!screen)
        return;
    Uint32 colour = text_colour ? text_colour : map_rgb(r, g, b);
    if (fill_bkg)
        fill_rect(&rect, bkg_colour);
    if (shadow) {
        int keep_x = tx, keep_y = ty, keep_off = band_offset, keep_voff = v_offset;
        tx += 2;
        ty += 2;
        band_offset += 2;
        v_offset += 2;
        draw_text(map_rgb(50, 50, 50));
        tx = keep_x;
        ty = keep_y;
        band_offset = keep_off;
        v_offset = keep_voff;
    }
    SDL_Rect drawn = draw_text(colour);
    if (!fixed_width && drawn.w > 0) {
        // The font's box reaches well above the letters: it is cut at the limit, so that the
        // next text's erase spares what stands above the line.
        const int top = std::max(drawn.y - margin, top_limit);
        const int bottom = drawn.y + drawn.h + margin;
        rect = {Sint16(drawn.x - margin), Sint16(top), Uint16(drawn.w + 2 * margin),
                Uint16(std::max(0, bottom - top))};
    }
}
