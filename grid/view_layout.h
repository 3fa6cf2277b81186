// Sizes of the grid views, kept apart from the drawing so that the rules can be checked on
// their own: how many pixels a grid point gets and where the view stands in its area.
#pragma once

#include <cstdint>

struct ViewRect {
    int x, y, w, h;
};

// The plan view: scale = min(room_w / points_x, room_h / points_y) pixels per point (a grid
// larger than the room gets a scale below 1; 0 counts as 1); the view is centred in the room.
struct TopLayout {
    float scale;
    ViewRect view; // the points' pixels, scale * points along each axis
};
TopLayout top_layout(ViewRect room, int points_x, int points_y);

// The section view: points * scale columns plus 60 for the rulers (17 more with a vertical
// scroll bar, needed when the samples do not fit height - 30 rows), centred horizontally in
// the outer area, at y (moved up when it would pass the outer bottom).
struct SliceLayout {
    ViewRect view;     // the whole view with its rulers
    int columns;       // image columns: trunc(points * scale)
    int rows_shown;    // samples shown (one row each)
    bool scroll_bar;
};
SliceLayout slice_layout(ViewRect outer, int points, int samples, float scale, int y);

// Columns [first, end) of point i of a section drawn at `scale` pixels per point.
inline int span_first(int i, float scale) { return int(scale * float(i)); }
inline int span_end(int i, float scale) { return int(scale * float(i + 1)); }

// Palette index of one slice pixel, k of len columns between the values e (point i) and d
// (point i + 1) already mapped around 128: trunc(e (len - k) / len + d k / len) in 0..255.
int slice_pixel(float e, float d, int k, int len);
