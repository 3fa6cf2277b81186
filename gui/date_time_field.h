// The date and time field: year, month, day, hour and minute edited in turn, read from and
// written to the hardware clock.
#pragma once

#include "gui/selectable.h"
#include "gui/text_label.h"

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
