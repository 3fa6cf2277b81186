// Screens 23 (a new grid: sizes, point interval, line spacing and the project's texts) and
// 26 (the new project's overview before its first line).
#include "grid/grid_project.h"
#include "grid/grid_screens.h"
#include "grid/grid_ui.h"
#include "grid/top_view.h"

#include "gui/screen_loop.h"
#include "app/screens.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/free_space.h"
#include "files/radar_data.h"
#include "gui/char_field.h"
#include "gui/input.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "platform/host_paths.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace gridui;

namespace {

double length_unit() { return double(eep.GetUnit(0)); }  // metres per length unit
double short_unit() { return double(eep.GetUnit(10)); }  // metres per point-interval unit

double round_to(double v, int decimals)
{
    const double f = std::pow(10.0, decimals);
    return std::round(v * f) / f;
}

void unit_names(char* len, char* sh)
{
    eep.GetShUnitName(len, 0, 0, 0);
    eep.GetShUnitName(sh, 0, 10, 0);
}

void show_values()
{
    using namespace g23;
    char len[kUnitNameSize], sh[kUnitNameSize];
    unit_names(len, sh);
    const GridProposals& p = grid_proposals;
    params::show_valuef(23, kXSize, "%3.2f %s", double(p.x_size), len);
    params::show_valuef(23, kYSize, "%3.2f %s", double(p.y_size), len);
    params::show_valuef(23, kInterval, "%3.3f %s", double(p.interval), sh);
    params::show_valuef(23, kSpacing, "%3.2f %s", double(p.spacing), len);
    set_textf(23, kName, "Project: %s", rdr.mx.project_name);
}

// A size field: edited in steps while its button is pressed.
void edit_size(int slot)
{
    GridProposals& p = grid_proposals;
    float* target = slot == g23::kXSize ? &p.x_size : slot == g23::kYSize ? &p.y_size
                                                   : slot == g23::kSpacing ? &p.spacing : &p.interval;
    double v = *target, step, lo, hi;
    if (slot == g23::kInterval) {
        const bool si = xml_pars.units != 0;
        step = si ? 0.001 : 0.1;
        lo = si ? 0.002 : 0.1;
        hi = round_to(1.0 / short_unit(), 1);
    } else {
        step = lo = 0.01;
        hi = (slot == g23::kSpacing ? 10.0 : 100.0) / length_unit();
    }
    edit_steps(v, step, 10 * step, lo, hi, [&] {
        *target = float(v);
        show_values();
    });
    *target = float(v);
    release(23, slot);
}

// The start of a new project, in the screen's order. True when the project was created.
bool start_project()
{
    GridProposals& p = grid_proposals;
    p.x_size = float(round_to(p.x_size, 2));
    p.y_size = float(round_to(p.y_size, 2));
    p.spacing = float(round_to(p.spacing, 2));
    p.interval = float(round_to(p.interval, 3));
    fields_to_texts(23, g23::kCustomer);
    {
        MutexLock g(lock_dw);
        eep.pload_l_a();
    }
    CMatrix& m = rdr.mx;
    m.x_size = p.x_size;
    m.y_size = p.y_size;
    m.resolution = p.interval;
    m.profile_spacing = p.spacing;
    m.project_type = 2;
    if (grid_interval_to_acq)
        eep.trace_interval = p.interval;
    const GridCheck c = grid_check_sizes(eep.trig_code != kTrigTime && eep.trig_code != kTrigKeyboard,
                                         p.x_size * length_unit(), p.y_size * length_unit(),
                                         p.interval * short_unit(), p.spacing * length_unit(),
                                         p.interval);
    if (c.code != 0) {
        tell(23, c.title, c.text);
        return false;
    }
    const long need = grid_required_kib(m.nx, m.ny, m.line_step, eep.samples);
    const int free_kib = CF_free_space(host_path("/mnt/hda1/").c_str());
    printf("grid: %dx%d points, line step %d, needs %ld KiB, %d KiB free\n", m.nx, m.ny, m.line_step, need,
           free_kib);
    if (need >= long(free_kib)) {
        tell(23, "There is not enough free space on the disk", "Delete some files");
        return false;
    }
    m.hd.migration_on = true;
    if (m.xCreate() != 0) {
        m.xDelete(m.project_name);
        tell(23, "There is no free space on the disk", "Delete some files");
        return false;
    }
    grid_set_line({0, 0});
    grid_processed = false;
    hf_meas_all = false;
    xml_pars.grid_x_size = p.x_size;
    xml_pars.grid_y_size = p.y_size;
    xml_pars.grid_point_interval = p.interval;
    xml_pars.grid_line_spacing = p.spacing;
    {
        MutexLock g(lock_dw);
        eep.psave_l_a();
        xml_pars.write_xml_tree();
    }
    return true;
}

void show_26()
{
    using namespace g26;
    const CMatrix& m = rdr.mx;
    char len[kUnitNameSize], sh[kUnitNameSize];
    unit_names(len, sh);
    set_textf(26, kInfo + 0, "Project: %s", m.project_name);
    set_textf(26, kInfo + 1, "Antenna: %s", m.hd.antenna_name);
    set_textf(26, kInfo + 2, "Line sp.: %4.2f %s", double(m.profile_spacing), len);
    set_textf(26, kInfo + 3, "X-size: %4.2f %s", double(m.x_size), len);
    set_textf(26, kInfo + 4, "Y-size: %4.2f %s", double(m.y_size), len);
    set_textf(26, kInfo + 5, "Point int.: %4.3f %s", double(m.resolution), sh);
    set_textf(26, kInfo + 6, "Trig source: %s", m.hd.wheel_name[0] ? m.hd.wheel_name : "wheel");
}

} // namespace

int mode_26_grid_before_start()
{
    using namespace g26;
    curbutton[26] = kStart;
    for (;;) {
        mode = 26;
        if (CTopView* v = grid_top_view(26)) {
            v->line_mode = 3;
            v->cross_x = v->cross_y = -1;
            v->recreate(false);
        }
        show_26();
        enter(26);
        for (;;) {
            const int r = next_button(26);
            if (r == kStart) {
                release(26, kStart);
                hf_meas_all = false;
                mode_30_grid_short_stop();
                return 34;
            }
            if (r == kDelete) {
                release(26, kDelete);
                rdr.mx.xDelete(rdr.mx.project_name);
                rdr.mx.m_init();
                return 0;
            }
        }
    }
}

int mode_23_grid_new_proj()
{
    using namespace g23;
    rdr.mx.m_init();
    rdr.mx.hd.customer[0] = rdr.mx.hd.operator_name[0] = rdr.mx.hd.site[0] = rdr.mx.hd.comments[0] = 0;
    // The proposals are those of the last project (a value no grid can have keeps its default).
    GridProposals& p = grid_proposals;
    const GridProposals d;
    p.x_size = xml_pars.grid_x_size > 0 ? xml_pars.grid_x_size : d.x_size;
    p.y_size = xml_pars.grid_y_size > 0 ? xml_pars.grid_y_size : d.y_size;
    p.interval = xml_pars.grid_point_interval > 0 ? xml_pars.grid_point_interval : d.interval;
    p.spacing = xml_pars.grid_line_spacing > 0 ? xml_pars.grid_line_spacing : d.spacing;
    for (;;) {
        mode = 23;
        const int cu = check_CU_ON();
        if (cu != 0 && cu != -1)
            return cu;
        rdr.mx.xDefineName();
        printf("grid: new project %s\n", rdr.mx.project_name);
        texts_to_fields(23, kCustomer);
        show_values();
        enter(23);
        bool again = false;
        while (!again) {
            const int r = next_button(23);
            switch (r) {
            case kXSize: case kYSize: case kInterval: case kSpacing:
                edit_size(r);
                break;
            case kCustomer: case kOperator: case kSite: case kComments:
                params::edit_text(mS.obj[23][value_slot(r)] ? dynamic_cast<CSDLText*>(mS.obj[23][value_slot(r)]) : nullptr);
                release(23, r);
                break;
            case kStart:
            case 2:
                release(23, r);
                if (start_project()) {
                    const int res = mode_26_grid_before_start();
                    rdr.mx.m_init();
                    return res;
                }
                break;
            case kPars:
                release(23, r);
                if (mode_05_parameters() == -333)
                    return -333;
                again = true;
                break;
            case kBack:
                release(23, r);
                rdr.mx.m_init();
                return 34;
            default:
                release(23, r);
                break;
            }
        }
    }
}
