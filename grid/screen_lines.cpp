// Screens 30 (the control screen between lines: which line comes next, the completion of the
// grid, "Stop & process") and 28 (the measurement of one line with the plan view following
// the recorded points).
#include "grid/grid_project.h"
#include "grid/grid_screens.h"
#include "grid/grid_ui.h"
#include "grid/grid_column.h"
#include "grid/top_view.h"

#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "gui/screen_loop.h"
#include "acquisition/mea_screens.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "gui/input.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace gridui;

namespace {

CMatrix& mx() { return rdr.mx; }

// The line shown and its position across the grid (centimetres or inches).
void show_line_text(int m, int slot)
{
    const GridLine l = grid_current();
    const CMatrix& c = mx();
    const int step = l.direction == 0 ? c.x_step() : c.line_step;
    const double metres = double(l.line) * step * double(c.resolution) * double(eep.GetUnit(10));
    const bool si = xml_pars.units != 0;
    set_textf(m, slot, "%s line %d of %d at %s = %.0f %s (%.0f %%)", l.direction == 0 ? "X" : "Y", l.line + 1,
              c.line_count(l.direction), l.direction == 0 ? "x" : "y", si ? metres * 100 : metres / 0.0254,
              si ? "cm" : "in", double(c.line_ready()) * 100);
}

// The plan view of rows 30 and 28 with the current line marked.
CTopView* show_progress(int m)
{
    CTopView* v = grid_top_view(m);
    if (!v)
        return nullptr;
    v->line_mode = mx().current_direction == 0 ? 0 : 2;
    v->cross_x = v->cross_y = -1;
    if (!v->surf || v->points_x != mx().nx || v->points_y != mx().ny || v->data_view)
        v->recreate(false);
    return v;
}

bool complete() { return hf_meas_all; }

// Writes both raw cubes; a full disk offers to empty the data directory. False when the
// project was given up (its files deleted).
bool write_raw(int m)
{
    CMatrix& c = mx();
    for (;;) {
        const int a = c.d_write(0), b = a == 0 ? c.d_write(1) : a;
        if (a == 0 && b == 0)
            return true;
        if (!ask(m, "Write Error (disk is full)", "Do you want to clean the disk and save the project?")) {
            c.xDelete(c.project_name);
            c.m_init();
            return false;
        }
        {
            MutexLock g(lock_dw);
            run_shell(("rm " + sh_path("/mnt/hda1") + "/* -f").c_str());
        }
        // The project's own headers went with the rest: they are written again first.
        c.rhd_write();
        c.hd.h_write();
    }
}

// The completion check of every entry of screen 30. False when the project was given up.
bool check_completion(int m)
{
    CMatrix& c = mx();
    if (complete() || !grid_last_line(grid_current(), c.lines_1) || !grid_line_done(c.line_ready()))
        return true;
    c.lin_all();
    if (!write_raw(m))
        return false;
    hf_meas_all = true;
    puts("grid: all lines measured");
    return true;
}

// Leaving the project: an incomplete one only after its deletion is confirmed. True when left.
bool leave_project(int m)
{
    if (!complete()) {
        if (!ask(m, "The measurement is not completed.", "All files will be deleted. Do you want to EXIT ?"))
            return false;
        mx().xDelete(mx().project_name);
    }
    mx().m_init();
    return true;
}

void process(int m)
{
    CMatrix& c = mx();
    mesmode("The data is being processed.", "This can take 1-2 min.", true, -1);
    c.fir_all();
    c.migrate_all();
    const int a = c.d_write(2), b = c.d_write(3);
    if (a != 0 || b != 0) {
        // The processed files are whole or absent: a half-written pair is removed.
        MutexLock g(lock_dw);
        for (int k : {2, 3})
            unlink(host_path(c.rd6_path[k]).c_str());
    }
    grid_processed = true;
    c.hd.h_write();
    (void)m;
}

} // namespace

int mode_30_grid_short_stop()
{
    using namespace g30;
    curbutton[30] = kStartLine;
    for (;;) {
        mode = 30;
        show_progress(30);
        if (!check_completion(30))
            return -1;
        const GridLine at = grid_current();
        printf("grid line %d %d%s\n", at.direction, at.line, complete() ? " (complete)" : "");
        show_button(30, kPrevLine, !(complete() || (at.direction == 0 && at.line == 0)));
        enter(30);
        if (CTopView* v = grid_top_view(30))
            v->Draw();
        show_line_text(30, kLinePos);
        bool again = false;
        while (!again) {
            const int r = next_button(30);
            release(30, r);
            if (!cu_on()) {
                // A poll decides: a CU that missed one check between lines is still there.
                MutexLock g(lock_dw);
                CallDevice();
            }
            if (!cu_on()) {
                if (ask(30, "Control Unit is disconnected.", "Do you want to exit this project?") && leave_project(30))
                    return -1;
                continue;
            }
            CMatrix& c = mx();
            switch (r) {
            case kStartLine:
                if (complete()) {
                    tell(30, "The measurement is completed.", "You can not continue it.");
                    break;
                }
                if (grid_remeasure)
                    c.line_erase();
                curbutton[30] = kNextLine;
                mode_28_grid_meas();
                again = true;
                break;
            case kNextLine:
                if (complete()) {
                    tell(30, "The measurement is completed", "Press \"Stop & Process\" now.");
                    curbutton[30] = kProcess;
                    again = true;
                    break;
                }
                if (!grid_line_done(c.line_ready())) {
                    tell(30, "The current line is not completed (<97%)", "Repeat this line.");
                    break;
                }
                grid_set_line(grid_next_line(grid_current(), c.lines_0, c.lines_1));
                curbutton[30] = kStartLine;
                again = true;
                break;
            case kPrevLine: {
                const GridLine l = grid_current();
                if (l.direction == 0 && l.line == 0) {
                    tell(30, "This is a first line.", "One can not go back any more.");
                    break;
                }
                if (grid_remeasure)
                    c.line_erase();
                grid_set_line(grid_previous_line(l, c.lines_0));
                again = true;
                break;
            }
            case kProcess:
                if (!complete()) {
                    tell(30, "The measurement is not completed.", "You can not process the data.");
                    break;
                }
                process(30);
                mode_31_slice_View(0);
                return 0;
            case kTexts:
                mode_29_grid_Parameters();
                again = true;
                break;
            case kExit:
                if (leave_project(30))
                    return -1;
                break;
            default:
                break;
            }
        }
    }
}

int mode_28_grid_meas()
{
    using namespace g28;
    mode = 28;
    curbutton[28] = kStop;
    CTopView* v = show_progress(28);
    enter(28);
    if (v)
        v->Draw();
    show_line_text(28, kLineText);
    mx().mx_clear_line();
    printf("MeasureMode=%d\n", int(MeasureMode.load()));
    {
        MutexLock g(lock_dw);
        CallDevice();
    }
    printf("pisOn=%d\n", int(cu_on()));
    if (!cu_on()) {
        mesmode("It is impossible to start measurements", "Control Unit is not connected!", true, 0);
        return -1;
    }
    hf_short_stop = 0;
    {
        MutexLock g(lock_eol);
        m_lin_end = false;
    }
    const int s = MStart();
    if (s == -1 || s >= 1000) {
        mesmode("It is impossible to start measurements", "Some parameters are wrong or power is OFF!", true, 0);
        return -2;
    }
    if (s == -2) {
        mesmode("CU Error: CU is OFF or", "Antenna is not connected!", true, 0);
        return -3;
    }
    if (s == -3) {
        mesmode("The EM Sensors are not accessible!", "Switch off 50/60 Hz sensor in Parameters.", true, 0);
        curbutton[30] = 8;
        return -4;
    }
    // The screen's work between key looks: the battery, the plan view at each display step of
    // the acquisition thread, and the end of the line. The wait ends when the line ends or
    // the display fails.
    Uint32 shown_at = SDL_GetTicks();
    bool failed = false;
    auto tick = [&] {
        draw_battery();
        if (take_m_show()) {
            if (!show_Matrix(v)) {
                failed = true;
                return false;
            }
            if (SDL_GetTicks() - shown_at > 1000) {
                show_line_text(28, kLineText);
                printf("grid: line %.0f%%, wheel %d, traces %d\n", double(mx().line_ready()) * 100,
                       int(curWhPosition), int(rdr.rd.hd.last_trace));
                shown_at = SDL_GetTicks();
            }
        }
        MutexLock g(lock_eol);
        return !m_lin_end;
    };
    for (;;) {
        const int r = next_button(28, tick);
        if (failed) {
            puts("MStop(): bad show_M()");
            hf_short_stop = 1;
            return -5;
        }
        if (r == 0)
            break;
        if (r == kStop) {
            release(28, kStop);
            break;
        }
    }
    MStop(0);
    hf_short_stop = 1;
    puts("MStop(): Return");
    return 0;
}
