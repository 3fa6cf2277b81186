// A number typed as characters, with its unit behind it and a check of its form.
#pragma once

#include "gui/char_field.h"

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
