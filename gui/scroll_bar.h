// Scroll bars: an arrow bitmap at each end and a track with a raised thumb whose start and
// length show which part of a range is in view (the radargram's two bars, list boxes).
#pragma once

#include "gui/sdl_object.h"

struct CRgb {
    Uint8 r, g, b;
};

class CScrollBar : public CSDLObject {
public:
    // The thumb is the lighter, raised part over a darker, sunken track: a dark thumb in a
    // light track reads the wrong way round, as if the light part were in view.
    CRgb light{204, 204, 204}, dark{32, 32, 32}, trough{80, 80, 80}, thumb{160, 160, 160},
        thumb_selected{255, 255, 0}, thumb_active{0, 0, 255};
    int minimum = 0, maximum = 100;
    int thumb_length = 100; // in range units
    int thumb_start = 0;    // in range units
    Uint8 selected = 0;     // the bar has the focus
    Uint8 active = 0;       // keys act on the bar (its radargram is pressed)
    SDL_Surface* arrow1 = nullptr; // left or up
    SDL_Surface* arrow2 = nullptr; // right or down

    // The thumb on a track of track_len pixels: offset from the track's start and length,
    // both in pixels. The thumb stays inside the track and is at least kMinThumb pixels
    // long (shorter when the track is), so a long list still shows where it stands.
    struct Span {
        int pos, len;
    };
    static constexpr int kMinThumb = 6;
    Span thumb_span(int track_len) const;

    ~CScrollBar() override;
    void Draw() override;
    virtual void DrawArrows() {}
    virtual void FastDraw() {}

    // Range, thumb length and start in one call (no drawing).
    void Set(int min, int max, int length, int start);
    // The colour the thumb is drawn in now.
    CRgb thumb_colour() const;

protected:
    CScrollBar(Sint16 x, Sint16 y, Uint16 w, Uint16 h) : CSDLObject(x, y, w, h) {}
    void load_arrows(const char* first, const char* second);
    // Arrow bitmap, or a plain plate with a drawn arrow when the bitmap is missing.
    void draw_arrow(SDL_Surface* bmp, int x, int y, int dir);
    // Raised (light top/left, dark bottom/right) or sunken frame around r, filled with fill.
    void bevel(const SDL_Rect& r, CRgb fill, bool raised);
};

// Horizontal bar (along the profile): "images/scroll_left.bmp", "images/scroll_right.bmp";
// height = arrow height + 3.
class CHScrollBar : public CScrollBar {
public:
    CHScrollBar(int x, int y, int width);
    void DrawArrows() override;
    void FastDraw() override;
    // Track in screen x: [track_x, track_x + track_len).
    int track_x() const;
    int track_len() const;
};

// Vertical bar (depth, list rows): "images/scroll_vup.bmp", "images/scroll_vdn.bmp";
// width = arrow width + 2.
class CVScrollBar : public CScrollBar {
public:
    CVScrollBar(int x, int y, int height);
    void DrawArrows() override;
    void FastDraw() override;
    int track_y() const;
    int track_len() const;
    // Two outlined arrow heads 8-18 pixels above and below the thumb's centre: the keys
    // zoom while Enter is held on the active bar.
    void DrawZoomArrows(int centre_x, int centre_y);
};

// Size of the arrows when their bitmaps are missing.
constexpr int kScrollArrowSize = 15;
