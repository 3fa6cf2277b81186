#include "gui/palette.h"

#include "gui/bitmaps.h"
#include "gui/sdl_object.h"
#include "platform/globals.h"
#include "platform/host_paths.h"

#include <cstdio>
#include <cstring>

void PalSET::Default()
{
    for (int i = 0; i < kColours; i++)
        colors[i] = SDL_Color{Uint8(i), Uint8(i), Uint8(i), 0};
}

void PalSET::from_file_bytes(const uint8_t* bytes)
{
    memcpy(file_buf, bytes, kFileBytes);
    for (int i = 0; i < kColours; i++) {
        const uint8_t* w = file_buf + (i / 4) * 4; // 0x00BBGGRR, little-endian: R G B 0
        colors[i] = SDL_Color{w[0], w[1], w[2], 0};
    }
}

int PalSET::Load(const char* path)
{
    // Device paths go through the sandbox mapping; a bare name is a data file of the
    // program's working folder (a development build also finds it among its assets).
    char found[512];
    if (path[0] == '/')
        snprintf(found, sizeof found, "%s", host_path(path).c_str());
    else
        asset_path(path, found, sizeof found);
    uint8_t buf[kFileBytes];
    size_t got = 0;
    {
        MutexLock lock(lock_dw);
        FILE* f = fopen(found, "rb");
        if (!f)
            return -1;
        got = fread(buf, 1, sizeof buf, f);
        fclose(f);
    }
    if (got < sizeof buf) {
        printf("Palette %s is damaged (%zu of %d bytes): grey levels are shown\n", path, got,
               kFileBytes);
        Default();
        return -2;
    }
    from_file_bytes(buf);
    return 0;
}

void PalSET::Standart()
{
    for (int run = 0; run < 8; run++)
        for (int j = 0; j < 32; j++) {
            const Uint8 up = Uint8(8 * j), down = Uint8(255 - 8 * j);
            SDL_Color c{0, 0, 0, 0};
            switch (run) {
            case 0: c = {255, 0, up, 0}; break;
            case 1: c = {down, 0, 255, 0}; break;
            case 2: c = {0, up, 255, 0}; break;
            case 3: c = {0, 255, down, 0}; break;
            case 4: c = {up, 255, 0, 0}; break;
            case 5: c = {255, down, 0, 0}; break;
            case 6: c = {255, up, up, 0}; break;
            case 7: c = {down, down, down, 0}; break;
            }
            colors[run * 32 + j] = c;
        }
    colors[255] = SDL_Color{0, 0, 0, 0};
}
