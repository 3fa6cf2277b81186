#include "gui/label_value.h"

#include "gui/draw.h"

#include <cstdio>

CSDLText_Dub::CSDLText_Dub(int x, int y, const char* label, int fontSize, Uint8 textR,
                           Uint8 textG, Uint8 textB, Uint8 selR, Uint8 selG, Uint8 selB,
                           const char* v, int width, bool framed_, int fontType)
    : CSDLText(x, y, label, fontSize, width, false, false, fontType), framed(framed_),
      given_width(width)
{
    text_colour = map_rgb(textR, textG, textB);
    sel_colour = map_rgb(selR, selG, selB);
    if (framed)
        bkg_colour = sel_colour;
    SetValue(v);
}

void CSDLText_Dub::SetValue(const char* v)
{
    if (is_language_text(font_type))
        uni_strcpy(value, v ? v : "", sizeof value);
    else
        snprintf(value, sizeof value, "%s", v ? v : "");
}

void CSDLText_Dub::Draw()
{
    if (!screen || uni_empty(text, font_type))
        return;
    SDL_Rect drawn = draw_text(text_colour);
    rect = {Sint16(drawn.x - 5), Sint16(drawn.y - 5), Uint16(given_width), Uint16(drawn.h + 10)};
    label_end = drawn.x + drawn.w;
    sDraw();
}

void CSDLText_Dub::sDraw()
{
    if (!screen)
        return;
    if (framed) {
        fill_rect(&rect, bkg_colour);
        SDL_Rect drawn = draw_text(text_colour);
        label_end = drawn.x + drawn.w;
        UniTextOut(screen, font_type, size, value, label_end + 5, ty, text_colour);
        return;
    }
    int right = rect.x + rect.w;
    SDL_Rect area{Sint16(label_end), rect.y, Uint16(right > label_end ? right - label_end : 0), rect.h};
    fill_rect(&area, selected ? sel_colour : bkg_pixel());
    UniTextOut(screen, font_type, size, value, label_end, ty, text_colour);
}
