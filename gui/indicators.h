// Small status objects: battery, GPS lamp, CU on/off plug, picture with caption, free-space
// picture and the disk usage bar.
#pragma once

#include "gui/sdl_object.h"

class CBattery : public CSDLObject {
public:
    static constexpr int kCells = 12;
    SDL_Surface* surf = nullptr;
    int level = -1;        // 0..1000, tenths of a percent
    int cells_shown = -1;  // scaled level last drawn
    int status = -1;       // parallel-port status line 1 last drawn (on mains when set)
    long calls = 0;

    CBattery(const char* bitmapBase, int x, int y);
    ~CBattery() override;
    void Draw() override;
    // Redraws only on the first call, when forced, or when the scaled level or the status
    // line changed. Called by every screen loop.
    void nDraw(bool force, int level, int state2);
    static int cells_for(int level);
};

class CGPS_Indicator : public CSDLObject {
public:
    int state = 0; // 0 grey (no receiver), 1 red, 2 yellow, 3 green
    CGPS_Indicator(int x, int y);
    void Draw() override;
};

class ON_OFF_Indicator : public CSDLObject {
public:
    int state = 0;
    int counter = 0;
    ON_OFF_Indicator(int x, int y, int w, int h);
    void Draw() override;
    void set_state(int s) { state = s; }
};

class CSImage : public CSDLObject {
public:
    SDL_Surface* bmp = nullptr;
    char caption[128] = {};
    int cap_x, cap_y, font_size;
    Uint8 cr, cg, cb;
    CSImage(const char* bitmap, int x, int y, const char* caption, int captionX, int captionY,
            int fontSize, Uint8 r, Uint8 g, Uint8 b);
    ~CSImage() override;
    void Draw() override;
};

class CFSpace : public CSDLObject {
public:
    SDL_Surface* bmp = nullptr;
    CFSpace(const char* bitmapBase, int x, int y, int w, int h);
    ~CFSpace() override;
    void Draw() override;
};

class CDiskStatus : public CSDLObject {
public:
    float used = 0.5f;
    char caption1[128] = {}, caption2[128] = {};
    int x1, y1, x2, y2, font_size;
    int font_type = 12;
    CDiskStatus(int x, int y, int w, int h, const char* caption1, int x1, int y1,
                const char* caption2, int x2, int y2, int fontSize);
    void Draw() override;
};
