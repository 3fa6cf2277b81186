#include "gui/key_script.h"

#include "platform/termination.h"
#include "gui/input.h"
#include "gui/key_handover.h"
#include "gui/sdl_object.h"

#include <png.h>
#include <pthread.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

struct Named {
    const char* name;
    SDLKey sym;
};

const Named kKeys[] = {
    {"Up", SDLK_UP},           {"Down", SDLK_DOWN},         {"Left", SDLK_LEFT},
    {"Right", SDLK_RIGHT},     {"Enter", SDLK_RETURN},      {"Escape", SDLK_ESCAPE},
    {"Space", SDLK_SPACE},     {"Backspace", SDLK_BACKSPACE}, {"Tab", SDLK_TAB},
    {"Insert", SDLK_INSERT},   {"Delete", SDLK_DELETE},     {"Home", SDLK_HOME},
    {"End", SDLK_END},         {"PageUp", SDLK_PAGEUP},     {"PageDown", SDLK_PAGEDOWN},
};

// The longest a screen may stay busy before it waits for the next scripted key again.
constexpr int kKeyTimeoutMs = 300000;

std::string trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

// A screenshot name becomes a file name: letters, digits, '-', '_' and '.' only.
std::string safe_name(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += (isalnum((unsigned char)c) || c == '-' || c == '_' || c == '.') ? c : '_';
    if (out.empty() || out[0] == '.')
        out = "shot" + out;
    return out;
}

// Screenshots are written to a temporary name and renamed into place, so that whoever waits
// for one never reads half a file.
void save_shot(const std::string& name)
{
    const char* dir = getenv("GPRMON_SHOTS");
    const std::string path = std::string(dir && *dir ? dir : ".") + "/" + name + ".png";
    const std::string part = path + ".part";
    if (!save_screen_png(part.c_str()) || rename(part.c_str(), path.c_str()) != 0) {
        remove(part.c_str());
        printf("key script: cannot save %s\n", path.c_str());
    }
}

int feeder(void* arg)
{
    // Nobody waits for the feeder (it may still wait for a key when the program ends): it
    // leaves nothing to be joined when its script is done. SDL's threads are POSIX threads.
    pthread_detach(pthread_self());
    std::string path = *static_cast<std::string*>(arg);
    delete static_cast<std::string*>(arg);
    std::ifstream in(path);
    if (!in) {
        printf("key script %s: cannot open\n", path.c_str());
        return 0;
    }
    std::string line;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (isdigit((unsigned char)line[0])) {
            SDL_Delay(Uint32(strtoul(line.c_str(), nullptr, 10)));
        } else if (line.compare(0, 5, "wait ") == 0) {
            SDL_Delay(Uint32(strtoul(line.c_str() + 5, nullptr, 10)));
        } else if (line.compare(0, 5, "shot ") == 0) {
            const std::string name = safe_name(trim(line.substr(5)));
            if (!handover_run_on_gui([&] { save_shot(name); }, kKeyTimeoutMs))
                printf("key script: no screen waited for the shot %s\n", name.c_str());
        } else if (line == "quit") {
            request_termination();
        } else {
            SDLKey k = key_by_name(line);
            if (k == SDLK_UNKNOWN)
                printf("key script: unknown line \"%s\"\n", line.c_str());
            else if (!handover_press(k, kKeyTimeoutMs))
                printf("key script: no screen took the key %s\n", line.c_str());
        }
        fflush(stdout);
    }
    return 0;
}

} // namespace

SDLKey key_by_name(const std::string& name)
{
    for (const Named& k : kKeys)
        if (name == k.name)
            return k.sym;
    if (name.size() >= 2 && name[0] == 'F' && isdigit((unsigned char)name[1])) {
        int n = atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12)
            return SDLKey(SDLK_F1 + n - 1);
    }
    if (name.size() == 1 && isdigit((unsigned char)name[0]))
        return SDLKey(SDLK_0 + (name[0] - '0'));
    if (name.size() == 1 && isalpha((unsigned char)name[0]))
        return SDLKey(SDLK_a + (tolower((unsigned char)name[0]) - 'a'));
    return SDLK_UNKNOWN;
}

namespace {

// The scripted run's log of the message boxes, so that a script can be followed from outside.
void log_message_box(const char* title, const char* text, int type)
{
    printf("key script: message box \"%s\" / \"%s\" (type %d)\n", title, text, type);
    fflush(stdout);
}

} // namespace

void start_key_script()
{
    static bool started = false;
    const char* keys = getenv("GPRMON_KEYS");
    if (started || !keys || !*keys)
        return;
    started = true;
    if (!mesmode_observer)
        mesmode_observer = log_message_box;
    SDL_Thread* t = SDL_CreateThread(feeder, new std::string(keys));
    if (!t)
        printf("key script: %s\n", SDL_GetError());
}

bool save_screen_png(const char* path)
{
    // What the window shows (dimmed with the simulated backlight), not the drawing surface.
    SDL_Surface* s = SDL_GetVideoSurface() ? SDL_GetVideoSurface() : screen;
    if (!s)
        return false;
    FILE* f = fopen(path, "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, s->w, s->h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(s->w) * 3);
    if (SDL_MUSTLOCK(s))
        SDL_LockSurface(s);
    int bpp = s->format->BytesPerPixel;
    for (int y = 0; y < s->h; y++) {
        const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < s->w; x++) {
            Uint32 px = 0;
            if (bpp == 2) {
                Uint16 v;
                memcpy(&v, p + x * 2, 2);
                px = v;
            } else if (bpp == 4) {
                memcpy(&px, p + x * 4, 4);
            } else {
                px = p[x * bpp]; // 8-bit palettes; the monitor runs 16 bits per pixel
            }
            Uint8 r, g, b;
            SDL_GetRGB(px, s->format, &r, &g, &b);
            row[size_t(x) * 3] = r;
            row[size_t(x) * 3 + 1] = g;
            row[size_t(x) * 3 + 2] = b;
        }
        png_write_row(png, row.data());
    }
    if (SDL_MUSTLOCK(s))
        SDL_UnlockSurface(s);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}
