#include "gui/sdl_object.h"

#include "platform/globals.h"
#include "config/parameters.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#ifndef GPRMON_ASSET_DIR
#define GPRMON_ASSET_DIR ""
#endif

SDL_Surface* screen = nullptr;

sge_TTFont* CSDLObject::s_font = nullptr;
sge_TTFont* CSDLObject::s_font2 = nullptr;
sge_TTFont* CSDLObject::b_font = nullptr;
sge_TTFont* CSDLObject::r_font = nullptr;
sge_TTFont* CSDLObject::box_font = nullptr;
sge_TTFont* CSDLObject::kina_font = nullptr;

SDL_Surface *button_up, *button_dn, *button2_up, *button2_dn, *button3_up, *button3_dn,
    *button4_up, *button5_up, *button5_dn, *button6_up, *button6_dn, *button7_up, *button7_dn,
    *button8_up, *button8_dn, *slider_up, *slider_dn, *ver_arrow, *ver_parrow;

Uint32 map_rgb(Uint8 r, Uint8 g, Uint8 b)
{
    return screen ? SDL_MapRGB(screen->format, r, g, b) : 0;
}

Uint32 bkg_pixel() { return map_rgb(kBkgR, kBkgG, kBkgB); }

size_t str_copy(char* dst, size_t cap, const char* src)
{
    if (cap == 0)
        return 0;
    size_t n = src ? strnlen(src, cap - 1) : 0;
    memmove(dst, src ? src : "", n);
    dst[n] = 0;
    return n;
}

size_t str_append(char* dst, size_t cap, const char* src)
{
    if (cap == 0)
        return 0;
    size_t have = strnlen(dst, cap - 1);
    return have + str_copy(dst + have, cap - have, src);
}

int text_language() { return prm.language; }

bool chinese_text() { return prm.language == 8 && CSDLObject::kina_font != nullptr; }

// ---------------------------------------------------------------------------------------
// Strings

namespace {

size_t u16_len(const char* s, size_t max_units)
{
    size_t n = 0;
    while (n < max_units && (s[2 * n] || s[2 * n + 1]))
        n++;
    return n;
}

// Language text is 16-bit only in Chinese; the string routines follow the stored language
// even before the font is loaded, since the language table is built in that form.
bool wide() { return prm.language == 8; }

} // namespace

void CSDLObject::uni_strcpy(char* dst, const char* src, size_t cap)
{
    if (cap == 0)
        return;
    if (wide()) {
        if (cap < 2) {
            dst[0] = 0;
            return;
        }
        size_t n = u16_len(src, cap / 2 - 1);
        memmove(dst, src, 2 * n);
        dst[2 * n] = dst[2 * n + 1] = 0;
    } else {
        str_copy(dst, cap, src);
    }
}

void CSDLObject::conv_strcpy(char* dst, const char* src, size_t cap)
{
    if (cap == 0)
        return;
    if (wide()) {
        if (cap < 2) {
            dst[0] = 0;
            return;
        }
        size_t n = 0, max = cap / 2 - 1;
        for (; n < max && src[n]; n++) {
            dst[2 * n] = src[n];
            dst[2 * n + 1] = 0;
        }
        dst[2 * n] = dst[2 * n + 1] = 0;
    } else {
        str_copy(dst, cap, src);
    }
}

void CSDLObject::uni_strcat(char* dst, const char* src, size_t cap)
{
    if (wide()) {
        size_t have = u16_len(dst, cap / 2);
        if (2 * have + 2 > cap)
            return;
        uni_strcpy(dst + 2 * have, src, cap - 2 * have);
    } else {
        str_append(dst, cap, src);
    }
}

void CSDLObject::conv_strcat(char* dst, const char* src, size_t cap)
{
    if (wide()) {
        size_t have = u16_len(dst, cap / 2);
        if (2 * have + 2 > cap)
            return;
        conv_strcpy(dst + 2 * have, src, cap - 2 * have);
    } else {
        uni_strcat(dst, src, cap);
    }
}

char* CSDLObject::uni_strtok(char* text, char separator, int fontType)
{
    if (!text)
        return nullptr;
    if (wide() && is_language_text(fontType)) {
        for (size_t i = 0;; i++) {
            unsigned char lo = (unsigned char)text[2 * i], hi = (unsigned char)text[2 * i + 1];
            unsigned unit = lo | (hi << 8);
            if (unit == (unsigned char)separator && unit != 0) {
                text[2 * i] = text[2 * i + 1] = 0;
                return text + 2 * i + 2;
            }
            if (unit == 0)
                return nullptr;
        }
    }
    for (size_t i = 0;; i++) {
        if (text[i] == separator) {
            if (separator == 0)
                return text + i; // the terminator itself: the rest is empty
            text[i] = 0;
            return text + i + 1;
        }
        if (text[i] == 0)
            return nullptr;
    }
}

size_t CSDLObject::uni_strlen(const char* text, int fontType)
{
    if (wide() && is_language_text(fontType))
        return u16_len(text, 4096);
    return strlen(text);
}

bool CSDLObject::uni_empty(const char* text, int fontType)
{
    if (wide() && is_language_text(fontType))
        return text[0] == 0 && text[1] == 0;
    return text[0] == 0;
}

// ---------------------------------------------------------------------------------------
// Fonts and text drawing
//
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

// ---------------------------------------------------------------------------------------
// Bitmaps and data files

const char* asset_path(const char* relative, char* out, size_t cap)
{
    snprintf(out, cap, "%s", relative);
    if (access(out, R_OK) == 0)
        return out;
    const char* dirs[] = {getenv("GPRMON_ASSETS"), GPRMON_ASSET_DIR};
    for (const char* d : dirs) {
        if (!d || !*d)
            continue;
        char p[512];
        snprintf(p, sizeof p, "%s/%s", d, relative);
        if (access(p, R_OK) == 0) {
            snprintf(out, cap, "%s", p);
            return out;
        }
    }
    snprintf(out, cap, "%s", relative);
    return out;
}

void CSDLObject::read_bmp(const char* path, SDL_Surface** surface)
{
    char full[512];
    asset_path(path, full, sizeof full);
    SDL_Surface* s;
    {
        MutexLock lock(lock_dw);
        s = SDL_LoadBMP(full);
    }
    if (!s) {
        printf("Couldn't load %s: %s\n", path, SDL_GetError());
        *surface = nullptr;
        return;
    }
    if (s->format->palette && s->format->palette->ncolors > 0)
        SDL_SetPalette(s, SDL_LOGPAL | SDL_PHYSPAL, s->format->palette->colors, 0,
                       s->format->palette->ncolors);
    *surface = s;
}

namespace {

SDL_Surface* load(const char* name, bool white_key = false)
{
    char path[128];
    snprintf(path, sizeof path, "images/%s", name);
    SDL_Surface* s = nullptr;
    CSDLObject::read_bmp(path, &s);
    if (s && white_key)
        SDL_SetColorKey(s, SDL_SRCCOLORKEY, SDL_MapRGB(s->format, 255, 255, 255));
    return s;
}

void release(SDL_Surface*& s)
{
    if (s)
        SDL_FreeSurface(s);
    s = nullptr;
}

} // namespace

void load_shared_bitmaps()
{
    button_up = load("bt_up_hr.bmp");
    button_dn = load("bt_dn_hr.bmp");
    button2_up = load("bt2_up_hr.bmp");
    button2_dn = load("bt2_dn_hr.bmp");
    button3_up = load("bt3_up_hr.bmp");
    button3_dn = load("bt3_dn_hr.bmp");
    button4_up = load("bt4_up.bmp");
    button5_up = load("bt5_up.bmp");
    button5_dn = load("bt5_dn.bmp");
    button6_up = load("bt6_up.bmp");
    button6_dn = load("bt6_dn.bmp");
    button7_up = load("bt7_up.bmp");
    button7_dn = load("bt7_dn.bmp");
    button8_up = load("quitl_up.bmp");
    button8_dn = load("quitl_dn.bmp");
    slider_up = load("sl_up.bmp");
    slider_dn = load("sl_dn.bmp");
    ver_arrow = load("arr_ver_up.bmp", true);
    ver_parrow = load("arr_ver_dn.bmp", true);
}

void free_shared_bitmaps()
{
    SDL_Surface** all[] = {&button_up,  &button_dn,  &button2_up, &button2_dn, &button3_up,
                           &button3_dn, &button4_up, &button5_up, &button5_dn, &button6_up,
                           &button6_dn, &button7_up, &button7_dn, &button8_up, &button8_dn,
                           &slider_up,  &slider_dn,  &ver_arrow,  &ver_parrow};
    for (SDL_Surface** s : all)
        release(*s);
}

// ---------------------------------------------------------------------------------------
// Objects

void CSDLObject::Erase()
{
    if (erasable)
        erase_rect(&rect);
}

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

// ---------------------------------------------------------------------------------------
// Screen-level drawing

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
