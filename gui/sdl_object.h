// Base of every drawable object, with the video surface it draws on. The fonts, the text
// routines and the bitmap loader are static members of the base class, defined beside what
// they serve: fonts.cpp, wide_text.cpp, bitmaps.cpp. The focus frame is in selectable.h, the
// screen-level drawing in draw.h.
//
// There is one full-screen video surface (`screen`, 1024 x 768 x 16) and no window system:
// every object draws straight onto it and updates only its own rectangle. "Erase" always
// means filling with the background colour RGB (53, 38, 38).
#pragma once

#include <SDL/SDL.h>
#include <SDL/sge.h>
#include <cstddef>
#include <cstdint>

constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;
constexpr Uint8 kBkgR = 53, kBkgG = 38, kBkgB = 38;

extern SDL_Surface* screen; // the video surface, set by the screen table's constructor

// Pixel value of an RGB colour on the video surface (0 before the surface exists).
Uint32 map_rgb(Uint8 r, Uint8 g, Uint8 b);
Uint32 bkg_pixel();

class CSDLObject {
public:
    // SDL rectangle layout, so the rectangle can be handed to SDL calls directly.
    SDL_Rect rect{0, 0, 0, 0};
    Uint8 erasable = 1;
    Uint8 visible = 1;

    CSDLObject() = default;
    CSDLObject(Sint16 x, Sint16 y, Uint16 w, Uint16 h) : rect{x, y, w, h} {}
    virtual ~CSDLObject() = default;
    CSDLObject(const CSDLObject&) = delete;
    CSDLObject& operator=(const CSDLObject&) = delete;

    virtual void Erase();
    virtual void Draw() {}

    // The six fonts (opened by the screen table; kina_font only when Chinese is chosen).
    static sge_TTFont *s_font, *s_font2, *b_font, *r_font, *box_font, *kina_font;

    // Font of a font type (see fonts.cpp for the table) and whether its text is language text.
    static sge_TTFont* font_of(int fontType);
    static bool is_language_text(int fontType) { return fontType < 10; }

    // String routines: Chinese text is 16-bit little-endian units ending in a zero unit,
    // every other language plain 8-bit C strings. `cap` is the size of dst in bytes; every
    // copy stops there and the result is always terminated.
    static void uni_strcpy(char* dst, const char* src, size_t cap);
    static void conv_strcpy(char* dst, const char* src, size_t cap);
    static void uni_strcat(char* dst, const char* src, size_t cap);
    static void conv_strcat(char* dst, const char* src, size_t cap);
    static char* uni_strtok(char* text, char separator, int fontType);
    static size_t uni_strlen(const char* text, int fontType); // characters (units)
    static bool uni_empty(const char* text, int fontType);

    static SDL_Rect Uni_TextSize(int fontType, int size, const char* text);
    static SDL_Rect UniTextOut(SDL_Surface* surface, int fontType, int size, const char* text,
                               int x, int y, Uint32 colour, int hAlign = 0, int width = 0,
                               int xOffset = 0, int vAlign = 0, int height = 0, int yOffset = 0);

    // Loads a BMP (under lock_dw); a palette is applied to the surface. On failure prints
    // "Couldn't load %s: %s\n" and leaves *surface null.
    static void read_bmp(const char* path, SDL_Surface** surface);
};
