#include "gui/trace_view.h"

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/acq_filter.h"
#include "dsp/auto_gain.h"
#include "dsp/rounding.h"
#include "gui/draw.h"
#include "gui/trace_store.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int samples_in_use() { return std::clamp<int>(eep.samples, 0, CTraceView::kSamples); }

int16_t clamp16(double v)
{
    return int16_t(std::clamp(v, -32768.0, 32767.0));
}

} // namespace

CTraceView::CTraceView(int x, int y, int width, int height)
    : CSDLObject(Sint16(x), Sint16(y), Uint16(width), Uint16(height)),
      row_map(new uint16_t[height > 0 ? height : 1]()), row_w(new float[height > 0 ? height : 1]()),
      cursor_row(int16_t(height - 30))
{
    Uint32 rm = 0xF800, gm = 0x07E0, bm = 0x001F;
    if (screen && screen->format->BitsPerPixel == 16) {
        rm = screen->format->Rmask;
        gm = screen->format->Gmask;
        bm = screen->format->Bmask;
    }
    surf = SDL_CreateRGBSurface(SDL_SWSURFACE, width > 0 ? width : 1, height > 0 ? height : 1, 16,
                                rm, gm, bm, 0);
    if (!surf) {
        fprintf(stderr, "CreateRGBSurface failed-1: %s\n", SDL_GetError());
        exit(1);
    }
    display.count = kSamples;
    tresampdef(0);
}

CTraceView::~CTraceView()
{
    if (surf)
        SDL_FreeSurface(surf);
}

void CTraceView::tInit()
{
    tresampdef(0);
    cursor_row = int16_t(rect.h - 30);
}

void CTraceView::tresampdef(int firstSample)
{
    const int h = rect.h;
    switch (eep.screen_opt2) {
    case 3:
        compression = double(eep.view_samples) / h;
        firstSample = 0;
        break;
    case 2:
        compression = double(eep.samples) / h;
        firstSample = 0;
        break;
    case 0:
        compression = 1.0;
        break;
    default:
        if (compression < 0.5)
            compression = 0.5;
        break;
    }
    if (compression <= 0)
        compression = 1.0;
    first_sample = std::max(0, firstSample);
    const double c = compression;
    int prev = -1, same = 0;
    for (int r = 0; r < h; r++) {
        int s = c == 1.0 ? first_sample + r : mrnd(first_sample + c * r);
        s = std::clamp(s, 0, kSamples - 1);
        same = (s == prev) ? same + 1 : 0;
        prev = s;
        row_map[r] = uint16_t(std::min(s, 65535));
        row_w[r] = c < 1.0 ? float(same * (c >= 0.5 ? 0.5 : c)) : 0.0f;
    }
}

int CTraceView::rows_with_samples(int samples) const
{
    // Rows past the end of the trace hold no sample: the map runs on from the first sample.
    const double c = compression > 0 ? compression : 1.0;
    const int rows = int(std::ceil((samples - first_sample) / c - 1e-9));
    return std::clamp(rows, 0, int(rect.h));
}

int CTraceView::x_of(int value) const
{
    return int(rect.w / 2 + (rect.w / 65535.0) * value);
}

void CTraceView::Draw()
{
    if (!visible)
        return;
    const int w = rect.w, h = rect.h;
    const int S = samples_in_use();
    const Uint32 white = SDL_MapRGB(surf->format, 255, 255, 255);
    const Uint32 black = SDL_MapRGB(surf->format, 0, 0, 0);
    SDL_FillRect(surf, nullptr, white);

    const int rows = rows_with_samples(S);
    auto value = [&](int r) {
        const int s = std::min<int>(row_map[r], S - 1);
        double v = display.data[s];
        if (row_w[r] > 0 && s + 1 < S)
            v += row_w[r] * (display.data[s + 1] - display.data[s]);
        return v;
    };
    int px = 0, py = 0;
    for (int r = 0; r < rows; r++) {
        const int x = x_of(int(value(r)));
        if (r > 0)
            sge_Line(surf, Sint16(px), Sint16(py), Sint16(x), Sint16(r), black);
        else
            sge_PutPixel(surf, Sint16(x), 0, black);
        px = x;
        py = r;
    }

    const double c = compression > 0 ? compression : 1.0;
    if (details) {
        const int tz_row = int((eep.tz_sample - first_sample) / c);
        if (tz_row >= 0 && tz_row < h)
            sge_HLine(surf, 0, Sint16(w - 1), Sint16(tz_row), SDL_MapRGB(surf->format, 255, 0, 0));
        char t[128];
        snprintf(t, sizeof t, "DC: %4d", dc);
        UniTextOut(surf, 14, 10, t, 5, h - 15, black);
        if (cursor_row >= 0 && cursor_row < h) {
            sge_HLine(surf, Sint16(w / 4), Sint16(w * 3 / 4), cursor_row,
                      SDL_MapRGB(surf->format, 0, 160, 0));
            snprintf(t, sizeof t, "%.2f ns",
                     eep.sample_interval * 1000 * (row_map[cursor_row] - eep.tz_sample));
            UniTextOut(surf, 14, 10, t, w / 2 + 20, cursor_row - 3, black);
            // Depth of the cursor row in the chosen depth unit.
            char unit[kUnitNameSize];
            eep.GetShUnitName(unit, 0, xml_pars.depth_units, 0);
            const double depth = double(eep.e_depth(row_map[cursor_row]) /
                                        eep.GetUnit(xml_pars.depth_units));
            snprintf(t, sizeof t, "%4.2f %s", depth, unit);
            UniTextOut(surf, 14, 10, t, 10, cursor_row - 3, black);
        }
    }
    if (mark_row >= 1) {
        const int r = int((mark_row - first_sample) / c);
        if (r >= 0 && r < h)
            sge_HLine(surf, 0, Sint16(w - 1), Sint16(r), SDL_MapRGB(surf->format, 0, 0, 255));
    }
    if (caption[0])
        UniTextOut(surf, 14, 16, caption, 10, h / 2, black);
    if (h < (S - first_sample) / c) {
        // More samples below: a down-pointing arrow of 7 rows.
        for (int i = 0; i < 7; i++)
            sge_HLine(surf, Sint16(w - 15 + i), Sint16(w - 15 + 13 - i), Sint16(h - 10 + i), black);
    }
    display_surface(surf, rect.x, rect.y);
}

void CTraceView::tDraw(const int32_t* trace, int traceIndex, int kind, int markRow, bool details_,
                       const char* caption_)
{
    const int S = samples_in_use();
    const CFilterPars p = current_filter_pars();
    details = details_;
    mark_row = markRow;
    snprintf(caption, sizeof caption, "%s", caption_ ? caption_ : "");
    const float* stored = trace ? nullptr : store_trace(traceIndex);
    int16_t* d = display.data;
    std::fill(d, d + kSamples, int16_t(0));
    dc = 0;

    if (kind <= 0) {
        if (trace) {
            double sum = 0;
            for (int i = 0; i < S; i++)
                sum += trace[i];
            const double mean = S > 0 ? sum / S : 0;
            dc = mrnd(mean);
            for (int i = 0; i < S; i++)
                d[i] = clamp16(trace[i] - mean);
        } else if (stored) {
            for (int i = 0; i < S; i++)
                d[i] = clamp16(mrnd(stored[i]));
        }
    } else if (kind == 3 && trace) {
        static_assert(kSamples <= DSP_MAX_SAMPLES, "work arrays of the DSP");
        int32_t filtered[kSamples];
        CFilterPars q = p;
        q.dc_on = true; // the DC view shows the trace after the DC filter whatever its switch
        DC_Apply(trace, filtered, q);
        for (int i = 0; i < S; i++)
            d[i] = clamp16(filtered[i]);
    } else {
        const double s = kind == 2 ? contrast_factor(p) * 0.03 : 0.01;
        float* u = work1.data;
        float* g = work2.data;
        if (trace) {
            for (int i = 0; i < S; i++)
                u[i] = float(trace[i]);
            if (p.auto_gain) {
                std::fill(g, g + S, 1.0f);
                AutoGain(u, 0, 1, g, p, kSamples);
                tAutoGain(u, u, p);
            } else {
                TimeGain(g, p, 1.0f, 0.0f);
            }
            for (int i = 0; i < S; i++)
                d[i] = clamp16(u[i] * g[i] * s);
        } else if (stored) {
            const int L = del_mean_traces(p);
            if (L > 0) {
                mean_.reset();
                store_background(mean_, traceIndex, L, S, g);
                for (int i = 0; i < S; i++)
                    u[i] = stored[i] - g[i];
            } else {
                tAutoGain(stored, u, p);
            }
            for (int i = 0; i < S; i++)
                d[i] = clamp16(u[i] * (gain ? gain[i] : 1.0f) * s);
        }
    }
    Draw();
}
