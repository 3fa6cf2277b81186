// A text label: one line of language or 8-bit text in one of the fonts, aligned in a band,
// with an optional shadow and background.
#pragma once

#include "gui/sdl_object.h"

constexpr size_t kTextBytes = 252; // 126 units in Chinese

class CSDLText : public CSDLObject {
public:
    int h_align = 0;        // 1 centred in the band, 2 right-aligned at the text x
    int band_width = kScreenW, band_offset = 0;
    int v_align = 0;        // 1 centred in the vertical band
    int band_height = kScreenH, v_offset = 0;
    bool shadow = false;
    bool fill_bkg = false;
    int font_type = 1;
    int tx = 0, ty = 0;     // text x and baseline y
    int size = 24;
    int fixed_width = 0;    // 0: the rectangle follows the drawn text
    int margin = 5;
    int top_limit = 0;      // the box (erased by the next text) never reaches above this row
    char text[kTextBytes] = {};
    Uint32 text_colour = 0; // 0: the colour handed to Draw
    Uint32 bkg_colour = 0, sel_colour = 0;

    CSDLText(int x, int y, const char* text, int fontSize, int width = 0, bool fillBackground = false,
             bool shadow = false, int fontType = 1);

    void Draw() override { Draw(255, 255, 255); }
    virtual void Draw(Uint8 r, Uint8 g, Uint8 b);
    void SetTextColor(Uint8 r, Uint8 g, Uint8 b) { text_colour = map_rgb(r, g, b); }
    void SetBkgColor(Uint8 r, Uint8 g, Uint8 b) { bkg_colour = map_rgb(r, g, b); }
    void SetSelColor(Uint8 r, Uint8 g, Uint8 b) { sel_colour = map_rgb(r, g, b); }
    // Copies a text of this object's kind (language text for font types below 10: in
    // Chinese that is 16-bit text, so an 8-bit literal must go through SetText8).
    void SetText(const char* t);
    // Copies plain 8-bit text (widened in Chinese when this object holds language text).
    void SetText8(const char* t);

protected:
    SDL_Rect draw_text(Uint32 colour);
};
