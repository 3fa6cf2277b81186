// A character entry field: a text edited letter by letter with a cursor and an alphabet.
#pragma once

#include "gui/selectable.h"
#include "gui/text_label.h"

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
