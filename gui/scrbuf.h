// CScrBuf: the radargram. Traces of the profile being measured or viewed become an 8-bit
// indexed image, one column per trace and one row per (resampled) sample; the palette turns
// indices into colours, so a palette change never renders again. New traces scroll the image
// left column by column; a stored profile is browsed along its length; the vertical axis
// zooms (samples per row) and scrolls. Background removal, time or automatic gain and
// contrast are applied while a column is rendered.
//
// Memory: the image (bitmap width x 4096 rows), the row maps and the work arrays are made
// at construction; rendering a column allocates nothing.
#pragma once

#include "dsp/display_gain.h"
#include "gui/palette.h"
#include "gui/rulers.h"
#include "gui/scroll_bar.h"
#include "gui/sdl_object.h"
#include "gui/selectable.h"
#include "gui/trace_view.h"

#include <cstdint>

class CMarkers;

class CScrBuf : public CSDLObject, public Selectable {
public:
    static constexpr int kImageRows = 4096;
    static constexpr int kMaxSamples = DSP_MAX_SAMPLES;
    static constexpr int kRulerSize = 30;      // rulers left of and above the image
    static constexpr int kTraceViewWidth = 100;

    SDL_Surface* bkg = nullptr;   // shown while there are no traces; defines the size
    SDL_Surface* image = nullptr; // 8 bits, bitmap width x 4096 rows
    CTraceView* tv = nullptr;
    CVRuler* vr = nullptr;        // depth, left of the image
    CVRuler* vr2 = nullptr;       // time, right of the image (with the second-ruler flag)
    CHRuler* hr = nullptr;        // distance or time, above the image
    CHScrollBar* hsb = nullptr;   // under the image: traces (thumb = shown, start = first)
    CVScrollBar* vsb = nullptr;   // right edge: rows (thumb = height, start = first row)
    // Objects of the screen drawn over the radargram (lists, number entries, warnings):
    // every Draw paints them again while they are visible, so they stay on top while the
    // radargram scrolls. The screen that sets them clears them when it leaves.
    // The full-screen view: a trace shorter than the picture is stretched to its height (the
    // rulers follow), and the horizontal scroll bar leaves `hsb_trim` pixels at its right.
    bool fill_height = false;
    int hsb_trim = 0;
    static constexpr int kOnTop = 6;
    CSDLObject* on_top[kOnTop] = {};
    void draw_on_top();
    void draw_focus_frame();
    CMarkers* markers = nullptr;  // the open profile's markers, or none

    int32_t shown = 0;            // image columns holding data
    int32_t first_trace = 0;      // trace in column 0
    int32_t first_sample = 0;     // sample at the top row of the view
    int32_t cursor_index = -1;    // screen column of the drawn cursor, -1 none
    double compression = 1.0;     // samples per image row
    uint16_t row_map[kImageRows];
    float row_frac[kImageRows + 1];
    uint8_t hyper_on = 0, markers_on = 1, aux = 0;
    PalSET pal;
    Uint8 white = 255, black = 0; // pixel values of the image surface
    SDL_Rect empty_area{0, 0, 0, 0};
    float gain[kMaxSamples];
    bool reprocess = true;        // gain or contrast changed: recompute the curve
    bool pressed = false;         // zoom or browse active
    int16_t hcur_row = 50;
    uint8_t hcur_on = 0;
    int last_hcur_x0 = -1, last_hcur_x1 = -1, last_hcur_row = -1;
    int mid_row = 0;
    float contrast = 0.1f;
    bool noise_test = false;      // the noise test's lines are shown (set by its screen)

    int width = 0;                // image columns in use (bitmap width - 117 or - 17)

    CScrBuf(const char* background, int x, int y, bool secondRuler);
    CScrBuf();
    ~CScrBuf() override;

    // Brings the image up to date. traceShift: live, > 0 after new traces; from the stored
    // profile, traces to move (reads what is not in memory). sampleShift moves the view
    // down. Returns the number of columns rendered.
    virtual int datatran(int traceShift, bool fromFile, int sampleShift, int mode, bool jumpToEnd);
    void Draw() override;
    void sDraw() override;
    void setUsual() override;
    void setSelected() override;
    void Press();
    void Release();

    void resampdef();
    void setEERulers();
    void par_Init();
    void sbars_init();
    void draw_curpos(bool restore);
    void hyperDraw();
    // 0 grey levels, 1 "VeryGood.pal", 2 "GeoPalette.pal". Returns the palette's load result.
    int setcolors(int type);

    // Palette index of image pixel (column, row) (for tests and the cursor repaint).
    Uint8 pixel(int column, int row) const;
    int data_rows() const;
    bool bar_selected() const { return (hsb && hsb->selected) || (vsb && vsb->selected); }        // image rows that hold samples
    int samples() const;          // samples per trace in use

private:
    void init(int x, int y, bool secondRuler);
    void apply_palette();
    bool update_gain(const struct CFilterPars& p);
    void render_columns(int from, int to, const struct CFilterPars& p);
    void render_column(int column, int trace, const struct CFilterPars& p, int window);
    void scroll_image(int k);
    void draw_markers();
    void draw_noise_lines();

    uint16_t lerp_r_[kImageRows]; // c < 1: sample below the row
    float lerp_f_[kImageRows];    // and the share of the next one
    float u_[kMaxSamples];        // one column with background and gain applied
    float work_[kMaxSamples];
    float bkgd_[kMaxSamples];
    CDelMean mean_;
    int rows_used_ = 0;           // rows that get pixels (data rows, then zeros to the height)
    int prev_count_ = 0;          // traces at the last datatran
    bool rows_dirty_ = true;      // the row map changed since the last render
};
