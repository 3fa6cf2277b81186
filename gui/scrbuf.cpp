#include "gui/scrbuf.h"

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/auto_gain.h"
#include "dsp/rounding.h"
#include "files/markers.h"
#include "files/radar_data.h"
#include "gui/draw.h"
#include "gui/screen_state.h"
#include "gui/trace_store.h"
#include "platform/globals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Size of the radargram area when its background bitmap is missing (the measurement
// screen's layout: controls start at x = 890).
constexpr int kDefaultW = 840, kDefaultH = 680;

void fill(SDL_Surface* s, int x, int y, int w, int h, Uint32 c)
{
    if (!s || w <= 0 || h <= 0)
        return;
    SDL_Rect r{Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
    SDL_FillRect(s, &r, c);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Construction

CScrBuf::CScrBuf()
{
    std::fill(gain, gain + kMaxSamples, 1.0f);
    std::fill(row_map, row_map + kImageRows, uint16_t(0));
    std::fill(row_frac, row_frac + kImageRows + 1, 0.0f);
}

CScrBuf::CScrBuf(const char* background, int x, int y, bool secondRuler) : CScrBuf()
{
    read_bmp(background, &bkg);
    if (!bkg)
        printf("radargram: no background %s, a %dx%d area is used\n", background, kDefaultW,
               kDefaultH);
    init(x, y, secondRuler);
}

void CScrBuf::init(int x, int y, bool secondRuler)
{
    rect.x = Sint16(x + kRulerSize);
    rect.y = Sint16(y + kRulerSize);
    rect.w = Uint16(bkg ? bkg->w : kDefaultW);
    rect.h = Uint16(bkg ? bkg->h : kDefaultH);
    mid_row = rect.h / 2;
    image = SDL_CreateRGBSurface(SDL_SWSURFACE, rect.w, kImageRows, 8, 0, 0, 0, 0);
    if (!image) {
        fprintf(stderr, "CreateRGBSurface failed-1: %s\n", SDL_GetError());
        exit(1);
    }
    SDL_FillRect(image, nullptr, 0);
    tv = new CTraceView(rect.x + rect.w - 117, rect.y, kTraceViewWidth, rect.h);
    tv->gain = gain;
    hr = new CHRuler(rect.x, y, rect.w, kRulerSize, 0, 0, 12, rect.w - 1, "[m]", false);
    vr = new CVRuler(x, rect.y, kRulerSize, rect.h, 0, 0, 12, rect.h - 1, true, "[m]", true);
    if (secondRuler)
        vr2 = new CVRuler(rect.x + rect.w, rect.y, kRulerSize, rect.h, 0, 0, 12, rect.h - 1,
                          false, "[ns]", true);
    hsb = new CHScrollBar(rect.x, rect.y + rect.h, rect.w - 17);
    vsb = new CVScrollBar(rect.x + rect.w - 17, rect.y, rect.h);
    recinit(rect, 3);
    setcolors(0);
    par_Init();
    sbars_init();
    resampdef();
}

CScrBuf::~CScrBuf()
{
    delete tv;
    delete vr;
    delete vr2;
    delete hr;
    delete hsb;
    delete vsb;
    if (image)
        SDL_FreeSurface(image);
    if (bkg)
        SDL_FreeSurface(bkg);
}

void CScrBuf::par_Init()
{
    const int bw = bkg ? bkg->w : kDefaultW;
    if (eep.display_opt) {
        width = bw - 117;
        if (tv)
            tv->visible = 1;
    } else {
        width = bw - 17;
        if (tv)
            tv->visible = 0;
    }
    if (width < 1)
        width = 1;
    if (hsb)
        hsb->rect.w = Uint16(std::max(1, width - hsb_trim));
    if (hr) {
        hr->rect.w = Uint16(width); // the ruler follows the image width it labels
        hr->last = hr->offset + width - 1;
    }
}

void CScrBuf::sbars_init()
{
    first_trace = 0;
    first_sample = 0;
    if (hr)
        hr->position = 0;
    for (CScrollBar* b : {static_cast<CScrollBar*>(hsb), static_cast<CScrollBar*>(vsb)})
        if (b)
            b->Set(0, 100, 100, 0);
    puts("sbars_init");
}

int CScrBuf::samples() const { return std::clamp<int>(eep.samples, 0, kMaxSamples); }

int CScrBuf::data_rows() const
{
    const int S = samples();
    if (compression == 1.0)
        return std::min(S, kImageRows);
    return std::min(kImageRows, int(std::ceil(S / compression - 1e-9)));
}

// ---------------------------------------------------------------------------------------
// Palette

void CScrBuf::apply_palette()
{
    if (!image)
        return;
    SDL_SetColors(image, pal.colors, 0, PalSET::kColours);
    white = Uint8(SDL_MapRGB(image->format, 255, 255, 255));
    black = Uint8(SDL_MapRGB(image->format, 0, 0, 0));
}

int CScrBuf::setcolors(int type)
{
    int r = 0;
    if (type == 1)
        r = pal.Load("VeryGood.pal");
    else if (type == 2)
        r = pal.Load("GeoPalette.pal");
    else
        pal.Default();
    apply_palette();
    return r;
}

// ---------------------------------------------------------------------------------------
// Vertical resampling

void CScrBuf::resampdef()
{
    const int S = samples();
    const int h = rect.h > 0 ? rect.h : 1;
    switch (eep.screen_opt2) {
    case 0:
        compression = 1.0;
        break;
    case 2:
        compression = double(S) / h;
        first_sample = 0;
        break;
    case 3:
        compression = double(std::min<int>(eep.view_samples, S)) / h;
        first_sample = 0;
        break;
    default:
        break;
    }
    if (eep.screen_opt2 != 0 && compression < 0.5)
        compression = 0.5;
    if (!(compression > 0))
        compression = 1.0;
    if (fill_height && S > 0 && S / compression < h) {
        compression = double(S) / h;
        first_sample = 0;
    }
    const double c = compression;
    if (vsb)
        vsb->Set(0, std::max(int(S / c), h), h, int(first_sample / c));

    const int top = S > 0 ? S - 1 : 0;
    const int rows = data_rows();
    int prev = -1, same = 0;
    for (int r = 0; r < kImageRows; r++) {
        int s = 0;
        if (r < rows)
            s = c == 1.0 ? r : std::min(mrnd(c * r), top);
        row_map[r] = uint16_t(s);
        same = (r < rows && s == prev) ? same + 1 : 0;
        prev = s;
        row_frac[r] = c < 1.0 ? float(same * (c >= 0.5 ? 0.5 : c)) : 0.0f;
        const double pos = c * r;
        const int R = std::min(int(pos), top);
        lerp_r_[r] = uint16_t(R);
        lerp_f_[r] = float(pos - int(pos));
    }
    row_frac[kImageRows] = 0.0f;
    // Rows below the data are shown black when the trace is shorter than the view.
    rows_used_ = std::min(kImageRows, std::max(rows, int(rect.h)));
    rows_dirty_ = true;
    if (tv) {
        tv->compression = c;
        tv->tresampdef(first_sample);
    }
}

// ---------------------------------------------------------------------------------------
// Rulers

void CScrBuf::setEERulers()
{
    char name[kUnitNameSize];
    if (hr) {
        if (eep.trig_code == kTrigTime) {
            hr->SetUnit(eep.trigg_option);
            eep.GetShUnitName(name, 1, 5, 0);
        } else {
            const int lu = xml_pars.length_units;
            // step_distance is in metres whatever the display units.
            hr->SetUnit(double(eep.step_distance / eep.GetUnit(uint8_t(lu))));
            eep.GetShUnitName(name, 1, lu, 0);
        }
        hr->SetUnitText(name);
        hr->SetOffset(first_trace);
    }
    if (eep.samples < 100)
        return;
    const double c = compression;
    const int du = xml_pars.depth_units;
    const double to_depth_unit = double(eep.GetUnit(0) / eep.GetUnit(uint8_t(du)));
    const int off = mrnd((first_sample - eep.tz_sample) / c);
    if (vr) {
        vr->SetUnit(eep.sample_interval * xml_pars.soil_velocity * 0.5 * c * to_depth_unit);
        vr->separation = double(eep.ant_separation / eep.GetUnit(uint8_t(du)));
        eep.GetShUnitName(name, 1, du, 0);
        vr->SetUnitText(name);
        vr->SetOffset(off);
    }
    if (vr2) {
        vr2->SetUnit(eep.sample_interval * 1000 * c);
        eep.GetShUnitName(name, 1, 8, 0);
        vr2->SetUnitText(name);
        vr2->SetOffset(off);
    }
}

// ---------------------------------------------------------------------------------------
// Rendering

bool CScrBuf::update_gain(const CFilterPars& p)
{
    if (!p.auto_gain) {
        if (!reprocess)
            return false;
        TimeGain(gain, p, 0.2f, 0.2f);
        reprocess = false;
        return true;
    }
    // ag_autostart: 0 compute again, 1 computed over fewer traces than wanted, 2 final.
    if (reprocess) {
        ag_autostart = 0;
        reprocess = false;
    }
    const int in_memory = store_end() - store_first();
    const int want = std::max(1, p.ag_traces);
    const int progress = ag_autostart;
    if (in_memory <= 0 || progress == 2 || (progress == 1 && in_memory < want))
        return false;
    // Once over what there is, once more over the last `want` traces when they are there.
    const int n = std::min(in_memory, want);
    const int end = rdr.prof.end;
    AutoGain(rdr.prof.slot(0), CProfile::prof_ind(end - n), end, gain, p);
    SmoothGain(gain, std::max(0, p.ag_start), samples(), std::max(3, p.ag_energy_window));
    ag_autostart = in_memory >= want ? 2 : 1;
    return true;
}

void CScrBuf::render_column(int column, int trace, const CFilterPars& p, int window)
{
    const int S = samples();
    const int pitch = image->pitch;
    Uint8* px = (Uint8*)image->pixels + column;
    const float* t = store_trace(trace);
    const int rows = data_rows();
    if (!t || S <= 0) {
        for (int r = 0; r < rows_used_; r++)
            px[r * pitch] = 0;
        return;
    }
    const float* src = t;
    if (window > 0) {
        store_background(mean_, trace, window, S, bkgd_);
        for (int s = 0; s < S; s++)
            u_[s] = (t[s] - bkgd_[s]) * gain[s];
    } else {
        if (p.auto_gain && p.ag_first_arrival != 0) {
            tAutoGain(t, work_, p);
            src = work_;
        }
        for (int s = 0; s < S; s++)
            u_[s] = src[s] * gain[s];
    }
    const double k = double(contrast) * 0.0002;
    auto index = [k](double v) -> Uint8 {
        const double x = v * k + 128;
        if (!(x > 0)) // also NaN
            return 0;
        return x >= 255 ? 255 : Uint8(int(x));
    };
    const double c = compression;
    if (c == 1.0) {
        for (int r = 0; r < rows; r++)
            px[r * pitch] = index(u_[r]);
    } else if (c > 1.0) {
        for (int r = 0; r < rows; r++)
            px[r * pitch] = index(u_[row_map[r]]);
    } else {
        for (int r = 0; r < rows; r++) {
            const int R = lerp_r_[r];
            const double a = u_[R], b = R + 1 < S ? u_[R + 1] : a;
            px[r * pitch] = index(a + (b - a) * lerp_f_[r]);
        }
    }
    for (int r = rows; r < rows_used_; r++)
        px[r * pitch] = 0;
}

void CScrBuf::render_columns(int from, int to, const CFilterPars& p)
{
    if (from >= to)
        return;
    const int window = del_mean_traces(p);
    mean_.reset(); // the store may have been reloaded or rewritten since the last pass
    for (int col = from; col < to; col++)
        render_column(col, first_trace + col, p, window);
}

void CScrBuf::scroll_image(int k)
{
    const int rows = rows_used_;
    const int w = width;
    for (int r = 0; r < rows; r++) {
        Uint8* row = (Uint8*)image->pixels + r * image->pitch;
        if (k > 0)
            memmove(row, row + k, size_t(w - k));
        else
            memmove(row - k, row, size_t(w + k));
    }
}

int CScrBuf::datatran(int traceShift, bool fromFile, int sampleShift, int md, bool jumpToEnd)
{
    if (!image)
        return 0;
    const int D = store_trace_count();
    const int W = width;
    const int prevShown = shown;
    if (D <= 0) {
        shown = first_trace = first_sample = 0;
        prev_count_ = 0;
        return 0;
    }

    // Vertical window.
    const int S = samples();
    const double c = compression;
    const int max_first = std::max(0, int(S - rect.h * c));
    first_sample = std::clamp(first_sample + sampleShift, 0, max_first);
    if (vsb)
        vsb->thumb_start = int(first_sample / c);
    const int voff = mrnd((first_sample - eep.tz_sample) / c);
    if (vr)
        vr->SetOffset(voff);
    if (vr2)
        vr2->SetOffset(voff);
    if (tv && tv->first_sample != first_sample) {
        tv->compression = c;
        tv->tresampdef(first_sample);
    }

    // Horizontal window.
    const int prevF = first_trace;
    int F = first_trace;
    const int pos = hr ? hr->position : 0;
    const bool measuring_screen = md == 3 || md == 8;
    bool full = traceShift == 0 || rows_dirty_ || prev_count_ > D;
    if (!fromFile) {
        if (jumpToEnd)
            F = std::max(0, std::max(D, pos + 1) - W);
        else if (traceShift > 0) {
            int need = D - F - W;
            if (measuring_screen)
                need = std::max(need, pos - F - W + 1);
            if (need > 0)
                F += need;
        }
    } else if (prev_count_ > 0 && prev_count_ <= W && D > W) {
        F = D - W;
        puts("smaller -> bigger");
        full = true;
    } else if (jumpToEnd && D - F > W) {
        F = D - W;
        puts("bigger -> smaller");
        full = true;
    } else if (!(traceShift > 0 && W >= D - F)) {
        F = std::clamp(F + traceShift, 0, std::max(0, D - W));
    }
    F = std::clamp(F, 0, D - 1);
    prev_count_ = D;

    if (measuring_screen && pos - W + 1 >= D) {
        // The wheel ran ahead of the traces: nothing of the profile is in the window.
        first_trace = std::max(0, pos - W + 1);
        shown = 1;
        empty_area = SDL_Rect{rect.x, rect.y, Uint16(W), rect.h};
        if (hsb)
            hsb->Set(0, D, 1, first_trace);
        return 0;
    }
    if (!measuring_screen && hr)
        hr->position += F - prevF;
    first_trace = F;

    // Gain and contrast.
    const CFilterPars p = current_filter_pars();
    if (update_gain(p))
        full = true;
    const float k = contrast_factor(p);
    if (k != contrast) {
        contrast = k;
        full = true;
    }

    const int window = del_mean_traces(p);
    const int newShown = std::min(W, D - F);
    if (fromFile) {
        const int from = std::max(0, F - window);
        store_load(from, F + newShown - from);
    }

    // Move what is already rendered, render the rest.
    int rendered = 0;
    const int shift = F - prevF;
    if (!full && shift > 0 && shift < W - 3 && prevShown - shift > 0) {
        scroll_image(shift);
        const int from = prevShown - shift;
        render_columns(from, newShown, p);
        rendered = newShown - from;
    } else if (!full && shift < 0 && window - shift < W - 3) {
        scroll_image(shift);
        const int keep_to = std::min(W, prevShown - shift);
        const int head = std::min(newShown, window - shift);
        render_columns(0, head, p);
        render_columns(std::max(head, keep_to), newShown, p);
        rendered = head + std::max(0, newShown - std::max(head, keep_to));
    } else if (!full && shift == 0 && traceShift > 0 && !fromFile && newShown >= prevShown) {
        render_columns(prevShown, newShown, p); // new traces in a window not yet full
        rendered = newShown - prevShown;
    } else {
        render_columns(0, newShown, p);
        rendered = newShown;
    }
    rows_dirty_ = false;

    shown = newShown;
    empty_area = SDL_Rect{Sint16(rect.x + shown), rect.y, Uint16(W - shown), rect.h};
    if (hsb)
        hsb->Set(0, D, shown, F);
    return rendered;
}

Uint8 CScrBuf::pixel(int column, int row) const
{
    if (!image || column < 0 || column >= image->w || row < 0 || row >= kImageRows)
        return 0;
    return ((const Uint8*)image->pixels)[row * image->pitch + column];
}

// ---------------------------------------------------------------------------------------
// Drawing

void CScrBuf::Draw()
{
    if (!visible || !screen)
        return;
    if (hr) {
        hr->SetOffset(first_trace);
        hr->Draw();
    }
    if (shown <= 0 || !image) {
        if (bkg)
            display_surface(bkg, rect.x, rect.y);
        else
            fill_rect(&rect, map_rgb(0, 0, 0));
        if (vsb && vsb->visible)
            vsb->DrawArrows();
        cursor_index = -1;
        last_hcur_x0 = last_hcur_x1 = last_hcur_row = -1;
        draw_on_top();
        return;
    }
    if (vsb && vsb->visible) {
        if (vr)
            vr->Draw();
        if (vr2)
            vr2->Draw();
    }
    sDraw();
    SDL_Rect src{0, Sint16(first_sample / compression), Uint16(shown), rect.h};
    SDL_Rect dst{rect.x, rect.y, 0, 0};
    if (SDL_BlitSurface(image, &src, screen, &dst) < 0) {
        printf("BlitSurface error1: %s\n", SDL_GetError());
        return;
    }
    SDL_FillRect(screen, &empty_area, map_rgb(0, 0, 0));
    SDL_Rect clip{rect.x, rect.y, Uint16(width), rect.h};
    SDL_SetClipRect(screen, &clip);
    cursor_index = -1;
    last_hcur_x0 = last_hcur_x1 = last_hcur_row = -1;
    draw_curpos(false);
    if (markers_on)
        draw_markers();
    SDL_SetClipRect(screen, nullptr);
    update_area(rect.x, rect.y, width, rect.h);
    if (tv && tv->visible)
        tv->tDraw(nullptr, first_trace + shown - 1, 2, -1, false, "");
    SDL_SetClipRect(screen, &clip);
    if (hyper_on)
        hyperDraw();
    if (noise_test)
        draw_noise_lines();
    SDL_SetClipRect(screen, nullptr);
    update_area(rect.x, rect.y, width, rect.h);
    draw_on_top();
}

void CScrBuf::draw_on_top()
{
    draw_focus_frame();
    for (CSDLObject* o : on_top)
        if (o && o->visible)
            o->Draw();
}

// The focused radargram has a yellow frame, as a focused button has.
void CScrBuf::draw_focus_frame()
{
    if (!selected || !screen)
        return;
    const Uint32 yellow = map_rgb(255, 255, 0);
    const int w = std::max(1, width), h = rect.h;
    fill(screen, rect.x, rect.y, w, 3, yellow);
    fill(screen, rect.x, rect.y + h - 3, w, 3, yellow);
    fill(screen, rect.x, rect.y, 3, h, yellow);
    fill(screen, rect.x + w - 3, rect.y, 3, h, yellow);
    update_area(rect.x, rect.y, w, h);
}

void CScrBuf::sDraw()
{
    for (CScrollBar* b : {static_cast<CScrollBar*>(hsb), static_cast<CScrollBar*>(vsb)})
        if (b) {
            b->active = b->selected && pressed;
            b->Draw();
        }
}

void CScrBuf::setSelected()
{
    selected = 1;
    sDraw();
    draw_focus_frame();
}

void CScrBuf::setUsual()
{
    const bool framed = selected;
    selected = 0;
    if (hsb)
        hsb->selected = 0;
    if (vsb)
        vsb->selected = 0;
    sDraw();
    if (framed)
        Draw(); // the frame goes with the picture drawn again
}

void CScrBuf::Press()
{
    pressed = true;
    if (bar_selected())
        sDraw();
}

void CScrBuf::Release()
{
    pressed = false;
    if (bar_selected())
        sDraw();
}

void CScrBuf::draw_curpos(bool restore)
{
    if (!screen || !hr)
        return;
    if (restore && cursor_index >= 0) {
        // Repaint the old cursor's two columns from the image (black beyond the data).
        for (int dx = 0; dx < 2; dx++) {
            const int col = cursor_index + dx;
            if (col >= width)
                continue;
            SDL_Rect d{Sint16(rect.x + col), rect.y, 1, rect.h};
            if (col < shown) {
                SDL_Rect s{Sint16(col), Sint16(first_sample / compression), 1, rect.h};
                SDL_BlitSurface(image, &s, screen, &d);
            } else {
                SDL_FillRect(screen, &d, map_rgb(0, 0, 0));
            }
        }
        update_area(rect.x + cursor_index, rect.y, 2, rect.h);
    }
    if (restore && last_hcur_row >= 0) {
        const int y0 = std::max(0, last_hcur_row - 1);
        SDL_Rect s{0, Sint16(first_sample / compression + y0), Uint16(shown), 2};
        SDL_Rect d{rect.x, Sint16(rect.y + y0), 0, 0};
        SDL_BlitSurface(image, &s, screen, &d);
        update_area(rect.x, rect.y + y0, width, 2);
        last_hcur_row = -1;
    }
    cursor_index = -1;
    const Uint32 b = map_rgb(0, 0, 0), w = map_rgb(255, 255, 255);
    if (hr->position >= hr->offset && hr->position <= hr->last) {
        const int col = hr->position - hr->offset;
        if (col < width) {
            fill(screen, rect.x + col, rect.y, 1, rect.h, b);
            if (col + 1 < width)
                fill(screen, rect.x + col + 1, rect.y, 1, rect.h, w);
            cursor_index = col;
            update_area(rect.x + col, rect.y, 2, rect.h);
        }
    }
    if (hcur_on && hcur_row >= 1 && hcur_row < rect.h) {
        fill(screen, rect.x, rect.y + hcur_row, width, 1, b);
        fill(screen, rect.x, rect.y + hcur_row - 1, width, 1, w);
        last_hcur_x0 = rect.x;
        last_hcur_x1 = rect.x + width - 1;
        last_hcur_row = hcur_row;
        update_area(rect.x, rect.y + hcur_row - 1, width, 2);
    }
}

void CScrBuf::draw_markers()
{
    const CMarkers* m = markers;
    if (!m)
        return;
    const double c = compression;
    for (const auto& mk : m->list) {
        const int x = rect.x + mk->trace - first_trace;
        if (x < rect.x || x >= rect.x + width)
            continue;
        const int y = rect.y + int((mk->value - first_sample) / c);
        char t[32];
        const uint16_t type = uint16_t(mk->type);
        // Labels stand on a dark box, readable over bright and dark reflections alike.
        auto text = [&](const char* s, Uint32 col) {
            if (!s || !s[0])
                return;
            const SDL_Rect sz = Uni_TextSize(11, 14, s);
            fill(screen, x + 7, y + 5 - sz.h * 3 / 4 - 1, sz.w + 4, sz.h + 2, map_rgb(24, 24, 24));
            UniTextOut(screen, 11, 14, s, x + 9, y + 5, col);
        };
        switch (type) {
        case 12:
        case 15:
        case 104:
        case 200: {
            Uint32 col = type == 12    ? map_rgb(160, 176, 255)
                         : type == 15  ? map_rgb(0, 255, 255)
                         : type == 104 ? map_rgb(255, 100, 50)
                                       : map_rgb(255, 0, 0);
            sge_FilledCircle(screen, Sint16(x), Sint16(y), 7, col);
            text(mk->text, col);
            break;
        }
        case 13:
            snprintf(t, sizeof t, "V%d", mk->number);
            text(t, map_rgb(208, 255, 208));
            break;
        case 19:
        case 20:
        case 21: {
            snprintf(t, sizeof t, "G%d", mk->number);
            const Uint32 col = type == 19 ? map_rgb(255, 0, 0)
                               : type == 20 ? map_rgb(255, 255, 0)
                                            : map_rgb(0, 255, 0);
            text(t, col);
            break;
        }
        case 65535:
            fill(screen, x - 4, y - 4, 9, 9, map_rgb(0, 0, 255));
            break;
        default:
            break;
        }
    }
}

void CScrBuf::draw_noise_lines()
{
    const Uint32 w = map_rgb(255, 255, 255);
    for (int i = 0; i < avwc_count && i < kAvwcMax; i++) {
        char t[96];
        snprintf(t, sizeof t, "VppMax: %d; AvWc: %d; ST=%d", t_VppMax[i], t_AvWc[i], avwc_tnum[i]);
        const int y = rect.y + rect.h - 15 * (avwc_count - i);
        if (y > rect.y)
            UniTextOut(screen, 14, 10, t, rect.x + 10, y, w);
    }
}

void CScrBuf::hyperDraw()
{
    if (cursor_index < 0 || !screen)
        return;
    const double c = compression;
    const double r0 = hcur_row;
    const double z = double(eep.e_depth(int(c * (first_sample / c + r0))));
    const double half = eep.ant_separation / 2.0;
    const double step = eep.step_distance; // metres, like e_depth and the separation
    const Uint32 b = map_rgb(0, 0, 0), w = map_rgb(255, 255, 255);
    int px = 0, py = 0;
    bool have = false;
    for (int j = -70; j < 70; j++) {
        const double x = j * step;
        const double r1 = std::sqrt((x - half) * (x - half) + z * z);
        const double r2 = std::sqrt((x + half) * (x + half) + z * z);
        const int s = eep.e_samp(r1 + r2 - 2 * half);
        const int row = int(s / c - first_sample / c);
        const int col = cursor_index + j;
        const bool inside = col >= 0 && col < width && row >= 0 && row + 2 < rect.h;
        if (inside && have) {
            sge_Line(screen, Sint16(rect.x + px), Sint16(rect.y + py), Sint16(rect.x + col),
                     Sint16(rect.y + row), b);
            sge_Line(screen, Sint16(rect.x + px), Sint16(rect.y + py + 2), Sint16(rect.x + col),
                     Sint16(rect.y + row + 2), w);
        }
        have = inside;
        px = col;
        py = row;
    }
}
