#include "files/screenshot.h"

#include "platform/globals.h"
#include "files/disk.h"
#include "gui/input.h"
#include "platform/host_paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <unistd.h>

#include <csetjmp>
#include <jpeglib.h>

char scrshot_fname[kScrshotNameSize] = {};

namespace {

// Pictures larger than this are refused rather than decoded into memory (a damaged or hostile
// header could ask for gigabytes).
constexpr long kMaxPixels = 16L * 1024 * 1024;

// libjpeg reports faults through error_exit, which must not return: it prints the library's
// message and jumps back to the setjmp in the compress/decompress function. Those functions
// hold only plain C data, so the jump skips no destructor.
struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf back;
};

void jpeg_fail(j_common_ptr cinfo)
{
    JpegError* e = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->output_message)(cinfo);
    longjmp(e->back, 1);
}

// Compresses w x h RGB pixels to the open file. 0 or kJpegError.
int compress_rgb(FILE* out, const unsigned char* rgb, int w, int h, int quality)
{
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpeg_fail;
    if (setjmp(err.back)) {
        jpeg_destroy_compress(&cinfo);
        return kJpegError;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + size_t(cinfo.next_scanline) * w * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return 0;
}

// Decompresses a JPEG into a newly malloc'ed RGB buffer (*rgb, freed by the caller).
// 0, -1 (no memory or too large) or kJpegError.
int decompress_rgb(FILE* in, unsigned char** rgb, int* w, int* h)
{
    jpeg_decompress_struct cinfo;
    JpegError err;
    unsigned char* volatile buf = nullptr; // survives the jump so it can be freed
    *rgb = nullptr;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpeg_fail;
    if (setjmp(err.back)) {
        jpeg_destroy_decompress(&cinfo);
        free(buf);
        return kJpegError;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, in);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB; // three bytes per pixel whatever the file holds
    jpeg_start_decompress(&cinfo);
    const long W = cinfo.output_width, H = cinfo.output_height;
    const int comps = cinfo.output_components;
    if (W <= 0 || H <= 0 || W * H > kMaxPixels || comps != 3) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    buf = static_cast<unsigned char*>(malloc(size_t(W) * H * comps));
    if (!buf) {
        jpeg_destroy_decompress(&cinfo);
        return -1;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = buf + size_t(cinfo.output_scanline) * W * comps;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    *rgb = buf;
    *w = int(W);
    *h = int(H);
    return 0;
}

// rect clipped to the surface; false when nothing is left.
bool clip_rect(const SDL_Surface* s, const SDL_Rect& in, SDL_Rect& out)
{
    const int x0 = in.x < 0 ? 0 : in.x, y0 = in.y < 0 ? 0 : in.y;
    const int x1 = in.x + in.w > s->w ? s->w : in.x + in.w;
    const int y1 = in.y + in.h > s->h ? s->h : in.y + in.h;
    if (x1 <= x0 || y1 <= y0)
        return false;
    out = SDL_Rect{Sint16(x0), Sint16(y0), Uint16(x1 - x0), Uint16(y1 - y0)};
    return true;
}

} // namespace

int SaveScreenToJPEG(SDL_Surface* surface, const SDL_Rect* rect, int quality, const char* path,
                     bool use_path)
{
    if (!surface || surface->format->BytesPerPixel != 2 || !path)
        return 5;
    SDL_Rect r;
    if (!clip_rect(surface, rect ? *rect : SDL_Rect{0, 0, Uint16(surface->w), Uint16(surface->h)}, r))
        return 5;
    const int w = r.w, h = r.h;
    std::unique_ptr<unsigned char[]> rgb(new (std::nothrow) unsigned char[size_t(w) * h * 3]);
    if (!rgb)
        return -1;
    if (SDL_LockSurface(surface) < 0)
        return -2;
    const SDL_PixelFormat* fmt = surface->format;
    for (int y = 0; y < h; y++) {
        const Uint16* src = reinterpret_cast<const Uint16*>(
                                static_cast<const Uint8*>(surface->pixels) + (r.y + y) * surface->pitch) + r.x;
        unsigned char* dst = rgb.get() + size_t(y) * w * 3;
        for (int x = 0; x < w; x++)
            SDL_GetRGB(src[x], const_cast<SDL_PixelFormat*>(fmt), dst + 3 * x, dst + 3 * x + 1, dst + 3 * x + 2);
    }
    SDL_UnlockSurface(surface);
    const std::string file = use_path ? host_path(path) : std::string(path);
    FILE* out = fopen(file.c_str(), "wb");
    if (!out)
        return -3;
    int res = compress_rgb(out, rgb.get(), w, h, quality);
    if (fclose(out) != 0 && res == 0)
        res = kJpegError; // the last bytes did not reach the disk
    if (res != 0)
        unlink(file.c_str()); // never leave a partial picture
    return res;
}

int LoadScreenFromJPEG(SDL_Surface* surface, const SDL_Rect* rect, const char* path)
{
    if (!surface || surface->format->BytesPerPixel != 2 || !path)
        return 5;
    const SDL_Rect want = rect ? *rect : SDL_Rect{0, 0, 1024, 768};
    FILE* in = fopen(host_path(path).c_str(), "rb");
    if (!in)
        return -3;
    unsigned char* rgb = nullptr;
    int iw = 0, ih = 0;
    const int res = decompress_rgb(in, &rgb, &iw, &ih);
    fclose(in);
    if (res != 0)
        return res;
    std::unique_ptr<unsigned char, void (*)(void*)> hold(rgb, free);
    if (SDL_LockSurface(surface) < 0)
        return -2;
    const int rows = ih < want.h ? ih : want.h, cols = iw < want.w ? iw : want.w;
    for (int y = 0; y < rows; y++) {
        const int sy = want.y + y;
        if (sy < 0 || sy >= surface->h)
            continue;
        Uint16* dst = reinterpret_cast<Uint16*>(static_cast<Uint8*>(surface->pixels) + sy * surface->pitch);
        const unsigned char* src = rgb + size_t(y) * iw * 3;
        for (int x = 0; x < cols; x++) {
            const int sx = want.x + x;
            if (sx < 0 || sx >= surface->w)
                continue;
            dst[sx] = Uint16(SDL_MapRGB(surface->format, src[3 * x], src[3 * x + 1], src[3 * x + 2]));
        }
    }
    SDL_UnlockSurface(surface);
    SDL_Rect shown;
    if (surface == SDL_GetVideoSurface() &&
        clip_rect(surface, SDL_Rect{want.x, want.y, Uint16(cols), Uint16(rows)}, shown))
        SDL_UpdateRect(surface, shown.x, shown.y, shown.w, shown.h);
    return 0;
}

void screenshot_stamp(char* out, size_t cap)
{
    time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    snprintf(out, cap, "%02d%02d%02d_%02d%02d%02d", t.tm_year % 100, t.tm_mon + 1, t.tm_mday,
             t.tm_hour, t.tm_min, t.tm_sec);
}

int screenshot_mode()
{
    char stamp[32];
    screenshot_stamp(stamp, sizeof stamp);
    snprintf(scrshot_fname, sizeof scrshot_fname, "%s.jpg", stamp);
    char path[160];
    snprintf(path, sizeof path, "%s%s", kDataDir, scrshot_fname);
    SDL_Rect whole{0, 0, 1024, 768};
    int res;
    {
        MutexLock lock(lock_dw);
        res = SaveScreenToJPEG(SDL_GetVideoSurface(), &whole, 90, path, true);
        if (res == 0)
            sync3();
    }
    // The operator is told after the disk lock is released: the acquisition thread must not
    // wait on it while the message waits for a key.
    if (res != 0)
        mesmode("Disk is full", "Impossible to save images!", true, 0);
    return res;
}

int iOpen(SDL_Surface* surface, const char* name)
{
    if (!plain_file_name(name))
        return 0;
    char path[160];
    snprintf(path, sizeof path, "%s%s", kDataDir, name);
    MutexLock lock(lock_dw);
    LoadScreenFromJPEG(surface, nullptr, path);
    sync3();
    return 0;
}
