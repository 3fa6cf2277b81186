// A label with its value on one line, optionally framed.
#pragma once

#include "gui/selectable.h"
#include "gui/text_label.h"

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
