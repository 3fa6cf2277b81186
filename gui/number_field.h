// A numeric entry field: a label and a value changed in steps, whole and fractional parts
// edited in turn.
#pragma once

#include "gui/selectable.h"
#include "gui/text_label.h"

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
