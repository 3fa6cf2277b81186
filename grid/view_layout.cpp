#include "grid/view_layout.h"

#include <algorithm>

TopLayout top_layout(ViewRect room, int points_x, int points_y)
{
    TopLayout l{};
    const int px = std::max(points_x, 1), py = std::max(points_y, 1);
    l.scale = std::min(float(room.w) / float(px), float(room.h) / float(py));
    if (!(l.scale > 0.0f))
        l.scale = 1.0f;
    const int w = std::max(1, int(l.scale * float(px)));
    const int h = std::max(1, int(l.scale * float(py)));
    l.view = {room.x + (room.w - w) / 2, room.y + (room.h - h) / 2, w, h};
    return l;
}

SliceLayout slice_layout(ViewRect outer, int points, int samples, float scale, int y)
{
    SliceLayout l{};
    l.columns = std::max(1, int(float(std::max(points, 1)) * scale));
    const int room = std::max(1, outer.h - 30);
    l.rows_shown = std::clamp(samples, 1, room);
    l.scroll_bar = samples > room;
    const int w = std::min(outer.w, l.columns + 60 + (l.scroll_bar ? 17 : 0));
    const int h = l.rows_shown + 30;
    int top = y;
    if (top + h > outer.y + outer.h)
        top = outer.y + outer.h - h;
    l.view = {outer.x + (outer.w - w) / 2, std::max(top, outer.y), w, h};
    return l;
}

int slice_pixel(float e, float d, int k, int len)
{
    const float v = len <= 0 ? e : e * float(len - k) / float(len) + d * float(k) / float(len);
    return int(std::clamp(v, 0.0f, 255.0f)); // clamped first: a huge value never overflows

}
