// Drawing on the video surface (or on another surface) at screen level.
#pragma once

#include <SDL/SDL.h>

void update_clipped(SDL_Surface* s, int x, int y, int w, int h); // clipped SDL_UpdateRect
void update_area(int x, int y, int w, int h);                     // the same on `screen`
void display_surface(SDL_Surface* surface, int x, int y, int width = 0);
void fill_rect(SDL_Rect* rect, Uint32 pixel);
void erase_rect(SDL_Rect* rect);
void fill_screen(Uint8 r, Uint8 g, Uint8 b);
void Draw_Arrow(int x, int y, int n, int direction);
void DrawPoint2(SDL_Surface* surface, int x, int y, Uint32 pixel);
void DrawPoint3(SDL_Surface* surface, int x, int y, Uint32 pixel);
void DrawPoint4(SDL_Surface* surface, int x, int y, Uint32 pixel);
