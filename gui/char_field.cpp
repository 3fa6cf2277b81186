#include "gui/char_field.h"

#include "gui/draw.h"

#include <cstdio>
#include <cstring>

CSDLText_CH::CSDLText_CH(int x, int y, const char* t, int fontSize, Uint8 bgR, Uint8 bgG,
                         Uint8 bgB, int width, int maxLength)
    : CSDLText(x, y, t, fontSize, width, false, false, 11), max_length(maxLength), bg_r(bgR),
      bg_g(bgG), bg_b(bgB)
{
    snprintf(abc, sizeof abc, "%s", "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890_");
    abc_len = int(strlen(abc));
    if (max_length > int(kTextBytes) - 1)
        max_length = int(kTextBytes) - 1;
    rect.w = Uint16(width);
    rect.y = Sint16(rect.y - 10);
    rect.h = Uint16(rect.h + 20);
    bkg_colour = map_rgb(bgR, bgG, bgB);
    recinit(rect, 2);
}

int CSDLText_CH::length() const { return int(strlen(text)); }

void CSDLText_CH::Set_abc_pos()
{
    abc_pos = 0;
    if (cursor < length()) {
        const char* p = strchr(abc, text[cursor]);
        if (p && *p)
            abc_pos = int(p - abc);
    }
}

void CSDLText_CH::Next()
{
    int len = length();
    if (ch_mode == 1 && cursor < len) {
        abc_pos = (abc_pos + 1) % abc_len;
        text[cursor] = abc[abc_pos];
    } else if (ch_mode == 0) {
        if (cursor < len)
            cursor++;
        if (cursor < len)
            Set_abc_pos();
    }
    sDraw();
}

void CSDLText_CH::Prev()
{
    int len = length();
    if (ch_mode == 1 && cursor < len) {
        abc_pos = (abc_pos + abc_len - 1) % abc_len;
        text[cursor] = abc[abc_pos];
    } else if (ch_mode == 0) {
        if (cursor > 0)
            cursor--;
        if (cursor < len)
            Set_abc_pos();
    }
    sDraw();
}

int CSDLText_CH::Click()
{
    if (ch_mode == 1) {
        ch_mode = 0;
    } else {
        int len = length();
        if (cursor == len) {
            if (len >= max_length)
                return 1;
            text[len] = abc[abc_len - 1];
            text[len + 1] = 0;
            abc_pos = abc_len - 1;
        } else if (cursor > len) {
            return 0;
        }
        ch_mode = 1;
    }
    sDraw();
    return 1;
}

void CSDLText_CH::Ins()
{
    int len = length();
    if (len >= max_length || cursor > len)
        return;
    memmove(text + cursor + 1, text + cursor, size_t(len - cursor + 1));
    text[cursor] = abc[abc_len - 1];
    ch_mode = 0;
    sDraw();
}

void CSDLText_CH::Del()
{
    int len = length();
    if (len < 2 || cursor >= len)
        return;
    memmove(text + cursor, text + cursor + 1, size_t(len - cursor));
    ch_mode = 0;
    sDraw();
}

void CSDLText_CH::align() { cursor = length(); }

void CSDLText_CH::sDraw()
{
    if (!screen)
        return;
    if (selected)
        fill_rect(&rect, bkg_colour);
    else
        erase_rect(&rect);
    draw_text(map_rgb(255, 255, 255));
    if (!selected)
        return;
    int tw = Uni_TextSize(11, size, text).w;
    Draw_Arrow(rect.x + tw + 25, rect.y + 10, 10, 1);
    char before[kTextBytes];
    snprintf(before, sizeof before, "%.*s", cursor, text);
    int cx = rect.x + Uni_TextSize(11, size, before).w + 5 + (cursor >= length() ? 24 : 0);
    Draw_Arrow(cx, rect.y + size + 25, 6, -1);
    if (ch_mode == 1)
        Draw_Arrow(cx, rect.y + 2, 6, 1);
}
