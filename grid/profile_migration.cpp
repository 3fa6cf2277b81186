#include "grid/profile_migration.h"

#include "cu/eep.h"
#include "files/radar_data.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<float*> kept; // the columns migrated; their originals are line 0 of direction 1
int kept_samples = 0;

} // namespace

int profile_migration_prepare(int width, double interval)
{
    CMatrix& m = rdr.mx;
    kept.clear();
    m.mx_clear();
    m.hd.hd_init();
    m.m_init();
    m.nx = int16_t(std::clamp(width, 1, 32767));
    m.ny = 1;
    m.line_step = 1;
    m.x_step_override = 1; // a line may be wider than a grid
    m.resolution = float(interval > 0 ? interval : eep.trace_interval);
    const int r = m.mx_create();
    m.hd.samples = eep.samples;
    return r;
}

bool profile_migration_ready(int n, int samples)
{
    const CMatrix& m = rdr.mx;
    return m.allocated() && n > 0 && n <= m.nx && samples > 0 && samples <= m.samples();
}

bool profile_migration_apply(float* const* cols, int n, int samples)
{
    if (!profile_migration_ready(n, samples))
        return false;
    CMatrix& m = rdr.mx;
    auto& line = m.traces[1][0];
    for (int i = 0; i < n; i++) {
        std::fill(line[size_t(i)].data, line[size_t(i)].data + m.samples(), 0.0f);
        std::copy(cols[i], cols[i] + samples, line[size_t(i)].data);
    }
    migr_coef = 0.0f;
    m.Migration(1, 0, n);
    const auto& spare = m.traces[1][size_t(m.lines_1)];
    for (int i = 0; i < n; i++)
        std::copy(spare[size_t(i)].data, spare[size_t(i)].data + samples, cols[i]);
    kept.assign(cols, cols + n);
    kept_samples = samples;
    return true;
}

bool profile_migration_restore()
{
    if (kept.empty() || !rdr.mx.allocated())
        return false;
    const auto& line = rdr.mx.traces[1][0];
    for (size_t i = 0; i < kept.size() && i < line.size(); i++)
        std::copy(line[i].data, line[i].data + kept_samples, kept[i]);
    kept.clear();
    return true;
}

void profile_migration_forget() { kept.clear(); }
