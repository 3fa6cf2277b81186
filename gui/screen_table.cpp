#include "gui/screen_table.h"

#include "gui/bitmaps.h"
#include "gui/button.h"
#include "gui/display_filters.h"
#include "gui/indicators.h"
#include "gui/rows.h"
#include "grid/grid_screens.h"
#include "projects/pv_screens.h"
#include "screens/file_screens.h"
#include "screens/system_screens.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

CMS mS;

namespace {

sge_TTFont* open_font(const char* name, const char* error_fmt)
{
    char path[512];
    asset_path(name, path, sizeof path);
    sge_TTFont* f = sge_TTF_OpenFont(path, 24);
    if (!f) {
        printf(error_fmt, SDL_GetError());
        fflush(stdout);
        exit(1);
    }
    return f;
}

} // namespace

CMS::CMS()
{
    // Off the device (no frame buffer, no X display) the monitor runs headless.
    if (!getenv("DISPLAY"))
        setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) {
        printf("Could not initialize SDL: %s.\n", SDL_GetError());
        exit(1);
    }
    SDL_EnableKeyRepeat(0, 0);
    surface = SDL_SetVideoMode(kScreenW, kScreenH, 16, SDL_HWSURFACE | SDL_ANYFORMAT | SDL_HWPALETTE);
    if (!surface) {
        printf("Couldn't set 640x480x16 video mode: %s\n", SDL_GetError());
        exit(1);
    }
    screen = surface;
    printf("Set %dx%d at %d bits-per-pixel mode\n", surface->w, surface->h,
           surface->format->BitsPerPixel);
    SDL_WM_SetCaption("gprmon", "gprmon");
    // Keys only: the keypad has no mouse, and a pointer over the window must not matter.
    SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
    SDL_EnableUNICODE(0);
    if (sge_TTF_Init() != 0) {
        printf("TT error: %s\n", SDL_GetError());
        exit(1);
    }
    s_font = open_font("a06.ttf", "TT error1: %s\n");
    s_font2 = open_font("goodfisc.ttf", "TT error4: %s\n");
    b_font = open_font("hum521bi.ttf", "TT error2: %s\n");
    r_font = open_font("a03.ttf", "TT error3: %s\n");
    box_font = open_font("a06.ttf", "TT error3: %s\n");
    sge_TTF_AAOn();
    sge_TTF_AA_Alpha();
    load_shared_bitmaps();
    snprintf(prg_title, sizeof prg_title, " %s %s", kProgramTitle, kProgramVersion);
    rect = {0, 0, kScreenW, kScreenH};
}

CMS::~CMS()
{
    del_objs();
    free_shared_bitmaps();
    for (sge_TTFont** f : {&s_font, &s_font2, &b_font, &r_font, &box_font, &kina_font}) {
        if (*f)
            sge_TTF_CloseFont(*f);
        *f = nullptr;
    }
    screen = nullptr;
    SDL_Quit();
}

void CMS::put(int row, int slot, CSDLObject* o, bool own)
{
    if (row < 0 || row >= kRows || slot < 0 || slot >= kSlots)
        return;
    if (obj[row][slot] && owned[row][slot] && obj[row][slot] != o)
        delete obj[row][slot];
    obj[row][slot] = o;
    owned[row][slot] = own ? 1 : 0;
}

void CMS::Init()
{
    // The battery and the GPS lamp stand on every screen; the main menu's row owns them.
    auto* battery = new CBattery("battery", 914, 6);
    auto* lamp = new CGPS_Indicator(880, 26);
    put(34, 0, battery, true);
    put(34, 1, lamp, true);
    build_all_rows(*this);
    for (int r = 1; r < kRows; r++) {
        if (!obj[r][0])
            put(r, 0, battery, false);
        if (!obj[r][1])
            put(r, 1, lamp, false);
    }
}

void CMS::del_objs()
{
    for (int r = 1; r < kRows; r++)
        for (int s = 0; s < kSlots; s++) {
            if (owned[r][s])
                delete obj[r][s];
        }
    memset(obj, 0, sizeof obj);
    memset(owned, 0, sizeof owned);
}

void CMS::DrawObjs(int m)
{
    if (m < 1 || m >= kRows)
        return;
    cur_mode = m;
    memcpy(obj[0], obj[m], sizeof obj[0]);
    for (int s = 0; s < kSlots; s++) {
        CSDLObject* o = obj[0][s];
        if (o && o->visible)
            o->Draw();
    }
}

void CMS::Draw()
{
    if (!screen)
        return;
    SDL_Rect all{0, 0, kScreenW, kScreenH};
    SDL_FillRect(screen, &all, bkg_pixel());
    SDL_UpdateRect(screen, 0, 0, 0, 0);
}

void CMS::Init_3_filters()
{
    // The radargram screens may share their sliders; each is set once per row anyway.
    float contrast = contrast_slider_value();
    float gain = time_gain_slider_value();
    for (int row : {1, 2, 3}) {
        if (auto* s = at<CSlider>(row, kSlotContrast))
            s->value = contrast;
        if (auto* s = at<CSlider>(row, kSlotTimeGain))
            s->value = gain;
    }
}

void build_all_rows(CMS& t)
{
    rows_message_box(t);
    rows_main_menu(t);
    rows_position_check(t);
    rows_quit_box(t);
    rows_measurement(t);
    rows_pv_screens(t);
    rows_grid_screens(t);
    rows_parameter_screens(t);
    rows_service_screens(t);
    rows_file_screens(t);
    rows_system_screens(t);
}
