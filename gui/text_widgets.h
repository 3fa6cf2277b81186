// Text labels and the entry fields: numeric, character, number-as-characters, date and
// time, and the label-with-value line.
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

class CSDLText_N : public CSDLText, public Selectable {
public:
    using CSDLText::Draw;
    float value, step, whole_step = 1.0f, big_step, big_threshold, min, max;
    char format[31] = {};
    char suffix[33] = {};
    int stage = 0; // 0 plain, 1 whole part, 2 fractional part
    Uint8 sel_r, sel_g, sel_b;

    CSDLText_N(int x, int y, const char* label, int fontSize, Uint8 selR, Uint8 selG, Uint8 selB,
               float value, float step, float min, float max, const char* format,
               const char* suffix, int width, float bigStep = 0, float bigThreshold = 0,
               int fontType = 11);

    void Erase() override { CSDLText::Erase(); }
    void Draw() override { sDraw(); }
    void sDraw() override;
    void Next();
    void Prev();
    int Click();
    void rebuild_text();
};

class CSDLText_CH : public CSDLText, public Selectable {
public:
    using CSDLText::Draw;
    char abc[40];
    int abc_len;
    int abc_pos = 0;
    int cursor = 0;
    int max_length;
    int ch_mode = 0; // 0 moving the cursor, 1 changing the letter under it
    Uint8 bg_r, bg_g, bg_b;

    CSDLText_CH(int x, int y, const char* text, int fontSize, Uint8 bgR, Uint8 bgG, Uint8 bgB,
                int width, int maxLength);

    void Erase() override { CSDLText::Erase(); }
    void Draw() override { sDraw(); }
    void sDraw() override;
    void Next();
    void Prev();
    int Click();
    void Ins();
    void Del();
    void align();
    void Set_abc_pos();
    int length() const;
};

class CSDLText_DCH : public CSDLText_CH {
public:
    using CSDLText::Draw;
    char unit[33] = {};

    CSDLText_DCH(int x, int y, const char* text, int fontSize, Uint8 bgR, Uint8 bgG, Uint8 bgB,
                 int width, int maxLength);

    void Draw() override;
    void sDraw() override;
    void sErase();
    // 0 valid; 1 "-" inside the whole part, 2 "-" or "." inside the fraction, 3 text after
    // the number, 10 magnitude of 1e9 or more.
    int it_is_correct() const;

private:
    void draw_unit();
};

class CSDLText_DT : public CSDLText, public Selectable {
public:
    using CSDLText::Draw;
    int part = 0;     // 0 year, 1 month, 2 day, 3 hour, 4 minute; == parts: past the last
    int dt_mode = 0;  // 0 moving, 1 changing
    int parts;
    static constexpr int cursor_col[6] = {3, 6, 9, 13, 16, 18};
    int val[5] = {2013, 4, 25, 15, 15};
    static constexpr int vmin[5] = {2013, 1, 1, 0, 0};
    static constexpr int vmax[5] = {2333, 12, 31, 23, 59};
    int mdays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int seconds = 0;
    char date_text[40] = {}; // room for any int in each field of the formats
    char time_text[40] = {};
    Uint8 bg_r, bg_g, bg_b;

    CSDLText_DT(int x, int y, const char* text, int fontSize, Uint8 bgR, Uint8 bgG, Uint8 bgB,
                int width, int nparts = 5);

    void Erase() override { CSDLText::Erase(); }
    void Draw() override { sDraw(); }
    void sDraw() override;
    void Next();
    void Prev();
    bool Click();
    void print_text();
    void hc_read();
    void time_write();
    void hc_write();

private:
    void fix_february();
};

class CSDLText_Dub : public CSDLText, public Selectable {
public:
    using CSDLText::Draw;
    char value[252] = {};
    bool framed;
    int label_end = 0;
    int given_width;

    CSDLText_Dub(int x, int y, const char* label, int fontSize, Uint8 textR, Uint8 textG,
                 Uint8 textB, Uint8 selR, Uint8 selG, Uint8 selB, const char* value, int width,
                 bool framed, int fontType);

    void Erase() override { CSDLText::Erase(); }
    void Draw() override;
    void sDraw() override;
    void SetValue(const char* v);
};
