#include "gui/button.h"

#include "gui/bitmaps.h"
#include "gui/draw.h"

#include <cmath>
#include <cstdio>
#include <cstring>

int mrnd_i(double v) { return int(std::floor(v + 0.5)); }

namespace {

void pick_bitmaps(const char* kind, SDL_Surface*& up, SDL_Surface*& dn)
{
    up = dn = nullptr;
    if (!kind)
        return;
    if (!kind[0]) {
        up = button_up;
        dn = button_dn;
    } else if (!kind[1]) {
        switch (kind[0]) {
        case '2': up = button2_up; dn = button2_dn; break;
        case '3': up = button3_up; dn = button3_dn; break;
        case '4': up = button4_up; dn = button4_up; break;
        case '5': up = button5_up; dn = button5_dn; break;
        case '6': up = button6_up; dn = button6_dn; break;
        case '7': up = button7_up; dn = button7_dn; break;
        case '8': up = button8_up; dn = button8_dn; break;
        default: break;
        }
    }
}

SDL_Surface* load_icon(const char* name, const char* state)
{
    char path[160];
    snprintf(path, sizeof path, "images/%s_%s.bmp", name, state);
    SDL_Surface* s = nullptr;
    CSDLObject::read_bmp(path, &s);
    if (s)
        SDL_SetColorKey(s, SDL_SRCCOLORKEY, SDL_MapRGB(s->format, 255, 255, 240));
    return s;
}

bool label_present(const char* t, int fontType)
{
    if (!t)
        return false;
    return !CSDLObject::uni_empty(t, fontType);
}

} // namespace

CButton::CButton(const char* kind, int x, int y, const char* icon, int iconX, int iconY,
                 const char* labelText, int labelX, int labelY, int fontSize, int fontType,
                 int width, int height, int type_, int valueWidth, int valueFontSize,
                 const char* format, const char*, float step, float min, float max,
                 float bigStep, float bigThreshold)
    : type(type_)
{
    pick_bitmaps(kind, up, dn);
    int w = up ? up->w : width;
    int h = up ? up->h : height;
    if (x == -1)
        x = mrnd_i(512 - w / 2.0);
    rect = {Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
    recinit(rect, 7);

    if (icon && icon[0]) {
        icon_up = load_icon(icon, "up");
        icon_dn = load_icon(icon, "dn");
        int iw = icon_up ? icon_up->w : 0, ih = icon_up ? icon_up->h : 0;
        icon_x = iconX == -1 ? (w - iw) / 2 : iconX;
        icon_y = iconY == -1 ? (h - ih) / 2 : iconY;
    }

    if (label_present(labelText, fontType)) {
        int lx = labelX == -1 ? 0 : labelX;
        int ly = labelY == -1 ? 0 : labelY;
        label = new CSDLText(x + lx, y + ly, labelText, fontSize, 0, false, false, fontType);
        if (labelX == -1) {
            label->h_align = 1;
            label->band_width = w;
            label->band_offset = x;
        }
        if (labelY == -1) {
            label->v_align = 1;
            label->band_height = h;
            label->v_offset = y;
        }
        if (type == 2 && format) {
            text2 = new CSDLText(x + lx, y + fontSize + ly + 7, format, fontSize, 0, false, false, fontType);
            if (labelX == -1) {
                text2->h_align = 1;
                text2->band_width = w;
                text2->band_offset = x;
            }
        }
    }
    if (type == 1 || type == 3) {
        has_value = 1;
        int vsize = valueFontSize ? valueFontSize : fontSize;
        int vy = labelY == -1 ? y + h / 2 + vsize / 2 - 2 : y + labelY;
        value_field = new CSDLText_N(x + w + 7, vy, "", vsize, 96, 96, 255, 0.0f, step, min, max,
                                     format, "", valueWidth, bigStep, bigThreshold, 11);
    }
}

CButton::~CButton()
{
    delete label;
    delete text2;
    delete value_field;
    if (icon_up)
        SDL_FreeSurface(icon_up);
    if (icon_dn)
        SDL_FreeSurface(icon_dn);
}

void CButton::SetLabel(const char* t)
{
    if (label)
        label->SetText(t);
}

void CButton::Erase()
{
    CSDLObject::Erase();
    EraseL3();
}

void CButton::Draw()
{
    if (!screen)
        return;
    SDL_Surface* bmp = pressed ? dn : up;
    if (bmp)
        display_surface(bmp, rect.x, rect.y);
    else
        CSDLObject::Erase();
    if (show_icon) {
        SDL_Surface* ic = pressed ? icon_dn : icon_up;
        if (ic)
            display_surface(ic, rect.x + icon_x + (pressed ? 2 : 0), rect.y + icon_y);
    }
    if (show_texts) {
        Uint8 r = 255, g = pressed ? 224 : 255, b = 153;
        int shift = pressed ? 1 : 0;
        for (CSDLText* t : {label, text2}) {
            if (!t)
                continue;
            t->tx += shift;
            t->band_offset += shift;
            t->Draw(r, g, b);
            t->tx -= shift;
            t->band_offset -= shift;
        }
    }
    EraseL3();
    DrawL3();
}

void CButton::EraseL3()
{
    if (value_field && !value_field->visible)
        value_field->Erase();
}

void CButton::DrawL3()
{
    if (!value_field || !value_field->visible)
        return;
    value_field->selected = pressed;
    value_field->sDraw();
}

void CButton::Press()
{
    pressed = 1;
    if (visible) {
        Draw();
        sDraw();
    }
}

void CButton::Release()
{
    pressed = 0;
    if (visible) {
        Draw();
        sDraw();
    }
}

// ---------------------------------------------------------------------------------------

CSlider::CSlider(int x, int y, const char* icon, int iconX, int iconY, const char* labelText,
                 int labelX, int labelY, int fontSize, int fontType, const char* kind)
    : CButton(kind, x, y, icon, iconX, iconY, labelText, labelX, labelY, fontSize, fontType, 300, 40,
              0, 0, 0, "", "", 0.1f, 0, 1)
{
}

void CSlider::Draw()
{
    CButton::Draw();
    DrawPosition();
}

CHSlider::CHSlider(int x, int y, const char* icon, int iconX, int iconY, const char* labelText,
                   int labelX, int labelY, int fontSize, int fontType, const char* kind)
    : CSlider(x, y, icon, iconX, iconY, labelText, labelX, labelY, fontSize, fontType, kind)
{
    maximum = 40;
}

void CHSlider::DrawPosition()
{
    if (!screen || maximum <= 0)
        return;
    int x0 = rect.x + 62 + (pressed ? 1 : 0);
    int top = rect.y + rect.h / 2 - 13;
    int bottom = top + 25;
    Uint32 lit = map_rgb(255, 255, 153), dark = map_rgb(0, 0, 0);
    int n = int(maximum);
    for (int i = 0; i < n; i++) {
        int len = 25 * i / n;
        sge_VLine(screen, Sint16(x0 + i), Sint16(bottom - len), Sint16(bottom), i < value ? lit : dark);
    }
    update_area(x0, top, n, 26);
}
