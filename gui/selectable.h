#pragma once

#include <SDL/SDL.h>

// Focus frame of every focusable widget: a yellow frame (or a selection bitmap) around the
// widget's rectangle.
class Selectable {
public:
    SDL_Surface* sel_bitmap = nullptr;
    SDL_Rect outer{0, 0, 0, 0};
    SDL_Rect bar_top{0, 0, 0, 0}, bar_bottom{0, 0, 0, 0}, bar_left{0, 0, 0, 0},
        bar_right{0, 0, 0, 0};
    Uint8 frame_r = 255, frame_g = 255, frame_b = 0;
    Uint8 selected = 0;

    virtual ~Selectable() = default;
    virtual void sDraw();
    virtual void setSelected();
    virtual void setUsual();
    void recinit(const SDL_Rect& r, int border);
};
