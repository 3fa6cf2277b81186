#include "grid/slice_buf.h"

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/auto_gain.h"
#include "dsp/display_gain.h"
#include "dsp/filter_slots.h"
#include "dsp/rounding.h"
#include "files/radar_data.h"
#include "gui/draw.h"

#include <SDL/sge.h>
#include <algorithm>
#include <cstdio>

CSliceBuf::CSliceBuf(int x, int y, int w, int h)
    : out_x(int16_t(x)), out_y(int16_t(y)), out_w(int16_t(w)), out_h(int16_t(h))
{
    rect.x = Sint16(x + kRulerSize);
    rect.y = Sint16(y + kRulerSize);
    rect.w = Uint16(std::max(w - 43, 1));
    rect.h = Uint16(std::max(h - 30, 1));
    std::fill(gain_, gain_ + kGainSize, 1.0f);
    setcolors(0);
    reprocess = true;
}

CSliceBuf::~CSliceBuf() = default;

void CSliceBuf::buf_Clear()
{
    if (image)
        SDL_FreeSurface(image);
    image = nullptr;
    delete hr;
    delete vr;
    delete vr2;
    delete vsb;
    hr = nullptr;
    vr = vr2 = nullptr;
    vsb = nullptr;
}

void CSliceBuf::recreate(float scale, int y)
{
    const CMatrix& m = rdr.mx;
    hscale = scale > 0 ? scale : 1.0f;
    points = int16_t(m.trace_count(direction));
    samples_ = std::clamp<int>(eep.samples, 0, kGainSize);
    const SliceLayout l = slice_layout({out_x, out_y, out_w, out_h}, points, samples_, hscale, y);
    cur_x = int16_t(l.view.x);
    cur_y = int16_t(l.view.y);
    cur_w = int16_t(l.view.w);
    cur_h = int16_t(l.view.h);
    shown_samples = int16_t(l.rows_shown);
    printf("rw=%d rx=%d rh=%d ry=%d\n", cur_w, cur_x, cur_h, cur_y);
    first_sample = std::max(0, m.z_slice_index - shown_samples);
    first_sample = std::min(first_sample, std::max(0, samples_ - shown_samples));
    buf_Clear();
    rect = {Sint16(cur_x + kRulerSize), Sint16(cur_y + kRulerSize), Uint16(l.columns), Uint16(shown_samples)};
    width = l.columns;
    rows_ = std::max(1, 2 * samples_);
    image = SDL_CreateRGBSurface(SDL_SWSURFACE, l.columns, rows_, 8, 0, 0, 0, 0);
    if (image)
        SDL_FillRect(image, nullptr, 0);
    setcolors(eep.ant_option);
    // Distance along the section: the point interval (metres) in the display length unit.
    const int lu = xml_pars.length_units, du = xml_pars.depth_units;
    char name[kUnitNameSize];
    eep.GetShUnitName(name, 1, lu, 0);
    hr = new CHRuler(rect.x, cur_y, l.columns, kRulerSize, 0, 0, 12, l.columns - 1, name, false);
    hr->pointer_on = 0;
    hr->SetUnit(double(m.resolution) * double(eep.GetUnit(10)) / double(eep.GetUnit(uint8_t(lu))) / hscale);
    eep.GetShUnitName(name, 1, du, 0);
    vr = new CVRuler(cur_x, rect.y, kRulerSize, rect.h, 0, 0, 12, rect.h - 1, true, name, true);
    vr2 = new CVRuler(rect.x + rect.w + (l.scroll_bar ? 17 : 0), rect.y, kRulerSize, rect.h, 0, 0, 12, rect.h - 1,
                      false, "[ns]", true);
    if (l.scroll_bar) {
        vsb = new CVScrollBar(rect.x + rect.w, rect.y, rect.h);
        vsb->Set(0, samples_, shown_samples, first_sample);
    }
    rulers();
    reprocess = true;
}

void CSliceBuf::rulers()
{
    const int du = xml_pars.depth_units;
    const double to_depth_unit = double(eep.GetUnit(0) / eep.GetUnit(uint8_t(du)));
    const int off = first_sample - eep.tz_sample;
    if (vr) {
        vr->SetUnit(double(xml_pars.soil_velocity) * eep.sample_interval * 0.5 * to_depth_unit);
        vr->separation = double(eep.ant_separation / eep.GetUnit(uint8_t(du)));
        vr->SetOffset(off);
    }
    if (vr2) {
        char name[kUnitNameSize];
        eep.GetShUnitName(name, 1, 8, 0);
        vr2->SetUnitText(name);
        vr2->SetUnit(eep.sample_interval * 1000);
        vr2->SetOffset(off);
    }
    if (vsb)
        vsb->thumb_start = first_sample;
}

void CSliceBuf::update_gain()
{
    const CFilterPars p = current_filter_pars();
    contrast = contrast_factor(p);
    if (!reprocess)
        return;
    reprocess = false;
    const int n = section_traces();
    if (p.auto_gain && n > 0) {
        // The automatic curve brings the section to the radargram's level whatever the units
        // of its traces (it divides by their energy), so it is used as the radargram uses it:
        // a further factor 0.2 left the section and the plan view at a fifth of the
        // radargram's contrast, nearly flat grey (the time gain's curve, 10 times the
        // radargram's on values 8 times smaller, draws them at 1.25 times).
        AutoGain(traces_.data(), 0, n, gain_, p, samples_);
    } else {
        TimeGain(gain_, p, 2.0f, 0.5f);
    }
}

int CSliceBuf::datatran(int index, bool, int sampleShift, int, bool reload)
{
    const CMatrix& m = rdr.mx;
    const int d = direction == 1 ? 1 : 0;
    if (reload && sampleShift == 0 && m.allocated()) {
        const int lines = m.line_count(d);
        const int step = std::max(1, d == 0 ? int(m.x_step()) : int(m.line_step));
        int line = index < 0 ? mrnd(double(section_pos) / step) : line_index[d];
        line = std::clamp(line, 0, std::max(0, lines - 1));
        line_index[d] = line;
        const auto& src = m.traces[d][size_t(show_spare ? lines : line)];
        const int n = int(src.size());
        const int cs = std::min(samples_, m.samples());
        traces_.assign(size_t(n) * size_t(std::max(samples_, 1)), 0.0f);
        for (int i = 0; i < n; i++)
            std::copy(src[size_t(i)].data, src[size_t(i)].data + cs, traces_.data() + size_t(i) * size_t(samples_));
        reprocess = true;
    }
    first_sample = std::clamp(first_sample + sampleShift, 0, std::max(0, samples_ - shown_samples));
    rulers();
    if (sampleShift != 0)
        return shown;
    update_gain();
    render();
    return shown;
}

void CSliceBuf::render()
{
    if (!image)
        return;
    const int n = section_traces();
    shown = n;
    Uint8* px = (Uint8*)image->pixels;
    const int pitch = image->pitch;
    SDL_FillRect(image, nullptr, 0);
    const float k = contrast * 0.0002f;
    for (int i = 0; i < n; i++) {
        const float* a = traces_.data() + size_t(i) * size_t(samples_);
        const float* b = traces_.data() + size_t(std::min(i + 1, n - 1)) * size_t(samples_);
        const int c0 = span_first(i, hscale), c1 = std::min(span_end(i, hscale), image->w);
        const int len = c1 - c0;
        for (int j = 0; j < samples_ && j < rows_; j++) {
            const float e = gain_[j] * k * a[j] + 128, dv = gain_[j] * k * b[j] + 128;
            for (int c = c0; c < c1; c++)
                px[j * pitch + c] = Uint8(slice_pixel(e, dv, c - c0, len));
        }
    }
}

Uint8 CSliceBuf::pixel_at(int column, int row) const
{
    if (!image || column < 0 || row < 0 || column >= image->w || row >= image->h)
        return 0;
    return ((const Uint8*)image->pixels)[row * image->pitch + column];
}

void CSliceBuf::Draw()
{
    if (!visible || !screen || !image)
        return;
    SDL_Rect whole{Sint16(cur_x), Sint16(cur_y), Uint16(cur_w), Uint16(cur_h)};
    erase_rect(&whole);
    if (shown <= 0)
        fill_rect(&rect, map_rgb(0, 0, 0));
    SDL_Rect src{0, Sint16(first_sample), rect.w, rect.h};
    SDL_Rect dst{rect.x, rect.y, 0, 0};
    SDL_BlitSurface(image, &src, screen, &dst);
    if (hr)
        hr->Draw();
    if (vr)
        vr->Draw();
    if (vr2)
        vr2->Draw();
    if (vsb)
        vsb->Draw();
    SDL_SetClipRect(screen, &rect);
    const Uint32 red = map_rgb(255, 0, 0);
    auto dotted = [&](int row, int dot) {
        if (row < 0 || row >= rect.h)
            return;
        for (int x = 0; x < rect.w; x += 2 * dot)
            sge_HLine(screen, Sint16(rect.x + x), Sint16(rect.x + std::min(x + dot, int(rect.w)) - 1), Sint16(rect.y + row), red);
    };
    const int z = rdr.mx.z_slice_index - first_sample;
    if (band) {
        const int half = std::max(0, int(rdr.mx.hd.thickness) / 2);
        dotted(std::max(z - half, 0), 4);
        dotted(z, 4);
        dotted(std::min(z + half, rect.h - 1), 4);
    } else {
        dotted(z, 3);
    }
    int cx = int(float(cross_pos) * hscale + float(rect.x));
    cx += (hscale >= 3) + (hscale >= 5) + (hscale >= 7);
    for (int y = 0; y < rect.h; y += 6)
        sge_VLine(screen, Sint16(cx), Sint16(rect.y + y), Sint16(rect.y + std::min(y + 3, int(rect.h)) - 1), red);
    SDL_SetClipRect(screen, nullptr);
    update_area(cur_x, cur_y, cur_w, cur_h);
}
