// Base of every drawable object, the focus-frame mix-in, the fonts and text routines, the
// bitmap loader and the screen-level drawing functions.
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

// Bounded 8-bit string copy and append: at most cap - 1 bytes end up in dst, which is always
// terminated (cap 0 leaves it untouched). Cutting a longer text short is their purpose.
// Return the length of the result.
size_t str_copy(char* dst, size_t cap, const char* src);
size_t str_append(char* dst, size_t cap, const char* src);

// Language index of the text routines: 7 = Russian (Windows-1251), 8 = Chinese (16-bit).
int text_language();
bool chinese_text(); // language 8 with its font loaded

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

    // Font of a font type (see text.cpp for the table) and whether its text is language text.
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

// Focus frame of every focusable widget: a yellow frame (or a selection bitmap) around the
// widget's rectangle.
class Selectable {
public:
    SDL_Surface* sel_bitmap = nullptr;
    SDL_Rect outer{0, 0, 0, 0};
    SDL_Rect bar_top{0, 0, 0, 0}, bar_bottom{0, 0, 0, 0}, bar_left{0, 0, 0, 0},
        bar_right{0, 0, 0, 0};
    Uint8 frame_r = 255, frame_g = 255, frame_b = 0;
    Uint8 selected = 0;

    virtual ~Selectable() = default;
    virtual void sDraw();
    virtual void setSelected();
    virtual void setUsual();
    void recinit(const SDL_Rect& r, int border);
};

// Screen-level drawing.
void update_clipped(SDL_Surface* s, int x, int y, int w, int h); // clipped SDL_UpdateRect
void update_area(int x, int y, int w, int h);                     // the same on `screen`
void display_surface(SDL_Surface* surface, int x, int y, int width = 0);
void fill_rect(SDL_Rect* rect, Uint32 pixel);
void erase_rect(SDL_Rect* rect);
void fill_screen(Uint8 r, Uint8 g, Uint8 b);
void Draw_Arrow(int x, int y, int n, int direction);
void DrawPoint2(SDL_Surface* surface, int x, int y, Uint32 pixel);
void DrawPoint3(SDL_Surface* surface, int x, int y, Uint32 pixel);
void DrawPoint4(SDL_Surface* surface, int x, int y, Uint32 pixel);

// Where the data files of the display live: "./images/NAME" and "./FONT.ttf" on the device.
// A development build also finds them in the build's generated asset folder (or in the
// folder named by GPRMON_ASSETS) when the working folder has none.
const char* asset_path(const char* relative, char* out, size_t cap);

// Shared button, slider and arrow bitmaps (loaded once by the screen table).
extern SDL_Surface *button_up, *button_dn, *button2_up, *button2_dn, *button3_up, *button3_dn,
    *button4_up, *button5_up, *button5_dn, *button6_up, *button6_dn, *button7_up, *button7_dn,
    *button8_up, *button8_dn, *slider_up, *slider_dn, *ver_arrow, *ver_parrow;
void load_shared_bitmaps();
void free_shared_bitmaps();
