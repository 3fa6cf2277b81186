// Screens 31 (a vertical section of the cube beside the plan view of the slice at the chosen
// depth, with the migration and top-view settings) and 32 (the plan view of the slice alone,
// large, with the section lines).
#include "grid/grid_project.h"
#include "grid/grid_screens.h"
#include "grid/grid_ui.h"
#include "grid/slice_buf.h"
#include "grid/top_view.h"

#include "gui/screen_loop.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "files/screenshot.h"
#include "gui/display_filters.h"
#include "gui/input.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "screens/parameter_screens.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace gridui;

namespace {

CMatrix& mx() { return rdr.mx; }

// The positions shown: the X section (point index along X), the Y section and the depth.
struct Positions {
    int x = 0, y = 0, z = 0;
};
Positions pos;
int section_dir = 0; // 0 the X section (a line of direction 0), 1 the Y section

double point_in_length_units(int i)
{
    return double(i) * double(mx().resolution) * double(eep.GetUnit(10)) / double(eep.GetUnit(0));
}

double depth_in_units(int z)
{
    return double(eep.e_depth(z) / eep.GetUnit(uint8_t(xml_pars.depth_units)));
}

int samples() { return std::max(1, std::min<int>(eep.samples, mx().samples())); }

void clamp_positions()
{
    if (pos.x < 0 || pos.x >= mx().nx)
        pos.x = 0;
    if (pos.y < 0 || pos.y >= mx().ny)
        pos.y = 0;
    if (pos.z < 0 || pos.z >= samples())
        pos.z = 0;
}

void remember_positions()
{
    Header& h = mx().hd;
    h.x_slice = int16_t(pos.x);
    h.y_slice = int16_t(pos.y);
    h.z_slice = int16_t(pos.z);
}

void recompute_slice()
{
    CMatrix& m = mx();
    m.z_slice_index = int16_t(pos.z);
    m.top_view_mode = 1;
    m.tv_process();
}

void labels(int m, int xs, int ys, int zs)
{
    set_labelf(m, xs, "X-sec(%3.2f)", point_in_length_units(pos.x));
    set_labelf(m, ys, "Y-sec(%3.2f)", point_in_length_units(pos.y));
    set_labelf(m, zs, "Depth(%3.2f)", depth_in_units(pos.z));
}

void draw_top(int m, bool rebuild)
{
    CTopView* v = grid_top_view(m);
    if (!v)
        return;
    if (rebuild || !v->surf || !v->data_view)
        v->recreate(true);
    v->cross_x = pos.x;
    v->cross_y = pos.y;
    v->cross_arrow = section_dir;
    if (CSliceBuf* s = grid_slice_view())
        v->gain = s->gain_curve();
    v->Draw();
}

// The section of the current direction and position, migrated for display unless `plain`.
void show_section(bool plain)
{
    CSliceBuf* s = grid_slice_view();
    if (!s)
        return;
    CMatrix& m = mx();
    const int d = section_dir;
    s->direction = d;
    s->section_pos = d == 0 ? pos.x : pos.y;
    s->cross_pos = d == 0 ? pos.y : pos.x;
    const int step = std::max(1, d == 0 ? int(m.x_step()) : int(m.line_step));
    const int line = std::clamp(int(std::lround(double(s->section_pos) / step)), 0, std::max(0, m.line_count(d) - 1));
    s->show_spare = !plain;
    if (!plain) {
        migr_coef = 0.0f;
        m.Migration(d, line, 0);
    }
    const int points = m.trace_count(d);
    const float scale = std::max(0.25f, float(s->out_w - 77) / float(std::max(points, 1)));
    m.z_slice_index = int16_t(pos.z);
    s->band = m.hd.thickness > 2;
    s->recreate(std::min(scale, 8.0f), s->out_y);
    s->datatran(-1, false, 0, 0, true);
    s->Draw();
}

void show_settings()
{
    using namespace g31;
    const Header& h = mx().hd;
    set_labelf(31, kAngle, "Angle: %2d", int(h.interpolation_angle));
    set_labelf(31, kAperture, "Ap.%8d", int(h.thickness));
    set_labelf(31, kThreshold, "Thr.%8d", int(h.threshold_level));
    set_labelf(31, kContrast, "Contrast %d", int(contrast_slider_value()));
    set_labelf(31, kGain, "Gain %d", int(time_gain_slider_value()));
    set_textf(31, kVelText, "V=%3d", int(xml_pars.soil_velocity));
}

// A section position edited while its button is pressed: Left -1, Right +1, Down -10, Up +10.
bool move_section(int m, int slot, int& p, int count, int xs, int ys, int zs)
{
    double v = p;
    const bool changed = edit_steps(v, 1, 10, 0, std::max(0, count - 1), [&] {
        p = int(v);
        labels(m, xs, ys, zs);
        draw_top(m, false);
    });
    release(m, slot);
    return changed;
}

// The depth of the slice; `up_deeper` gives the key sense of the screen.
void move_depth(int m, int slot, bool up_deeper, int xs, int ys, int zs)
{
    double v = pos.z;
    edit_steps(
        v, up_deeper ? 1 : -1, 20, 0, samples() - 1,
        [&] {
            pos.z = int(v);
            labels(m, xs, ys, zs);
            recompute_slice();
            draw_top(m, false);
            if (m == 31)
                if (CSliceBuf* s = grid_slice_view()) {
                    mx().z_slice_index = int16_t(pos.z);
                    s->Draw();
                }
        },
        up_deeper);
    release(m, slot);
}

// A display slider (9 contrast, 10 time gain) edited with Left/Right.
void move_slider(int m, int slot, int filter_slot, int label_slot)
{
    double v = filter_slot == kSlotContrast ? contrast_slider_value() : time_gain_slider_value();
    edit_steps(v, 1, 5, 0, 80, [&] {
        slider_to_filters(filter_slot, float(v));
        set_labelf(m, label_slot, filter_slot == kSlotContrast ? "Contrast %d" : "Gain %d", int(v));
        if (CSliceBuf* s = grid_slice_view()) {
            s->reprocess = true;
            if (m == 31) {
                s->datatran(0, false, 0, 0, false);
                s->Draw();
            }
        }
        draw_top(m, false);
    });
    release(m, slot);
}

// A top-view setting edited in steps; each step recomputes the slice.
void move_setting(int slot, double lo, double hi, double big)
{
    Header& h = mx().hd;
    double v = slot == g31::kAngle ? h.interpolation_angle : slot == g31::kAperture ? h.thickness : h.threshold_level;
    edit_steps(v, 1, big, lo, hi, [&] {
        if (slot == g31::kAngle)
            h.interpolation_angle = int32_t(v);
        else if (slot == g31::kAperture)
            h.thickness = int16_t(v);
        else
            h.threshold_level = int16_t(v);
        show_settings();
        recompute_slice();
        draw_top(31, false);
    });
    release(31, slot);
}

void enter_31(int kind)
{
    using namespace g31;
    show_button(31, kVel, kind == 2);
    show_button(31, kGain, prm.gain_switch == 0); // the time gain is manual gain only
    enter(31);
    labels(31, kXSec, kYSec, kDepth);
    show_settings();
    if (CSliceBuf* s = grid_slice_view())
        s->Draw();
    draw_top(31, false);
}

} // namespace

int mode_31_slice_View(int kind)
{
    using namespace g31;
    CMatrix& m = mx();
    const Header& h = m.hd;
    pos = {h.x_slice, h.y_slice, h.z_slice};
    if (kind != 0 && m.z_slice_index > 0)
        pos.z = m.z_slice_index;
    clamp_positions();
    section_dir = 0;
    recompute_slice();
    curbutton[31] = kXSec;
    mode = 31;
    select_row(31);
    show_section(kind == 1);
    if (CTopView* v = grid_top_view(31))
        v->recreate(true);
    enter_31(kind);
    printf("grid: section view %d\n", kind);
    for (;;) {
        const int r = next_button(31);
        switch (r) {
        case kXSec:
        case kYSec: {
            section_dir = r == kXSec ? 0 : 1;
            int& p = r == kXSec ? pos.x : pos.y;
            move_section(31, r, p, r == kXSec ? m.nx : m.ny, kXSec, kYSec, kDepth);
            show_section(kind == 1);
            draw_top(31, false);
            break;
        }
        case kDepth:
            move_depth(31, r, true, kXSec, kYSec, kDepth);
            break;
        case kTop:
            release(31, r);
            mode_32_Top_View();
            mode = 31;
            select_row(31);
            show_section(kind == 1);
            enter_31(kind);
            break;
        case kVel: {
            const double k = xml_pars.units != 0 ? 3 : 9;
            const double base = 10.0 / double(eep.GetUnit(0));
            double n = std::clamp(std::round((xml_pars.soil_velocity - base) / k), 0.0, 80.0);
            const bool changed = edit_steps(n, 1, 10, 0, 80, [&] {
                xml_pars.soil_velocity = uint16_t(std::lround(k * n + 10));
                set_textf(31, kVelText, "V=%3d", int(xml_pars.soil_velocity));
            });
            release(31, r);
            if (changed) {
                show_section(false);
                draw_top(31, false);
            }
            break;
        }
        case kContrast:
            move_slider(31, r, kSlotContrast, kContrast);
            break;
        case kGain:
            move_slider(31, r, kSlotTimeGain, kGain);
            break;
        case kInfo:
            release(31, r);
            if (kind == 2)
                tell(31, "Define the soil velocity for migration",
                     "by selecting a hyperbola and use the slider \"Vel\"");
            else
                mode_29_grid_Parameters();
            select_row(31);
            enter_31(kind);
            break;
        case kPars:
            release(31, r);
            mode_04_parameters(kind == 2 ? 3 : 2);
            mode = 31;
            select_row(31);
            show_section(kind == 1);
            enter_31(kind);
            break;
        case kQuit:
            release(31, r);
            remember_positions();
            m.hd.h_write();
            xml_pars.write_xml_tree();
            if (kind == 0)
                m.m_init();
            return 0;
        case kAngle:
            move_setting(kAngle, -45, 45, 10);
            break;
        case kAperture:
            move_setting(kAperture, 1, 101, 10);
            break;
        case kThreshold:
            move_setting(kThreshold, -100, 100, 10);
            break;
        default:
            release(31, r);
            break;
        }
    }
}

int mode_32_Top_View()
{
    using namespace g32;
    curbutton[32] = kXSec;
    mode = 32;
    select_row(32);
    enter(32);
    labels(32, kXSec, kYSec, kDepth);
    draw_top(32, true);
    puts("grid: top view");
    for (;;) {
        const int r = next_button(32);
        switch (r) {
        case kXSec:
            section_dir = 0;
            move_section(32, r, pos.x, mx().nx, kXSec, kYSec, kDepth);
            break;
        case kYSec:
            section_dir = 1;
            move_section(32, r, pos.y, mx().ny, kXSec, kYSec, kDepth);
            break;
        case kDepth:
            move_depth(32, r, false, kXSec, kYSec, kDepth);
            break;
        case kJpeg:
            release(32, r);
            screenshot_mode();
            redraw(32);
            draw_top(32, false);
            break;
        case kContrast:
            move_slider(32, r, kSlotContrast, kContrast);
            break;
        case kInfo:
            release(32, r);
            mode_29_grid_Parameters();
            redraw(32);
            draw_top(32, false);
            break;
        case kQuit:
            release(32, r);
            remember_positions();
            return 0;
        default:
            release(32, r);
            break;
        }
    }
}
