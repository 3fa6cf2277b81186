#include "gui/sdl_object.h"

#include "gui/draw.h"

SDL_Surface* screen = nullptr;

Uint32 map_rgb(Uint8 r, Uint8 g, Uint8 b)
{
    return screen ? SDL_MapRGB(screen->format, r, g, b) : 0;
}

Uint32 bkg_pixel() { return map_rgb(kBkgR, kBkgG, kBkgB); }

void CSDLObject::Erase()
{
    if (erasable)
        erase_rect(&rect);
}
