#include "grid/grid_column.h"

#include "platform/globals.h"
#include "cu/eep.h"
#include "dsp/rounding.h"
#include "files/radar_data.h"

#include <algorithm>
#include <cmath>

bool m_lin_end = false;
int hf_short_stop = 0;
CGridCells grid_cells;

namespace {

void end_of_line()
{
    MutexLock g(lock_eol);
    m_lin_end = true;
}

// The trace of cell i of the current line, or null when i lies outside it. Under lock1.
CFTrace* cell(int i, int16_t** flag)
{
    CMatrix& m = rdr.mx;
    const int d = m.current_direction;
    if (d < 0 || d > 1 || m.current_line < 0 || m.current_line >= m.line_count(d) ||
        m.current_line >= int(m.filled[d].size()) || i < 0 || i >= m.trace_count(d))
        return nullptr;
    *flag = &m.filled[d][size_t(m.current_line)][size_t(i)];
    return &m.traces[d][size_t(m.current_line)][size_t(i)];
}

} // namespace

int CGridCells::cell_of(double distance)
{
    const double step = double(eep.GetUnit(10)) * rdr.mx.resolution;
    if (!(step > 0.0))
        return -1;
    const double v = distance / step;
    if (!(std::fabs(v) < 1e9))
        return v > 0 ? 1000000000 : -1;
    return mrnd(v);
}

// The CU counts the wheel down when the measurement direction is reversed: the distance along
// the line is the position times the direction (as the trace number of a profile is).
static int forward_cell(double distance) { return CGridCells::cell_of(distance * (gl_mea_dir < 0 ? -1 : 1)); }

// A position before the start of the line (the wheel rolled back) is dropped; one beyond its
// end ends the line.
void CGridCells::zero_cell(double distance)
{
    const int i = forward_cell(distance);
    if (i < 0)
        return;
    {
        MutexLock g(lock1);
        int16_t* flag = nullptr;
        if (hf_short_stop == 0) {
            if (CFTrace* t = cell(i, &flag)) {
                t->tr_clear();
                *flag = 1;
                return;
            }
        }
    }
    end_of_line();
}

void CGridCells::put_cell(double distance, const int32_t* samples, int n)
{
    const int i = forward_cell(distance);
    if (i < 0)
        return;
    {
        MutexLock g(lock1);
        int16_t* flag = nullptr;
        if (hf_short_stop == 0) {
            if (CFTrace* t = cell(i, &flag)) {
                const int c = std::min(n, t->count);
                for (int s = 0; s < c; s++)
                    t->data[s] = float(samples[s]) / 65536.0f;
                *flag = 1;
                return;
            }
        }
    }
    end_of_line();
}
