#include "grid/grid_project.h"

#include "files/radar_data.h"

#include <algorithm>
#include <cmath>

GridProposals grid_proposals;
bool hf_meas_all = false;
bool grid_processed = false;
bool grid_remeasure = false;
bool grid_interval_to_acq = false;

GridCheck grid_check_sizes(bool wheel, double x_size, double y_size, double interval_len, double spacing_len,
                           double interval_short)
{
    if (!wheel)
        return {1, "These measurements are possible only with a wheel.",
                "Select an apropriate wheel in the Parameters window."};
    if (!(x_size >= 0.001))
        return {2, "X-size error", "Please, choose non-zero values"};
    if (!(y_size >= 0.001))
        return {3, "Y-size error", "Please, choose non-zero values"};
    (void)interval_short;
    if (!(interval_len > 0) || spacing_len < interval_len - 1e-9)
        return {4, "Line spacing can not be less than Point interval!", "Please, choose other values"};
    const double ratio = spacing_len / interval_len;
    if (std::fabs(ratio - std::round(ratio)) > 0.01)
        return {5, "Line spacing has to be evenly divisible by Point interval!", "Please, choose other values"};
    switch (rdr.mx.proper_size()) {
    case 0: return {0, "", ""};
    case -1: return {6, "Point distance error!", ""};
    case -2: return {7, "The matrix is too big", "Please, choose other values"};
    case -3: return {8, "Too long x axis.", "Insert a shorter value, or increase point interval"};
    default: return {9, "Too long y size.", "Insert a shorter value, or increase point interval"};
    }
}

long grid_required_kib(int nx, int ny, int line_step, int file_samples)
{
    const long s = std::max(line_step, 1);
    return ((((long(nx) / s + 1) * ny + (long(ny) / s + 1) * nx) * (file_samples + 2) + 597) * 2) / 1024 + 1;
}

GridLine grid_next_line(GridLine at, int lines_0, int lines_1)
{
    if (at.direction == 0) {
        if (at.line + 1 >= lines_0)
            return {1, 0};
        return {0, at.line + 1};
    }
    return {1, std::min(at.line + 1, std::max(lines_1 - 1, 0))};
}

GridLine grid_previous_line(GridLine at, int lines_0)
{
    if (at.direction == 1)
        return at.line == 0 ? GridLine{0, std::max(lines_0 - 1, 0)} : GridLine{1, at.line - 1};
    return {0, std::max(at.line - 1, 0)};
}

bool grid_line_done(float ready) { return ready >= 0.97f; }

bool grid_last_line(GridLine at, int lines_1) { return at.direction == 1 && at.line == lines_1 - 1; }

GridLine grid_current() { return {rdr.mx.current_direction == 1 ? 1 : 0, rdr.mx.current_line}; }

void grid_set_line(GridLine l)
{
    CMatrix& m = rdr.mx;
    m.current_direction = int16_t(l.direction);
    m.direction_flag = l.direction == 0;
    m.current_line = int16_t(l.line);
}
