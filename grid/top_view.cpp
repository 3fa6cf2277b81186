#include "grid/top_view.h"

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/display_gain.h"
#include "dsp/filter_slots.h"
#include "files/radar_data.h"
#include "gui/draw.h"
#include "gui/number_field.h"
#include "gui/text_label.h"

#include <SDL/sge.h>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kArrowRows = 24, kArrow2Rows = 12;
constexpr Uint8 kExactWhite = 253, kExactMarker = 254; // palette entries the progress view sets

void dotted_v(SDL_Surface* s, int x, int y0, int y1, int dot, Uint32 c)
{
    for (int y = y0; y <= y1; y += 2 * dot)
        sge_VLine(s, Sint16(x), Sint16(y), Sint16(std::min(y + dot - 1, y1)), c);
}

void dotted_h(SDL_Surface* s, int y, int x0, int x1, int dot, Uint32 c)
{
    for (int x = x0; x <= x1; x += 2 * dot)
        sge_HLine(s, Sint16(x), Sint16(std::min(x + dot - 1, x1)), Sint16(y), c);
}

} // namespace

CTopView::CTopView(int x, int y, int w, int h)
    : CSDLObject(Sint16(x), Sint16(y), Uint16(std::max(w, 31)), Uint16(std::max(h, 31))),
      outer{x + 30, y + 30, std::max(w, 31) - 30, std::max(h, 31) - 30}
{
    area = outer;
    tv = new CTraceView(x + w + 22, y, kTraceViewWidth, h);
    pal.Standart();
    hr = new CHRuler(outer.x, y, outer.w, 30, 0, 0, 12, outer.w - 1, "[m]", false);
    hr->pointer_on = 0;
    vr = new CVRuler(x, outer.y, 30, outer.h, 0, 0, 12, outer.h - 1, true, "[m]", true);
    line_field = new CSDLText_N(outer.x, y + h + 4, " ", 20, 90, 90, 200, 0, 10, 0, 80, " Line:%2.0f", "", 160);
    line_field->visible = 0;
    cap_x = new CSDLText(outer.x + outer.w - 14, y + 2, "X", 12, 0, false, false, 11);
    cap_y = new CSDLText(x + 2, outer.y + outer.h - 16, "Y", 12, 0, false, false, 11);
}

CTopView::~CTopView()
{
    delete tv;
    delete hr;
    delete vr;
    delete line_field;
    delete cap_x;
    delete cap_y;
    if (surf)
        SDL_FreeSurface(surf);
}

void CTopView::apply_palette()
{
    if (!surf)
        return;
    if (!data_view) {
        pal.colors[kExactWhite] = SDL_Color{255, 255, 255, 0};
        pal.colors[kExactMarker] = SDL_Color{245, 0, 0, 0};
        pal.colors[255] = SDL_Color{0, 0, 0, 0};
    }
    SDL_SetColors(surf, pal.colors, 0, PalSET::kColours);
    white = data_view ? Uint8(SDL_MapRGB(surf->format, 255, 255, 255)) : kExactWhite;
    black = data_view ? Uint8(SDL_MapRGB(surf->format, 0, 0, 0)) : 255;
    marker = data_view ? Uint8(SDL_MapRGB(surf->format, 245, 0, 0)) : kExactMarker;
}

void CTopView::setcolors(int type)
{
    if (type == 0)
        pal.Default();
    else if (type == 1)
        pal.Load("VeryGood.pal");
    else if (type == 2)
        pal.Load("GeoPalette.pal");
    else
        pal.Standart();
    apply_palette();
}

void CTopView::recreate(bool dataView)
{
    const CMatrix& m = rdr.mx;
    data_view = dataView;
    points_x = m.nx;
    points_y = m.ny;
    const TopLayout l = top_layout(outer, points_x, points_y);
    scale = l.scale;
    area = l.view;
    printf("rw=%d rx=%d rh=%d ry=%d\n", area.w, area.x, area.h, area.y);
    if (surf)
        SDL_FreeSurface(surf);
    surf = SDL_CreateRGBSurface(SDL_SWSURFACE, area.w, area.h, 8, 0, 0, 0, 0);
    // Distance per pixel: the point interval (metres) in the display length unit, per scale.
    const int lu = xml_pars.length_units;
    const double per_point = double(m.resolution) * double(eep.GetUnit(10)) / double(eep.GetUnit(uint8_t(lu)));
    char unit[kUnitNameSize];
    eep.GetShUnitName(unit, 1, lu, 0);
    delete hr;
    delete vr;
    hr = new CHRuler(area.x, area.y - 30, area.w, 30, 0, 0, 12, area.w - 1, unit, false);
    hr->pointer_on = 0;
    hr->SetUnit(per_point / scale);
    vr = new CVRuler(area.x - 30, area.y, 30, area.h, 0, 0, 12, area.h - 1, true, unit, true);
    vr->SetUnit(per_point / scale);
    if (line_field) {
        line_field->rect.x = Sint16(area.x);
        line_field->rect.y = Sint16(area.y + area.h + 4);
    }
    if (cap_x) {
        cap_x->rect.x = Sint16(area.x + area.w + 4);
        cap_x->rect.y = Sint16(area.y - 24);
    }
    if (cap_y) {
        cap_y->rect.x = Sint16(area.x - 26);
        cap_y->rect.y = Sint16(area.y + area.h + 2);
    }
    if (data_view)
        setcolors(eep.ant_option);
    else
        setcolors(-1);
    if (tv) {
        tv->details = 1;
        tv->cursor_row = int16_t(tv->rect.h - 30);
    }
    final_state = false;
    redraws = 0;
}

void CTopView::clear_surf()
{
    if (surf)
        SDL_FillRect(surf, nullptr, white);
}

Uint8 CTopView::pixel(int x, int y) const
{
    if (!surf || x < 0 || y < 0 || x >= surf->w || y >= surf->h)
        return 0;
    return ((const Uint8*)surf->pixels)[y * surf->pitch + x];
}

float CTopView::value_at(int x, int y) const
{
    const auto& map = rdr.mx.maps[2];
    if (map.empty())
        return 0.0f;
    x = std::clamp(x, 0, int(map.size()) - 1);
    const auto& col = map[size_t(x)];
    if (col.empty())
        return 0.0f;
    return col[size_t(std::clamp(y, 0, int(col.size()) - 1))];
}

void CTopView::DrawPoint(int row, int col)
{
    if (!surf)
        return;
    const CMatrix& m = rdr.mx;
    Uint8* px = (Uint8*)surf->pixels;
    const int pitch = surf->pitch;
    auto put = [&](int x, int y, Uint8 v) {
        if (x >= 0 && y >= 0 && x < surf->w && y < surf->h)
            px[y * pitch + x] = v;
    };
    if (data_view) {
        const int x0 = span_first(col, scale), x1 = std::max(span_end(col, scale), x0 + 1);
        const int y0 = span_first(row, scale), y1 = std::max(span_end(row, scale), y0 + 1);
        const int z = std::clamp<int>(m.z_slice_index, 0, 2047);
        const float k = (gain ? gain[z] : 1.0f) * contrast * 0.0002f;
        const float v00 = value_at(col, row) * k + 128, v10 = value_at(col + 1, row) * k + 128;
        const float v01 = value_at(col, row + 1) * k + 128, v11 = value_at(col + 1, row + 1) * k + 128;
        const float bw = float(x1 - x0), bh = float(y1 - y0);
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) {
                const float fx = float(x - x0) / bw, fy = float(y - y0) / bh;
                const float w00 = (1 - fx) * (1 - fy), w10 = fx * (1 - fy), w01 = (1 - fx) * fy, w11 = fx * fy;
                float sum = w00 + w10 + w01 + w11;
                if (sum == 0.0f)
                    sum = 1.0f;
                const float v = (v00 * w00 + v10 * w10 + v01 * w01 + v11 * w11) / sum;
                put(x, y, Uint8(std::clamp(v, 0.0f, 255.0f)));
            }
        return;
    }
    // Progress: a recorded point of a line is a black block.
    bool measured = false;
    const int xs = std::max(1, int(m.x_step())), ls = std::max(1, int(m.line_step));
    if (col % xs == 0 && col / xs < int(m.filled[0].size()) && row < int(m.filled[0][size_t(col / xs)].size()))
        measured = m.filled[0][size_t(col / xs)][size_t(row)] != 0;
    if (!measured && row % ls == 0 && row / ls < int(m.filled[1].size()) &&
        col < int(m.filled[1][size_t(row / ls)].size()))
        measured = m.filled[1][size_t(row / ls)][size_t(col)] != 0;
    if (!measured)
        return;
    int size = std::max(int(scale), 5);
    if (scale < 5)
        size -= 2;
    if (scale < 3)
        size -= 2;
    const int cx = int(scale * (float(col) + 0.5f)), cy = int(scale * (float(row) + 0.5f));
    for (int y = cy - size / 2; y < cy - size / 2 + size; y++)
        for (int x = cx - size / 2; x < cx - size / 2 + size; x++)
            put(x, y, black);
}

void CTopView::Draw_VArrow(int x, int y)
{
    for (int r = 0; r < kArrowRows; r++) {
        const int half = (kArrowRows - r) / 3;
        sge_HLine(surf, Sint16(x - half), Sint16(x + half), Sint16(y + r), marker);
    }
}

void CTopView::Draw_HArrow(int x, int y)
{
    for (int c = 0; c < kArrowRows; c++) {
        const int half = (kArrowRows - c) / 3;
        sge_VLine(surf, Sint16(x + c), Sint16(y - half), Sint16(y + half), marker);
    }
}

void CTopView::Draw_VArrow2(int x)
{
    const Uint32 red = map_rgb(245, 0, 0);
    const int top = area.y - kArrow2Rows - 1;
    sge_FilledTrigon(screen, Sint16(x - kArrow2Rows / 2), Sint16(top), Sint16(x + kArrow2Rows / 2), Sint16(top),
                     Sint16(x), Sint16(top + kArrow2Rows), red);
}

void CTopView::Draw_HArrow2(int y)
{
    const Uint32 red = map_rgb(245, 0, 0);
    const int left = area.x - kArrow2Rows - 1;
    sge_FilledTrigon(screen, Sint16(left), Sint16(y - kArrow2Rows / 2), Sint16(left), Sint16(y + kArrow2Rows / 2),
                     Sint16(left + kArrow2Rows), Sint16(y), red);
}

void CTopView::draw_progress()
{
    const CMatrix& m = rdr.mx;
    const int xs = std::max(1, int(m.x_step())), ls = std::max(1, int(m.line_step));
    auto at = [&](int i) { return int(scale * (float(i) + 0.5f)); };
    if (line_mode == 0 || line_mode == 2)
        for (int x = 0; x < m.nx; x += xs)
            dotted_v(surf, at(x), 0, surf->h - 1, 2, marker);
    if (line_mode == 1 || line_mode == 2)
        for (int y = 0; y < m.ny; y += ls)
            dotted_h(surf, at(y), 0, surf->w - 1, 2, marker);
    if (m.current_line < 0)
        return;
    if (m.direction_flag)
        Draw_VArrow(at(m.current_line * xs), 0);
    else
        Draw_HArrow(0, at(m.current_line * ls));
}

void CTopView::draw_cross_lines()
{
    const Uint32 w = map_rgb(255, 255, 255);
    auto at = [&](int i) { return int(scale * (float(i) + 0.5f)); };
    SDL_Rect clip{Sint16(area.x), Sint16(area.y), Uint16(area.w), Uint16(area.h)};
    if (cross_x >= 0) {
        SDL_SetClipRect(screen, &clip);
        dotted_v(screen, area.x + at(cross_x), area.y, area.y + area.h - 1, 3, w);
        SDL_SetClipRect(screen, nullptr);
        if (cross_arrow == 0)
            Draw_VArrow2(area.x + at(cross_x));
    }
    if (cross_y >= 0) {
        SDL_SetClipRect(screen, &clip);
        dotted_h(screen, area.y + at(cross_y), area.x, area.x + area.w - 1, 4, w);
        SDL_SetClipRect(screen, nullptr);
        if (cross_arrow == 1)
            Draw_HArrow2(area.y + at(cross_y));
    }
}

void CTopView::Erase()
{
    SDL_Rect r{Sint16(outer.x - 30 - kArrow2Rows), Sint16(outer.y - 30 - kArrow2Rows),
               Uint16(outer.w + 30 + 2 * kArrow2Rows), Uint16(outer.h + 30 + 2 * kArrow2Rows)};
    erase_rect(&r);
    update_area(r.x, r.y, r.w, r.h);
}

void CTopView::paint()
{
    if (!surf)
        return;
    clear_surf();
    if (!data_view)
        draw_progress();
    const CFilterPars p = current_filter_pars();
    contrast = contrast_factor(p);
    printf("top contrast: %d %f\n", p.contrast_value, double(contrast));
    for (int row = 0; row < points_y; row++)
        for (int col = 0; col < points_x; col++)
            DrawPoint(row, col);
}

void CTopView::Draw()
{
    if (!visible || !screen || !surf)
        return;
    if (!rulers_hidden) {
        hr->Draw();
        vr->Draw();
    }
    // The strips where the section arrows stand.
    SDL_Rect top{Sint16(area.x - kArrow2Rows - 2), Sint16(area.y - kArrow2Rows - 2), Uint16(area.w + kArrow2Rows + 2),
                 Uint16(kArrow2Rows + 2)};
    SDL_Rect left{Sint16(area.x - kArrow2Rows - 2), Sint16(area.y), Uint16(kArrow2Rows + 2), Uint16(area.h)};
    if (rulers_hidden) {
        erase_rect(&top);
        erase_rect(&left);
    }
    paint();
    display_surface(surf, area.x, area.y);
    update_area(area.x, area.y, area.w, area.h);
    draw_cross_lines();
    update_area(area.x - kArrow2Rows - 2, area.y - kArrow2Rows - 2, area.w + kArrow2Rows + 2, area.h + kArrow2Rows + 2);
    if (line_field && line_field->visible)
        line_field->sDraw();
    if (tv && tv->visible && !final_state && redraws % 11 == 0)
        tv->Draw();
    redraws++;
    if (cap_x)
        cap_x->Draw();
    if (cap_y)
        cap_y->Draw();
}
