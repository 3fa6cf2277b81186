#include "gui/number_field.h"

#include "gui/draw.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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
