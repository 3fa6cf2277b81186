#include "gui/indicators.h"

#include "gui/draw.h"

#include <cstdio>
#include <cstdlib>

// ---------------------------------------------------------------------------------------
// CBattery

CBattery::CBattery(const char*, int x, int y) : CSDLObject(Sint16(x), Sint16(y), 100, 40)
{
    surf = SDL_CreateRGBSurface(SDL_SWSURFACE, 100, 40, 16, 0xF800, 0x07E0, 0x001F, 0);
    if (!surf) {
        fprintf(stderr, "CreateRGBSurface failed-1: %s\n", SDL_GetError());
        exit(1);
    }
}

CBattery::~CBattery()
{
    if (surf)
        SDL_FreeSurface(surf);
}

int CBattery::cells_for(int level)
{
    if (level <= 0)
        return 0;
    if (level >= 1000)
        return kCells;
    return level * kCells / 1000;
}

void CBattery::Draw()
{
    if (!screen || !surf)
        return;
    SDL_PixelFormat* f = surf->format;
    SDL_FillRect(surf, nullptr, SDL_MapRGB(f, kBkgR, kBkgG, kBkgB));
    int n = cells_for(level);
    for (int i = 0; i < kCells; i++) {
        Uint32 c;
        if (i >= n)
            c = SDL_MapRGB(f, 112, 80, 80);
        else if (i < 4)
            c = SDL_MapRGB(f, 255, 0, 0);
        else if (i < 8)
            c = SDL_MapRGB(f, 255, 255, 0);
        else
            c = SDL_MapRGB(f, 0, 255, 0);
        for (int row = 0; row < 2; row++) {
            SDL_Rect cell{Sint16(8 * i + 2), Sint16(2 + row * 20), 6, 16};
            SDL_FillRect(surf, &cell, c);
        }
    }
    // On mains power (status line set) the terminal cap is lit.
    SDL_Rect cap{98, 12, 2, 16};
    SDL_FillRect(surf, &cap, status > 0 ? SDL_MapRGB(f, 0, 255, 0) : SDL_MapRGB(f, 112, 80, 80));
    display_surface(surf, rect.x, rect.y);
}

void CBattery::nDraw(bool force, int lvl, int state2)
{
    int cells = cells_for(lvl);
    bool first = calls == 0;
    if (++calls >= 1000000)
        calls = 0;
    if (!first && !force && cells == cells_shown && state2 == status)
        return;
    level = lvl;
    cells_shown = cells;
    status = state2;
    Erase();
    Draw();
}

// ---------------------------------------------------------------------------------------
// CGPS_Indicator

CGPS_Indicator::CGPS_Indicator(int x, int y) : CSDLObject(Sint16(x - 11), Sint16(y - 11), 23, 23) {}

void CGPS_Indicator::Draw()
{
    if (!screen)
        return;
    static const Uint8 colours[4][3] = {{160, 160, 160}, {255, 0, 0}, {255, 255, 0}, {0, 255, 0}};
    int s = state < 0 || state > 3 ? 0 : state;
    int cx = rect.x + 11, cy = rect.y + 11;
    sge_FilledCircle(screen, Sint16(cx), Sint16(cy), 10, map_rgb(colours[s][0], colours[s][1], colours[s][2]));
    Uint32 black = map_rgb(0, 0, 0);
    sge_HLine(screen, Sint16(cx - 10), Sint16(cx + 10), Sint16(cy), black);
    sge_VLine(screen, Sint16(cx), Sint16(cy - 10), Sint16(cy + 10), black);
    update_area(rect.x, rect.y, rect.w, rect.h);
}

// ---------------------------------------------------------------------------------------
// ON_OFF_Indicator

ON_OFF_Indicator::ON_OFF_Indicator(int x, int y, int w, int h)
    : CSDLObject(Sint16(x), Sint16(y), Uint16(w), Uint16(h))
{
}

void ON_OFF_Indicator::Draw()
{
    if (!screen)
        return;
    fill_rect(&rect, map_rgb(255, 255, 255));
    Uint32 dark = map_rgb(40, 40, 40);
    int x = rect.x, y = rect.y, w = rect.w, h = rect.h;
    // The plug: a body with two prongs and a cable, in the left part of the box.
    int bx = x + w / 5, by = y + h / 3, bw = w / 5, bh = h / 3;
    sge_FilledRect(screen, Sint16(bx), Sint16(by), Sint16(bx + bw), Sint16(by + bh), dark);
    sge_FilledRect(screen, Sint16(bx + bw), Sint16(by + bh / 5), Sint16(bx + bw + w / 10),
                   Sint16(by + bh / 5 + 2), dark);
    sge_FilledRect(screen, Sint16(bx + bw), Sint16(by + bh - bh / 5 - 2), Sint16(bx + bw + w / 10),
                   Sint16(by + bh - bh / 5), dark);
    sge_FilledRect(screen, Sint16(x + 3), Sint16(by + bh / 2 - 1), Sint16(bx), Sint16(by + bh / 2 + 1), dark);
    SDL_Rect clip{Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
    SDL_SetClipRect(screen, &clip);
    if (state == 0) {
        counter = 0;
        Uint32 red = map_rgb(208, 0, 0);
        int cx = x + w * 3 / 5, cy = y + h / 2, r = h / 3;
        for (int d = -1; d <= 1; d++) {
            sge_Line(screen, Sint16(cx - r + d), Sint16(cy - r), Sint16(cx + r + d), Sint16(cy + r), red);
            sge_Line(screen, Sint16(cx - r + d), Sint16(cy + r), Sint16(cx + r + d), Sint16(cy - r), red);
        }
    } else {
        Uint32 green = map_rgb(0, 150, 0);
        int cx = bx + bw + w / 10, cy = y + h / 2;
        for (int i = 1; i <= 3; i++) {
            int r = i * w / 9;
            sge_Circle(screen, Sint16(cx), Sint16(cy), Sint16(r), green);
            sge_Circle(screen, Sint16(cx), Sint16(cy), Sint16(r + 1), green);
        }
        // The arcs stand to the right of the plug only.
        SDL_Rect left{Sint16(x), Sint16(y), Uint16(cx - x), Uint16(h)};
        SDL_FillRect(screen, &left, map_rgb(255, 255, 255));
        sge_FilledRect(screen, Sint16(bx), Sint16(by), Sint16(bx + bw), Sint16(by + bh), dark);
        sge_FilledRect(screen, Sint16(x + 3), Sint16(by + bh / 2 - 1), Sint16(bx), Sint16(by + bh / 2 + 1), dark);
        char n[16];
        snprintf(n, sizeof n, "%d", counter);
        UniTextOut(screen, 11, 10, n, x + 2, y + h - 2, dark);
    }
    SDL_SetClipRect(screen, nullptr);
    update_area(x, y, w, h);
}

// ---------------------------------------------------------------------------------------
// CSImage, CFSpace, CDiskStatus

CSImage::CSImage(const char* bitmap, int x, int y, const char* cap, int captionX, int captionY,
                 int fontSize, Uint8 r, Uint8 g, Uint8 b)
    : cap_x(captionX), cap_y(captionY), font_size(fontSize), cr(r), cg(g), cb(b)
{
    read_bmp(bitmap, &bmp);
    rect = {Sint16(x), Sint16(y), Uint16(bmp ? bmp->w : 0), Uint16(bmp ? bmp->h : 0)};
    snprintf(caption, sizeof caption, "%s", cap ? cap : "");
}

CSImage::~CSImage()
{
    if (bmp)
        SDL_FreeSurface(bmp);
}

void CSImage::Draw()
{
    if (bmp)
        display_surface(bmp, rect.x, rect.y);
    if (caption[0])
        UniTextOut(screen, 13, font_size, caption, rect.x + cap_x, rect.y + cap_y, map_rgb(cr, cg, cb));
}

CFSpace::CFSpace(const char* bitmapBase, int x, int y, int w, int h)
    : CSDLObject(Sint16(x), Sint16(y), Uint16(w), Uint16(h))
{
    char path[160];
    snprintf(path, sizeof path, "%s.bmp", bitmapBase);
    read_bmp(path, &bmp);
}

CFSpace::~CFSpace()
{
    if (bmp)
        SDL_FreeSurface(bmp);
}

void CFSpace::Draw()
{
    if (bmp)
        display_surface(bmp, rect.x - 35, rect.y - 1);
}

CDiskStatus::CDiskStatus(int x, int y, int w, int h, const char* c1, int x1_, int y1_,
                         const char* c2, int x2_, int y2_, int fontSize)
    : CSDLObject(Sint16(x), Sint16(y), Uint16(w), Uint16(h)), x1(x1_), y1(y1_), x2(x2_), y2(y2_),
      font_size(fontSize)
{
    snprintf(caption1, sizeof caption1, "%s", c1 ? c1 : "");
    snprintf(caption2, sizeof caption2, "%s", c2 ? c2 : "");
}

void CDiskStatus::Draw()
{
    if (!screen)
        return;
    fill_rect(&rect, map_rgb(144, 144, 0));
    float u = used < 0 ? 0 : used > 1 ? 1 : used;
    SDL_Rect part{rect.x, rect.y, Uint16(rect.w * u), rect.h};
    fill_rect(&part, map_rgb(160, 48, 80));
    Uint32 white = map_rgb(255, 255, 255);
    if (caption1[0])
        UniTextOut(screen, font_type, font_size, caption1, x1, y1, white);
    if (caption2[0])
        UniTextOut(screen, font_type, font_size, caption2, x2, y2, white);
}
