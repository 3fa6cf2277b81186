#include "gui/pv_angle.h"

#include "gui/draw.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

CPVAngle::CPVAngle(int x, int y, int width, int height, int radius_)
    : CSDLObject(Sint16(x), Sint16(y), Uint16(width), Uint16(height)), radius(radius_)
{
    Uint32 rm = 0xF800, gm = 0x07E0, bm = 0x001F;
    if (screen && screen->format->BitsPerPixel == 16) {
        rm = screen->format->Rmask;
        gm = screen->format->Gmask;
        bm = screen->format->Bmask;
    }
    surf = SDL_CreateRGBSurface(SDL_SWSURFACE, width > 0 ? width : 1, height > 0 ? height : 1, 16, rm, gm, bm, 0);
    if (!surf) {
        fprintf(stderr, "CreateRGBSurface failed-1: %s\n", SDL_GetError());
        exit(1);
    }
}

CPVAngle::~CPVAngle()
{
    if (surf)
        SDL_FreeSurface(surf);
}

void CPVAngle::Draw()
{
    if (!screen || !visible)
        return;
    const Uint32 white = SDL_MapRGB(surf->format, 255, 255, 255);
    const Uint32 black = SDL_MapRGB(surf->format, 0, 0, 0);
    const Uint32 grey = SDL_MapRGB(surf->format, 120, 120, 120);
    SDL_FillRect(surf, nullptr, SDL_MapRGB(surf->format, kBkgR, kBkgG, kBkgB));
    const int cx = rect.w / 2, cy = rect.h / 2, r = radius;
    sge_FilledCircle(surf, Sint16(cx), Sint16(cy), Sint16(r), white);
    // Scale marks every 30 degrees, longer at the four quarters, so the needle reads at a glance.
    for (int a = 0; a < 360; a += 30) {
        const double t = a * M_PI / 180.0;
        const int len = a % 90 == 0 ? r / 5 : r / 10;
        sge_Line(surf, Sint16(cx + (r - len) * sin(t)), Sint16(cy - (r - len) * cos(t)), Sint16(cx + r * sin(t)),
                 Sint16(cy - r * cos(t)), grey);
    }
    double theta = M_PI / 2 - angle * M_PI / 180.0;
    if (theta < 0)
        theta += 2 * M_PI;
    const double back = theta + M_PI;
    const double tx = cx + r * cos(theta), ty = cy - r * sin(theta);
    const double b1x = cx + r * cos(back + half_opening), b1y = cy - r * sin(back + half_opening);
    const double b2x = cx + r * cos(back - half_opening), b2y = cy - r * sin(back - half_opening);
    sge_FilledTrigon(surf, Sint16(tx), Sint16(ty), Sint16(b1x), Sint16(b1y), Sint16(b2x), Sint16(b2y), black);
    // The pointing end in red, so the needle is not read the wrong way round.
    const double k = 0.4;
    sge_FilledTrigon(surf, Sint16(tx), Sint16(ty), Sint16(tx + k * (b1x - tx)), Sint16(ty + k * (b1y - ty)),
                     Sint16(tx + k * (b2x - tx)), Sint16(ty + k * (b2y - ty)), SDL_MapRGB(surf->format, 220, 0, 0));
    sge_FilledCircle(surf, Sint16(cx), Sint16(cy), 4, grey);
    display_surface(surf, rect.x, rect.y);
}

int pv_angle_step(int angle, int direction, bool held)
{
    const int step = held ? 9 : 3;
    const int a = angle + (direction < 0 ? -step : step);
    if (a < 0)
        return held ? 351 : 357;
    if (a >= 360)
        return 0;
    return a;
}
