// Screenshots: the screen (or a rectangle of a 16-bit surface) saved as a baseline JPEG, and
// stored pictures shown on the screen. Files are named by device path ("/mnt/hda1/...").
#pragma once

#include <SDL/SDL.h>

#include <cstddef>

// Local-time name "%02d%02d%02d_%02d%02d%02d.jpg" of the last screenshot (without folder).
constexpr size_t kScrshotNameSize = 100;
extern char scrshot_fname[kScrshotNameSize];

// Error result of a failed compression or decompression (libjpeg reported a fault).
constexpr int kJpegError = 10;

// Saves rect (null: the whole surface) of a 16-bit surface. 0; -1 no memory; -2 the surface
// cannot be locked; -3 the file cannot be created; 5 not a 16-bit surface or an empty
// rectangle; kJpegError when the library failed (the partial file is deleted).
int SaveScreenToJPEG(SDL_Surface* surface, const SDL_Rect* rect, int quality, const char* path,
                     bool use_path = true);
// Shows a JPEG in rect (null: 0, 0, 1024, 768) of a 16-bit surface: a larger picture is cut
// to the rectangle, a smaller one fills only its own size. 0; -1 no memory or a picture too
// large to hold; -2 lock; -3 the file cannot be opened; 5 not a 16-bit surface;
// kJpegError when the file is not a readable JPEG.
int LoadScreenFromJPEG(SDL_Surface* surface, const SDL_Rect* rect, const char* path);

// Screenshot of the whole screen into the data directory, quality 90, under lock_dw; a
// failure tells the operator ("Disk is full" / "Impossible to save images!"). 0 or the
// save error.
int screenshot_mode();
// Shows picture `name` of the data directory on the whole screen. 0.
int iOpen(SDL_Surface* surface, const char* name);
// "%02d%02d%02d_%02d%02d%02d" of the local time now (no extension).
void screenshot_stamp(char* out, size_t cap);
