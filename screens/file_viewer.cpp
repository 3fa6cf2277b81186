// Screen 1: a stored profile in the radargram with its markers, the trace cursor ("Trace:
// %d"), the rulers and the single trace of the cursor's trace; the tools of the measurement
// screen work on it. Screen 7 shows the same profile over the whole screen.
//
// The tools change only the display and the soil velocity (written to the XML file); the
// profile's files are opened read-only and never written.
#include "screens/file_screens.h"

#include "acquisition/mea_lists.h"
#include "acquisition/mea_profile.h"
#include "acquisition/mea_radargram.h"
#include "gui/screen_loop.h"
#include "acquisition/mea_screens.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/rounding.h"
#include "files/radar_data.h"
#include "files/screenshot.h"
#include "grid/profile_migration.h"
#include "gui/button.h"
#include "app/screens.h"
#include "gui/input.h"
#include "gui/rows.h"
#include "gui/list_box.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/text_label.h"
#include "gui/trace_store.h"
#include "platform/globals.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

using namespace files_ui;
constexpr int kM = 1;

bool tools_offered = false; // migration and hyperbola fitting: wheel-triggered profiles
int depth_row = -1;         // the reflector cursor, kept between uses

CScrBuf* viewer() { return radargram_of(kM); }

int cursor_trace(const CScrBuf* b) { return b->hr ? b->hr->position : b->first_trace; }

void show_trace_text(const CScrBuf* b)
{
    auto* t = mS.at<CSDLText>(kM, kTraceText);
    if (!t)
        return;
    char s[32];
    snprintf(s, sizeof s, "Trace: %d", cursor_trace(b));
    t->Erase();
    t->SetText8(s);
    if (mode == kM)
        t->Draw();
}

// The single-trace view follows the cursor.
void show_cursor_trace(CScrBuf* b)
{
    const int t = cursor_trace(b);
    if (b->tv && b->tv->visible && store_trace(t))
        b->tv->tDraw(nullptr, t, 2, -1, false, "");
    show_trace_text(b);
}

void draw_screen(CScrBuf* b)
{
    select_row(kM);
    mS.Draw();
    mS.DrawObjs(kM);
    eep_textinfo();
    show_cursor_trace(b);
    curbut = curbutton[kM];
    curbutDraw();
}

// Moves the trace cursor to trace t (kept in the profile), scrolling the view to it.
void cursor_to(CScrBuf* b, int t)
{
    const int count = store_trace_count();
    if (count <= 0 || !b->hr)
        return;
    t = std::clamp(t, 0, count - 1);
    int shift = 0;
    if (t < b->first_trace)
        shift = t - b->first_trace;
    else if (t >= b->first_trace + b->width)
        shift = t - (b->first_trace + b->width) + 1;
    if (shift != 0) {
        migration_undo(nullptr); // migrated columns do not scroll along
        b->datatran(shift, true, 0, kM, false);
    }
    b->hr->SetPos(t);
    b->Draw();
    show_cursor_trace(b);
}

// Button 11: Left/Right move the cursor by one trace, Up/Down by 50; Enter ends.
void trace_cursor(CScrBuf* b)
{
    for (;;) {
        const int k = params::edit_key(draw_battery);
        if (k == SDLK_RETURN) {
            printf("trace cursor %d\n", cursor_trace(b));
            return;
        }
        const int step = k == SDLK_RIGHT ? 1 : k == SDLK_LEFT ? -1 : k == SDLK_DOWN ? 50 : -50;
        cursor_to(b, cursor_trace(b) + step);
    }
}

int sample_at(const CScrBuf* b, int row) { return b->first_sample + mrnd(row * b->compression); }

// The tools wait for keys with the battery as their only work.
bool idle()
{
    draw_battery();
    return true;
}

// A horizontal cursor on a reflector below the zero level, where it was left the last time:
// its row, or -1 when left.
int reflector_row(CScrBuf* b)
{
    if (depth_row < 0)
        depth_row = b->rect.h / 2;
    const int row = row_cursor(b, depth_row, depth_cursor_limit(b), 3, idle);
    if (row >= 0)
        depth_row = row;
    return row;
}

double length_unit() { return double(eep.GetUnit(0)); }
float top_velocity() { return float(std::floor(300.0 / length_unit())); }

void save_soil_velocity(CScrBuf* b, int v)
{
    xml_pars.soil_velocity = uint16_t(v);
    printf("soil velocity %d\n", v);
    {
        MutexLock g(lock_dw);
        xml_pars.write_xml_tree();
    }
    b->setEERulers();
    b->Draw();
    eep_textinfo();
}

void depth_calibration(CScrBuf* b)
{
    const int row = reflector_row(b);
    b->Draw();
    if (row < 0)
        return;
    const int s = std::max(sample_at(b, row), eep.tz_sample + 1);
    const double unit = length_unit();
    float D = float(double(eep.e_depth(s)) / unit);
    if (number_entry(b, kM, "Depth Calibration", "%3.2f", D, 0.01f, 999, 0.01f, &D, idle) != 1)
        return;
    const double A = eep.ant_separation / unit;
    const double T = (s - eep.tz_sample) * eep.sample_interval;
    const int v = calibrated_velocity(A, D, T, unit);
    if (v > 0)
        save_soil_velocity(b, v);
}

// A hyperbola for the soil velocity at the trace cursor and a reflector's depth; Left/Right
// change the velocity, Enter keeps it, Up/Down leave it as it was.
void hyperbola_fitting(CScrBuf* b)
{
    const int row = reflector_row(b);
    if (row < 0) {
        b->Draw();
        return;
    }
    const uint16_t before = xml_pars.soil_velocity;
    int v = before;
    b->hcur_row = int16_t(row);
    b->hyper_on = 1;
    b->Draw();
    bool keep = false;
    for (;;) {
        const int k = params::edit_key(draw_battery);
        if (k == SDLK_RIGHT || k == SDLK_LEFT) {
            v = std::clamp(v + (k == SDLK_RIGHT ? 1 : -1), 1, int(top_velocity()));
            xml_pars.soil_velocity = uint16_t(v);
            b->Draw();
            eep_textinfo();
        } else {
            keep = k == SDLK_RETURN;
            break;
        }
    }
    b->hyper_on = 0;
    xml_pars.soil_velocity = before;
    if (keep)
        save_soil_velocity(b, v);
    else
        b->Draw();
}

void set_markers_entry(CListBox* l, const CScrBuf* b)
{
    l->rows[kMarkers].fill(0);
    snprintf(l->rows[kMarkers].data(), kListStrBytes, "%s", b->markers_on ? "Hide Markers" : "Show Markers");
}

void tools(CScrBuf* b)
{
    auto* l = mS.at<CListBox>(kM, kToolsList);
    if (!l)
        return;
    set_markers_entry(l, b);
    l->SetEnabled(kHyperbola, tools_offered);
    l->SetEnabled(kMigration, tools_offered);
    l->SetCurrent(0);
    l->visible = 1;
    l->Draw();
    int chosen = -1;
    for (;;) {
        const int k = params::edit_key(draw_battery);
        if (k == SDLK_LEFT)
            l->Next();
        else if (k == SDLK_RIGHT)
            l->Previous();
        else {
            if (k == SDLK_RETURN)
                chosen = l->GetCurrent();
            break;
        }
        l->Draw();
    }
    l->visible = 0;
    l->Erase();
    b->Draw();
    printf("viewer tool %d\n", chosen);
    switch (chosen) {
    case kDepthCalibration: depth_calibration(b); break;
    case kHyperbola: hyperbola_fitting(b); break;
    case kMigration: migration_tool(b); break;
    case kMarkers:
        b->markers_on = b->markers_on ? 0 : 1;
        redraw_radargram(b);
        break;
    default: break;
    }
}

// A browse of the radargram is about to move it: the migrated columns go back first.
bool scroll_pending(const CScrBuf* b)
{
    if (!b->pressed)
        return false;
    SDL_Event e[8];
    SDL_PumpEvents();
    const int n = SDL_PeepEvents(e, 8, SDL_PEEKEVENT, SDL_EVENTMASK(SDL_KEYDOWN));
    for (int i = 0; i < n; i++) {
        const SDLKey k = e[i].key.keysym.sym;
        if (k == SDLK_LEFT || k == SDLK_RIGHT || k == SDLK_UP || k == SDLK_DOWN)
            return true;
    }
    return false;
}

void enter_view(CScrBuf* b)
{
    mode = kM;
    tbuf = b;
    b->markers = &rdr.rd.mrk;
    b->markers_on = 1;
    b->hcur_on = 0;
    b->hyper_on = 0;
    jump_to_end = false;
    prepare_radargram(b);
}

} // namespace

int mode_01_file_view()
{
    CScrBuf* b = viewer();
    if (!b)
        return 6;
    data_is_migrated = migration_is_on = false;
    mS.Init_3_filters();
    enter_view(b);
    b->par_Init();
    b->first_trace = 0;
    b->first_sample = 0;
    b->shown = 0;
    b->sbars_init();
    if (b->hr)
        b->hr->SetPos(0);
    b->datatran(0, true, 0, kM, false);
    tools_offered = eep.trig_code == 0 && profile_migration_prepare(b->width) == 0;
    if (curbutton[kM] < kBack || curbutton[kM] > kTrace)
        curbutton[kM] = kBack;
    CButton* buttons[kLastButton + 1];
    select_row(kM);
    Init_All_Buttons(buttons);
    show_display_controls(kM);
    draw_screen(b);
    printf("file viewer: %s, %d traces\n", rdr.cur_name, store_trace_count());

    // The trace text follows a browse of the radargram (the view and its cursor move).
    int shown_first = b->first_trace, shown_cursor = cursor_trace(b);
    for (;;) {
        const int r = next_button(kM, [b, &shown_first, &shown_cursor] {
            if (data_is_migrated && scroll_pending(b))
                migration_undo(b);
            draw_battery();
            if (b->first_trace != shown_first || cursor_trace(b) != shown_cursor) {
                shown_first = b->first_trace;
                shown_cursor = cursor_trace(b);
                show_trace_text(b);
            }
            return true;
        });
        if (buttons[r] && buttons[r]->pressed)
            buttons[r]->Release();
        if (r == kBack) {
            migration_undo(nullptr); // the migrated display data are dropped first
            tbuf = nullptr;
            return 6;
        }
        if (r == kTools) {
            tools(b);
        } else if (r == kJpeg) {
            screenshot_mode();
            eep_textinfo();
        } else if (r == kPars) {
            migration_undo(nullptr);
            mode_04_parameters(1);
            enter_view(b);
            redraw_radargram(b);
            select_row(kM);
            Init_All_Buttons(buttons);
            show_display_controls(kM);
            draw_screen(b);
        } else if (r == kFull) {
            migration_undo(nullptr);
            mode_07_file_full_screen();
            enter_view(b);
            if (CScrBuf* f = radargram_of(7)) {
                b->first_trace = f->first_trace;
                if (b->hr && f->hr)
                    b->hr->SetPos(f->hr->position);
            }
            b->datatran(0, true, 0, kM, false);
            select_row(kM);
            Init_All_Buttons(buttons);
            show_display_controls(kM);
            draw_screen(b);
        } else if (r == kTrace) {
            trace_cursor(b);
        }
    }
}

int mode_07_file_full_screen()
{
    CScrBuf* from = viewer();
    CScrBuf* fs = radargram_of(7);
    if (!fs || !from)
        return kM;
    mode = 7;
    fs->markers = from->markers;
    fs->markers_on = from->markers_on;
    fs->hcur_on = 0;
    prepare_radargram(fs);
    fs->first_trace = from->first_trace;
    if (fs->hr && from->hr)
        fs->hr->SetPos(from->hr->position);
    fs->datatran(0, true, 0, 7, false);
    if (fs->hsb)
        fs->hsb->selected = 1;
    if (fs->vsb)
        fs->vsb->selected = 0;
    fs->Press();
    select_row(7);
    tbuf = fs;
    mS.Draw();
    mS.DrawObjs(7);
    curbut = kSlotRadargram;
    keyb_wait();
    for (;;) {
        draw_battery();
        const int r = press_but_and_slid();
        if (r == -1) {
            SDL_Delay(10);
            continue;
        }
        if (r != 100 && r != 101)
            break;
    }
    fs->Release();
    if (fs->hsb)
        fs->hsb->selected = 0;
    return kM;
}
