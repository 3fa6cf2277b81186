// The display's bitmaps and data files: where they are found, and the button, slider and
// arrow bitmaps every screen shares. Single bitmaps load with CSDLObject::read_bmp.
#pragma once

#include <SDL/SDL.h>
#include <cstddef>

// Where the data files of the display live: "./images/NAME" and "./FONT.ttf" on the device.
// A development build also finds them in the build's generated asset folder (or in the
// folder named by GPRMON_ASSETS) when the working folder has none.
const char* asset_path(const char* relative, char* out, size_t cap);

// Shared button, slider and arrow bitmaps (loaded once by the screen table).
extern SDL_Surface *button_up, *button_dn, *button2_up, *button2_dn, *button3_up, *button3_dn,
    *button4_up, *button5_up, *button5_dn, *button6_up, *button6_dn, *button7_up, *button7_dn,
    *button8_up, *button8_dn, *slider_up, *slider_dn, *ver_arrow, *ver_parrow;
void load_shared_bitmaps();
void free_shared_bitmaps();
