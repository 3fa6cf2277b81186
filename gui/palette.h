// PalSET: the 256 colours of an 8-bit radargram image. The image holds palette indices, so a
// change of palette recolours the picture without rendering it again.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>

class PalSET {
public:
    static constexpr int kFileBytes = 256; // 64 little-endian words 0x00BBGGRR
    static constexpr int kColours = 256;

    uint8_t file_buf[kFileBytes] = {};
    SDL_Color colors[kColours] = {};

    PalSET() { Default(); }

    // Grey ramp: entry i = (i, i, i).
    void Default();
    // Reads a palette file (under lock_dw, by device-relative path through the asset lookup):
    // file word i / 4 colours entry i, so each of the 64 file colours fills four entries.
    // 0 on success; -1 when the file cannot be opened (the palette stays as it was); -2 when
    // it holds fewer than 256 bytes (damaged: a message names the file and the grey ramp is
    // used, so a half-read file never leaves a half-changed palette).
    int Load(const char* path);
    // Rainbow of eight runs of 32 entries (used by the top view); entry 255 black.
    void Standart();

    // Decodes a 256-byte file image into colors (no checks: the caller has 256 bytes).
    void from_file_bytes(const uint8_t* bytes);
};
