// CTopView: the plan view of a grid project. During the measurement it shows the lines of
// the grid, the points already recorded and an arrow at the line being walked; after the
// processing (the data view) the horizontal slice of the cube at the chosen depth, each grid
// cell a block of pixels interpolated between its corners. Both views can show the
// positions of the vertical sections as dotted lines.
//
// The image is an 8-bit surface with its own palette (rainbow while measuring, the chosen
// radargram palette in the data view); the view reads the cube rdr.mx on the GUI thread.
#pragma once

#include "grid/view_layout.h"
#include "gui/palette.h"
#include "gui/rulers.h"
#include "gui/sdl_object.h"
#include "gui/trace_view.h"

#include <cstdint>

class CSDLText;
class CSDLText_N;

class CTopView : public CSDLObject {
public:
    static constexpr int kTraceViewWidth = 70;

    PalSET pal;
    Uint8 white = 255, black = 0, marker = 1; // pixel values of the image surface
    ViewRect outer;                  // the area given at construction
    ViewRect area{0, 0, 0, 0};       // the points' pixels, set by recreate
    int16_t points_x = 0, points_y = 0;
    float contrast = 0.1f;
    const float* gain = nullptr;     // per-depth gain (the slice view's curve), or none
    float scale = 1.0f;              // pixels per point
    bool data_view = false;          // the processed slice; clear: measurement progress
    CVRuler* vr = nullptr;
    CHRuler* hr = nullptr;
    SDL_Surface* surf = nullptr;
    CTraceView* tv = nullptr;
    int16_t line_mode = 3;           // lines drawn: 0 X lines, 1 Y lines, 2 both, 3 none
    CSDLText_N* line_field = nullptr;
    CSDLText *cap_x = nullptr, *cap_y = nullptr;
    int redraws = 0;
    // The section lines of the result screens (point indexes; -1 none) and which one the
    // arrow marks (0 the X section, 1 the Y section).
    int cross_x = -1, cross_y = -1, cross_arrow = 0;
    bool rulers_hidden = false;
    bool final_state = false;        // the trace view is no longer redrawn

    CTopView(int x, int y, int w, int h);
    ~CTopView() override;

    // Scale and position for the cube's points; rulers, surface and palette rebuilt.
    void recreate(bool dataView);
    void Draw() override;
    void Erase() override;
    // The image alone (Draw's steps on the surface): white, the progress or the slice of the
    // data view at the current contrast.
    void paint();
    void DrawPoint(int row, int col);
    // Filled arrows of `rows` rows in the marker colour on the surface: V points down the
    // surface at column x from row y, H to the right at row y from column x.
    void Draw_VArrow(int x, int y);
    void Draw_HArrow(int x, int y);
    // The small red arrows of the section lines, on the screen at the view's edge.
    void Draw_VArrow2(int x);
    void Draw_HArrow2(int y);
    // 0 grey, 1 "VeryGood.pal", 2 "GeoPalette.pal", other: the rainbow.
    void setcolors(int type);
    void clear_surf();
    // Palette index drawn at surface pixel (x, y) (for tests).
    Uint8 pixel(int x, int y) const;

private:
    void apply_palette();
    void draw_progress();
    void draw_cross_lines();
    float value_at(int x, int y) const; // the combined map, clamped to the grid
};
