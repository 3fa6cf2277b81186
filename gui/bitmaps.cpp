#include "gui/bitmaps.h"

#include "gui/sdl_object.h"
#include "platform/globals.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#ifndef GPRMON_ASSET_DIR
#define GPRMON_ASSET_DIR ""
#endif

SDL_Surface *button_up, *button_dn, *button2_up, *button2_dn, *button3_up, *button3_dn,
    *button4_up, *button5_up, *button5_dn, *button6_up, *button6_dn, *button7_up, *button7_dn,
    *button8_up, *button8_dn, *slider_up, *slider_dn, *ver_arrow, *ver_parrow;

const char* asset_path(const char* relative, char* out, size_t cap)
{
    snprintf(out, cap, "%s", relative);
    if (access(out, R_OK) == 0)
        return out;
    const char* dirs[] = {getenv("GPRMON_ASSETS"), GPRMON_ASSET_DIR};
    for (const char* d : dirs) {
        if (!d || !*d)
            continue;
        char p[512];
        snprintf(p, sizeof p, "%s/%s", d, relative);
        if (access(p, R_OK) == 0) {
            snprintf(out, cap, "%s", p);
            return out;
        }
    }
    snprintf(out, cap, "%s", relative);
    return out;
}

void CSDLObject::read_bmp(const char* path, SDL_Surface** surface)
{
    char full[512];
    asset_path(path, full, sizeof full);
    SDL_Surface* s;
    {
        MutexLock lock(lock_dw);
        s = SDL_LoadBMP(full);
    }
    if (!s) {
        printf("Couldn't load %s: %s\n", path, SDL_GetError());
        *surface = nullptr;
        return;
    }
    if (s->format->palette && s->format->palette->ncolors > 0)
        SDL_SetPalette(s, SDL_LOGPAL | SDL_PHYSPAL, s->format->palette->colors, 0,
                       s->format->palette->ncolors);
    *surface = s;
}

namespace {

SDL_Surface* load(const char* name, bool white_key = false)
{
    char path[128];
    snprintf(path, sizeof path, "images/%s", name);
    SDL_Surface* s = nullptr;
    CSDLObject::read_bmp(path, &s);
    if (s && white_key)
        SDL_SetColorKey(s, SDL_SRCCOLORKEY, SDL_MapRGB(s->format, 255, 255, 255));
    return s;
}

void release(SDL_Surface*& s)
{
    if (s)
        SDL_FreeSurface(s);
    s = nullptr;
}

} // namespace

void load_shared_bitmaps()
{
    button_up = load("bt_up_hr.bmp");
    button_dn = load("bt_dn_hr.bmp");
    button2_up = load("bt2_up_hr.bmp");
    button2_dn = load("bt2_dn_hr.bmp");
    button3_up = load("bt3_up_hr.bmp");
    button3_dn = load("bt3_dn_hr.bmp");
    button4_up = load("bt4_up.bmp");
    button5_up = load("bt5_up.bmp");
    button5_dn = load("bt5_dn.bmp");
    button6_up = load("bt6_up.bmp");
    button6_dn = load("bt6_dn.bmp");
    button7_up = load("bt7_up.bmp");
    button7_dn = load("bt7_dn.bmp");
    button8_up = load("quitl_up.bmp");
    button8_dn = load("quitl_dn.bmp");
    slider_up = load("sl_up.bmp");
    slider_dn = load("sl_dn.bmp");
    ver_arrow = load("arr_ver_up.bmp", true);
    ver_parrow = load("arr_ver_dn.bmp", true);
}

void free_shared_bitmaps()
{
    SDL_Surface** all[] = {&button_up,  &button_dn,  &button2_up, &button2_dn, &button3_up,
                           &button3_dn, &button4_up, &button5_up, &button5_dn, &button6_up,
                           &button6_dn, &button7_up, &button7_dn, &button8_up, &button8_dn,
                           &slider_up,  &slider_dn,  &ver_arrow,  &ver_parrow};
    for (SDL_Surface** s : all)
        release(*s);
}
