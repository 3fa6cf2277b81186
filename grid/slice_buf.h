// CSliceBuf: a vertical section through the grid cube (every point of one grid line over
// depth) drawn like a radargram: one image column span per point, interpolated linearly
// towards the next point, with a depth ruler, a time ruler, a distance ruler and, when the
// samples do not fit, a vertical scroll bar. Red dotted lines mark the depth slice shown by
// the plan view (a band of the slice thickness in band mode) and the position of the
// crossing section.
#pragma once

#include "grid/view_layout.h"
#include "gui/scrbuf.h"

#include <cstdint>
#include <vector>

class CSliceBuf : public CScrBuf {
public:
    static constexpr int kGainSize = 2048;

    int16_t out_x, out_y, out_w, out_h;        // the area given at construction
    int16_t cur_x = 0, cur_y = 0, cur_w = 0, cur_h = 0; // the view, set by recreate
    int16_t points = 0;                        // points along the section
    int16_t shown_samples = 0;                 // samples shown
    float hscale = 1.0f;                       // pixels per point
    bool band = false;                         // the slice thickness shown as a band

    // Which section: direction 0 (an X section, a line of direction 0, ny points) or 1 (a
    // Y section, nx points); the line shown of each direction; the position (point index
    // along the section) of the crossing section; whether the migrated copy (the
    // direction's spare line) is shown instead of the stored line.
    int direction = 0;
    int line_index[2] = {0, 0};
    int section_pos = 0; // point index across the lines that picks the line (index -1)
    int cross_pos = 0;
    bool show_spare = false;

    CSliceBuf(int x, int y, int w, int h);
    ~CSliceBuf() override;

    // Scale and vertical position; the view, its image and rulers are rebuilt.
    void recreate(float scale, int y);
    // reload (without a shift): the section's traces are copied from the cube (index -1:
    // the line nearest section_pos, else the remembered line of the direction). sampleShift
    // moves the view down (the rulers follow; nothing is rendered). Returns the points shown.
    int datatran(int index, bool unused, int sampleShift, int unused2, bool reload) override;
    void Draw() override;
    void buf_Clear();
    // Palette index of image pixel (column, sample row) (for tests).
    Uint8 pixel_at(int column, int row) const;
    const float* gain_curve() const { return gain_; }
    int section_traces() const { return int(traces_.size() / size_t(std::max(samples_, 1))); }

private:
    void update_gain();
    void render();
    void rulers();

    float gain_[kGainSize];
    std::vector<float> traces_; // points x samples, the section as shown
    int samples_ = 0;
    int rows_ = 0;              // image rows (twice the samples)
};
