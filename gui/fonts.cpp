#include "gui/sdl_object.h"

#include "gui/wide_text.h"

sge_TTFont* CSDLObject::s_font = nullptr;
sge_TTFont* CSDLObject::s_font2 = nullptr;
sge_TTFont* CSDLObject::b_font = nullptr;
sge_TTFont* CSDLObject::r_font = nullptr;
sge_TTFont* CSDLObject::box_font = nullptr;
sge_TTFont* CSDLObject::kina_font = nullptr;

// The font of each font type:
//   type 1 s_font, 2 s_font2, 3 b_font, 4 box_font: language text; Chinese draws them all
//       with kina_font, Russian with s_font (the only one of the four with Cyrillic letters
//       on the device);
//   type 11 s_font, 12 s_font2, 13 b_font, 14 box_font: always 8-bit;
//   10 and anything else: s_font, 8-bit.

sge_TTFont* CSDLObject::font_of(int fontType)
{
    if (fontType >= 1 && fontType <= 4) {
        if (chinese_text())
            return kina_font;
        if (text_language() == 7)
            return s_font;
    }
    switch (fontType) {
    case 1: case 11: return s_font;
    case 2: case 12: return s_font2 ? s_font2 : s_font;
    case 3: case 13: return b_font ? b_font : s_font;
    case 4: case 14: return box_font ? box_font : s_font;
    default: return s_font;
    }
}

namespace {

constexpr size_t kMaxUnits = 256;

// The code units SGE draws for a text: 16-bit Chinese copied as it is; 8-bit text with
// bytes of value 2 dropped, and Windows-1251 letters (bytes above 191) moved to U+0410...
size_t to_units(const char* text, int fontType, Uint16* out)
{
    size_t n = 0;
    if (CSDLObject::is_language_text(fontType) && chinese_text()) {
        for (size_t i = 0; n < kMaxUnits - 1; i++) {
            Uint16 u = (unsigned char)text[2 * i] | ((unsigned char)text[2 * i + 1] << 8);
            if (!u)
                break;
            out[n++] = u;
        }
    } else {
        bool russian = CSDLObject::is_language_text(fontType) && text_language() == 7;
        for (const unsigned char* p = (const unsigned char*)text; *p && n < kMaxUnits - 1; p++) {
            if (*p == 2)
                continue;
            out[n++] = (russian && *p > 191) ? Uint16(*p + 848) : Uint16(*p);
        }
    }
    out[n] = 0;
    return n;
}

} // namespace

SDL_Rect CSDLObject::Uni_TextSize(int fontType, int size, const char* text)
{
    SDL_Rect r{0, 0, 0, 0};
    sge_TTFont* f = font_of(fontType);
    if (!f || !text)
        return r;
    Uint16 units[kMaxUnits];
    if (to_units(text, fontType, units) == 0)
        return r;
    sge_TTF_SetFontSize(f, size);
    return sge_TTF_TextSizeUNI(f, units);
}

SDL_Rect CSDLObject::UniTextOut(SDL_Surface* surface, int fontType, int size, const char* text,
                                int x, int y, Uint32 colour, int hAlign, int width, int xOffset,
                                int vAlign, int height, int yOffset)
{
    SDL_Rect r{Sint16(x), Sint16(y), 0, 0};
    sge_TTFont* f = font_of(fontType);
    if (!f || !surface || !text)
        return r;
    Uint16 units[kMaxUnits];
    if (to_units(text, fontType, units) == 0)
        return r;
    sge_TTF_SetFontSize(f, size);
    SDL_Rect sz = sge_TTF_TextSizeUNI(f, units);
    if (hAlign == 1)
        x = width / 2 - sz.w / 2 + xOffset;
    else if (hAlign == 2)
        x = x - sz.w;
    if (vAlign == 1)
        y = height / 2 + sz.h / 4 + yOffset;
    return sge_tt_textout_UNI(surface, f, units, Sint16(x), Sint16(y), colour, colour, 255);
}
