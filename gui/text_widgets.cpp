#include "gui/text_widgets.h"

#include "platform/shell.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

// ---------------------------------------------------------------------------------------
// CSDLText

CSDLText::CSDLText(int x, int y, const char* t, int fontSize, int width, bool fillBackground,
                   bool shadow_, int fontType)
{
    h_align = x == -1 ? 1 : x == -2 ? 2 : 0;
    v_align = y == -1 ? 1 : 0;
    shadow = shadow_;
    fill_bkg = fillBackground;
    font_type = fontType;
    tx = x == -2 ? kScreenW - 16 : x + 5;
    ty = y;
    size = fontSize;
    fixed_width = width;
    if (t)
        SetText(t);
    bkg_colour = bkg_pixel();
    sel_colour = bkg_pixel();
    rect = {Sint16(x), Sint16(y - size - 5), Uint16(width ? width : 50), Uint16(size + 10)};
}

void CSDLText::SetText(const char* t)
{
    if (is_language_text(font_type))
        uni_strcpy(text, t ? t : "", sizeof text);
    else
        snprintf(text, sizeof text, "%s", t ? t : "");
}

void CSDLText::SetText8(const char* t)
{
    if (is_language_text(font_type))
        conv_strcpy(text, t ? t : "", sizeof text);
    else
        snprintf(text, sizeof text, "%s", t ? t : "");
}

SDL_Rect CSDLText::draw_text(Uint32 colour)
{
    return UniTextOut(screen, font_type, size, text, tx, ty, colour, h_align, band_width,
                      band_offset, v_align, band_height, v_offset);
}

void CSDLText::Draw(Uint8 r, Uint8 g, Uint8 b)
{
    if (!screen)
        return;
    Uint32 colour = text_colour ? text_colour : map_rgb(r, g, b);
    if (fill_bkg)
        fill_rect(&rect, bkg_colour);
    if (shadow) {
        int keep_x = tx, keep_y = ty, keep_off = band_offset, keep_voff = v_offset;
        tx += 2;
        ty += 2;
        band_offset += 2;
        v_offset += 2;
        draw_text(map_rgb(50, 50, 50));
        tx = keep_x;
        ty = keep_y;
        band_offset = keep_off;
        v_offset = keep_voff;
    }
    SDL_Rect drawn = draw_text(colour);
    if (!fixed_width && drawn.w > 0)
        rect = {Sint16(drawn.x - 5), Sint16(drawn.y - 5), Uint16(drawn.w + 10), Uint16(drawn.h + 10)};
}

// ---------------------------------------------------------------------------------------
// CSDLText_N

CSDLText_N::CSDLText_N(int x, int y, const char* label, int fontSize, Uint8 selR, Uint8 selG,
                       Uint8 selB, float value_, float step_, float min_, float max_,
                       const char* format_, const char* suffix_, int width, float bigStep,
                       float bigThreshold, int fontType)
    : CSDLText(x, y, label, fontSize, width, false, false, fontType), value(value_), step(step_),
      big_step(bigStep), big_threshold(bigThreshold), min(min_), max(max_), sel_r(selR),
      sel_g(selG), sel_b(selB)
{
    snprintf(format, sizeof format, "%s", format_ ? format_ : "");
    snprintf(suffix, sizeof suffix, "%s", suffix_ ? suffix_ : "");
    rect.w = Uint16(width);
    rect.y = Sint16(rect.y - 16);
    rect.h = Uint16(rect.h + 32);
    sel_colour = map_rgb(selR, selG, selB);
    recinit(rect, 2);
}

void CSDLText_N::rebuild_text()
{
    if (!format[0])
        return;
    char buf[kTextBytes];
    snprintf(buf, sizeof buf, format, double(value));
    size_t n = strlen(buf);
    snprintf(buf + n, sizeof buf - n, "%s", suffix);
    SetText8(buf);
}

namespace {
float increment_of(const CSDLText_N& f, bool up)
{
    if (f.stage == 1)
        return f.whole_step;
    // At exactly the threshold a value goes up by the big step and down by the small one.
    float edge = up ? f.big_threshold - 0.000001f : f.big_threshold + 0.000001f;
    if (f.big_step > f.step && f.value > edge)
        return f.big_step;
    return f.step;
}
} // namespace

void CSDLText_N::Next()
{
    float inc = increment_of(*this, true);
    value = std::min(max, value + inc);
    sDraw();
}

void CSDLText_N::Prev()
{
    float inc = increment_of(*this, false);
    value = std::max(min, value - inc);
    sDraw();
}

int CSDLText_N::Click()
{
    if (stage == 1) {
        stage = 2;
        sDraw();
        return 1;
    }
    if (stage == 2)
        return 0;
    sDraw();
    return 1;
}

void CSDLText_N::sDraw()
{
    if (!screen)
        return;
    rebuild_text();
    rect.w = Uint16(fixed_width);
    fill_rect(&rect, selected ? sel_colour : bkg_colour);
    draw_text(map_rgb(255, 255, 255));
    if (selected && stage >= 1) {
        int ay = int(rect.y + size + 36.8);
        int ax = tx;
        if (stage == 2) {
            char before[kTextBytes];
            snprintf(before, sizeof before, "%s", text);
            if (char* dot = strchr(before, '.'))
                *dot = 0;
            ax = int(tx - 5 + Uni_TextSize(font_type, size, before).w + 11.2);
        }
        Draw_Arrow(ax, ay, 9, -1);
    }
}

// ---------------------------------------------------------------------------------------
// CSDLText_CH

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

// ---------------------------------------------------------------------------------------
// CSDLText_DCH

CSDLText_DCH::CSDLText_DCH(int x, int y, const char* t, int fontSize, Uint8 bgR, Uint8 bgG,
                           Uint8 bgB, int width, int maxLength)
    : CSDLText_CH(x, y, t, fontSize, bgR, bgG, bgB, width, maxLength)
{
    snprintf(abc, sizeof abc, "%s", "1234567890.- ");
    abc_len = int(strlen(abc));
}

void CSDLText_DCH::draw_unit()
{
    if (unit[0])
        UniTextOut(screen, 11, size, unit, tx + fixed_width - 30, ty, map_rgb(255, 255, 255));
}

void CSDLText_DCH::Draw()
{
    CSDLText_CH::sDraw();
    draw_unit();
}

void CSDLText_DCH::sDraw()
{
    CSDLText_CH::sDraw();
    draw_unit();
}

void CSDLText_DCH::sErase()
{
    SDL_Rect r = rect;
    r.w = Uint16(fixed_width);
    erase_rect(&r);
}

int CSDLText_DCH::it_is_correct() const
{
    const char* p = text;
    while (*p == ' ')
        p++;
    enum { Whole, Fraction, Ended } state = Whole;
    if (*p == '.') {
        state = Fraction;
        p++;
    } else if (*p) {
        p++; // the first character (a digit or the sign) starts the number
    }
    for (; *p; p++) {
        char c = *p;
        if (state == Whole) {
            if (c == ' ')
                state = Ended;
            else if (c == '-')
                return 1;
            else if (c == '.')
                state = Fraction;
        } else if (state == Fraction) {
            if (c == ' ')
                state = Ended;
            else if (c == '-' || c == '.')
                return 2;
        } else if (c != ' ') {
            return 3;
        }
    }
    return std::fabs(strtod(text, nullptr)) >= 1e9 ? 10 : 0;
}

// ---------------------------------------------------------------------------------------
// CSDLText_DT

constexpr int CSDLText_DT::cursor_col[6];
constexpr int CSDLText_DT::vmin[5];
constexpr int CSDLText_DT::vmax[5];

CSDLText_DT::CSDLText_DT(int x, int y, const char* t, int fontSize, Uint8 bgR, Uint8 bgG,
                         Uint8 bgB, int width, int nparts)
    : CSDLText(x, y, t, fontSize, width, false, false, 11), parts(nparts), bg_r(bgR), bg_g(bgG),
      bg_b(bgB)
{
    rect.w = Uint16(width);
    rect.y = Sint16(rect.y - 5);
    rect.h = Uint16(rect.h + 10);
    bkg_colour = map_rgb(bgR, bgG, bgB);
    recinit(rect, 2);
}

void CSDLText_DT::fix_february()
{
    mdays[2] = val[0] % 4 == 0 ? 29 : 28;
    if (val[2] > mdays[val[1]])
        val[2] = mdays[val[1]];
}

void CSDLText_DT::Next()
{
    if (dt_mode == 1 && part < parts) {
        switch (part) {
        case 0:
        case 1:
            if (val[part] < vmax[part])
                val[part]++;
            fix_february();
            break;
        case 2:
            fix_february();
            if (val[2] < mdays[val[1]])
                val[2]++;
            break;
        default:
            if (val[part] < vmax[part])
                val[part]++;
        }
    } else if (dt_mode == 0 && part < parts) {
        part++;
    }
    sDraw();
}

void CSDLText_DT::Prev()
{
    if (dt_mode == 1 && part < parts) {
        if (val[part] > vmin[part])
            val[part]--;
        if (part <= 1)
            fix_february();
    } else if (dt_mode == 0 && part > 0) {
        part--;
    }
    sDraw();
}

bool CSDLText_DT::Click()
{
    if (dt_mode == 1) {
        dt_mode = 0;
    } else {
        if (part >= parts)
            return false;
        dt_mode = 1;
    }
    sDraw();
    return true;
}

void CSDLText_DT::print_text()
{
    char buf[64];
    if (parts == 5)
        snprintf(buf, sizeof buf, "%4d-%02d-%02d  %02d:%02d", val[0], val[1], val[2], val[3], val[4]);
    else
        snprintf(buf, sizeof buf, "%4d-%02d-%02d", val[0], val[1], val[2]);
    SetText(buf);
}

void CSDLText_DT::sDraw()
{
    if (!screen)
        return;
    erase_rect(&rect);
    if (selected)
        fill_rect(&rect, bkg_colour);
    print_text();
    draw_text(map_rgb(255, 255, 255));
    if (!selected)
        return;
    int tw = Uni_TextSize(11, size, text).w;
    Draw_Arrow(rect.x + tw + 16, rect.y + size / 2, 10, 1);
    int col = cursor_col[part < 6 ? part : 5];
    char before[64];
    snprintf(before, sizeof before, "%.*s", col, text);
    int cx = rect.x + Uni_TextSize(11, size, before).w + (part >= parts ? 19 : 0);
    Draw_Arrow(cx, rect.y + size + 18, 6, -1);
    if (dt_mode == 1)
        Draw_Arrow(cx, rect.y + 2, 6, 1);
}

void CSDLText_DT::hc_read()
{
    time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    val[0] = t.tm_year + 1900;
    val[1] = t.tm_mon + 1;
    val[2] = t.tm_mday;
    val[3] = t.tm_hour;
    val[4] = t.tm_min;
    seconds = t.tm_sec;
    snprintf(date_text, sizeof date_text, "%4d-%02d-%02d", val[0], val[1], val[2]);
    snprintf(time_text, sizeof time_text, "%02d:%02d:%02d", val[3], val[4], seconds);
}

void CSDLText_DT::time_write()
{
    char cmd[64];
    snprintf(cmd, sizeof cmd, "date %02d%02d%02d%02d%4d", val[1], val[2], val[3], val[4], val[0]);
    run_shell(cmd);
}

void CSDLText_DT::hc_write() { run_shell("hwclock --systohc"); }

// ---------------------------------------------------------------------------------------
// CSDLText_Dub

CSDLText_Dub::CSDLText_Dub(int x, int y, const char* label, int fontSize, Uint8 textR,
                           Uint8 textG, Uint8 textB, Uint8 selR, Uint8 selG, Uint8 selB,
                           const char* v, int width, bool framed_, int fontType)
    : CSDLText(x, y, label, fontSize, width, false, false, fontType), framed(framed_),
      given_width(width)
{
    text_colour = map_rgb(textR, textG, textB);
    sel_colour = map_rgb(selR, selG, selB);
    if (framed)
        bkg_colour = sel_colour;
    SetValue(v);
}

void CSDLText_Dub::SetValue(const char* v)
{
    if (is_language_text(font_type))
        uni_strcpy(value, v ? v : "", sizeof value);
    else
        snprintf(value, sizeof value, "%s", v ? v : "");
}

void CSDLText_Dub::Draw()
{
    if (!screen || uni_empty(text, font_type))
        return;
    SDL_Rect drawn = draw_text(text_colour);
    rect = {Sint16(drawn.x - 5), Sint16(drawn.y - 5), Uint16(given_width), Uint16(drawn.h + 10)};
    label_end = drawn.x + drawn.w;
    sDraw();
}

void CSDLText_Dub::sDraw()
{
    if (!screen)
        return;
    if (framed) {
        fill_rect(&rect, bkg_colour);
        SDL_Rect drawn = draw_text(text_colour);
        label_end = drawn.x + drawn.w;
        UniTextOut(screen, font_type, size, value, label_end + 5, ty, text_colour);
        return;
    }
    int right = rect.x + rect.w;
    SDL_Rect area{Sint16(label_end), rect.y, Uint16(right > label_end ? right - label_end : 0), rect.h};
    fill_rect(&area, selected ? sel_colour : bkg_pixel());
    UniTextOut(screen, font_type, size, value, label_end, ty, text_colour);
}
