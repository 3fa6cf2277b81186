// Push buttons and sliders: a bitmap (chosen by the button's kind), an optional icon, a
// label, an optional second line and an optional numeric value field beside the button.
#pragma once

#include "gui/number_field.h"
#include "gui/selectable.h"

class CButton : public CSDLObject, public Selectable {
public:
    SDL_Surface* up = nullptr;       // shared bitmaps: never freed here
    SDL_Surface* dn = nullptr;
    SDL_Surface* icon_up = nullptr;  // own icon bitmaps
    SDL_Surface* icon_dn = nullptr;
    int icon_x = 0, icon_y = 0;
    Uint8 pressed = 0;
    Uint8 has_value = 0;
    Uint8 show_texts = 1;
    Uint8 show_icon = 1;
    CSDLText* label = nullptr;
    CSDLText* text2 = nullptr;
    CSDLText_N* value_field = nullptr;
    int type = 0;

    // kind: "" the standard bitmap pair, "2".."8" the numbered pairs, anything else none.
    CButton(const char* kind, int x, int y, const char* icon, int iconX, int iconY,
            const char* labelText, int labelX, int labelY, int fontSize, int fontType,
            int width = 0, int height = 0, int type = 0, int valueWidth = 0,
            int valueFontSize = 0, const char* format = "", const char* ignoredText = "",
            float step = 1, float min = 0, float max = 1, float bigStep = 0,
            float bigThreshold = 0);
    ~CButton() override;

    void Draw() override;
    void Erase() override;
    void Press();
    void Release();
    void EraseL3();
    void DrawL3();
    // Replaces the label text (language text for font types below 10).
    void SetLabel(const char* t);
};

class CSlider : public CButton {
public:
    float minimum = 0, maximum = 1, value = 0;

    // `kind` picks the button bitmaps (and so the size) as for CButton.
    CSlider(int x, int y, const char* icon, int iconX, int iconY, const char* labelText,
            int labelX, int labelY, int fontSize, int fontType, const char* kind = "");
    void Draw() override;
    virtual void DrawPosition() {}
};

// The contrast and time-gain sliders of the radargram screens: a wedge of `maximum`
// vertical lines, lit up to the value.
class CHSlider : public CSlider {
public:
    CHSlider(int x, int y, const char* icon, int iconX, int iconY, const char* labelText,
             int labelX, int labelY, int fontSize, int fontType, const char* kind = "");
    void DrawPosition() override;
};

int mrnd_i(double v); // rounding used for positions
