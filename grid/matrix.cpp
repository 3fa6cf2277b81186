// The cube's sizing, naming and memory.
#include "grid/matrix.h"

#include "platform/globals.h"
#include "cu/eep.h"
#include "dsp/rounding.h"
#include "files/disk.h"
#include "files/keylines.h"
#include "platform/host_paths.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <new>

float migr_coef = 0.0f;

namespace {

int ceil_div(int a, int b) { return b > 0 ? (a + b - 1) / b : 0; }

// Bytes of the float cube the sizing estimates: both directions' traces with their spare line.
double cube_bytes(int nx, int ny, int lines_0, int lines_1, int samples)
{
    return (double(nx) * (4.0 * lines_1 + 4.0) + double(ny) * (4.0 * lines_0 + 4.0)) * samples;
}

int16_t to_int16(double v)
{
    if (!(v > -32768.0))
        return -32768;
    if (v > 32767.0)
        return 32767;
    return int16_t(v);
}

} // namespace

CMatrix::CMatrix()
{
    project_type = 2;
    trigger_source = 1;
    top_view_mode = 1;
    x_size = y_size = 0.0f;
    resolution = profile_spacing = 0.0f;
    lines_0 = lines_1 = 0;
    current_direction = 0;
    z_slice_index = 0;
    direction_flag = true;
    memset(reference_trace, 0, sizeof reference_trace);
    memset(rhd_path, 0, sizeof rhd_path);
    memset(rd6_path, 0, sizeof rd6_path);
    m_init();
}

void CMatrix::m_init()
{
    nx = ny = 80;
    line_step = 10;
    x_step_override = 0;
    memset(project_name, 0, sizeof project_name);
    current_line = 0;
}

int CMatrix::proper_size()
{
    const double length = double(eep.GetUnit(0));
    const double s = double(resolution) * double(eep.GetUnit(10));
    if (!(s > 0.0))
        return -1;
    const double nxd = double(mrnd(std::min(double(x_size) * length / s, 1e9))) + 1.0;
    const double nyd = double(mrnd(std::min(double(y_size) * length / s, 1e9))) + 1.0;
    nx = to_int16(nxd);
    ny = to_int16(nyd);
    x_step_override = 0;
    if (project_type == 1) {
        profile_spacing = 0.0f;
        line_step = 1;
    } else {
        double step = 0.0;
        if (profile_spacing > 0.0f)
            step = std::floor(std::min(double(profile_spacing) * length / s + 0.1, 32767.0));
        line_step = step >= 1.0 ? int16_t(step) : int16_t(1);
    }
    const double l0 = std::ceil(nxd / line_step), l1 = std::ceil(nyd / line_step);
    lines_0 = to_int16(l0);
    lines_1 = to_int16(l1);
    const double bytes = (nxd * (4.0 * l1 + 4.0) + nyd * (4.0 * l0 + 4.0)) * eep.samples;
    if (bytes > kGridMaxBytes)
        return -2;
    if (nxd > kGridMaxPoints)
        return -3;
    if (nyd > kGridMaxPoints)
        return -4;
    return 0;
}

void CMatrix::xDefineName()
{
    MutexLock lock(lock_dw);
    DIR* dir = opendir(host_path(kDataDir).c_str());
    if (!dir) {
        project_name[0] = 0;
        return;
    }
    long largest = 0;
    while (dirent* e = readdir(dir)) {
        if (!strstr(e->d_name, ".rhd"))
            continue;
        char base[256];
        copy_text(base, sizeof base, e->d_name);
        if (char* dot = strrchr(base, '.'))
            *dot = 0;
        const char* us = strrchr(base, '_');
        if (!us)
            continue;
        errno = 0;
        char* end = nullptr;
        const long n = strtol(us + 1, &end, 10);
        // A number too large for a name is no candidate: the next name must still be writable.
        if (errno == 0 && end != us + 1 && n > largest && n < 99999999)
            largest = n;
    }
    closedir(dir);
    snprintf(project_name, sizeof project_name, "GR_%03ld", largest + 1);
}

void CMatrix::xSetNames(const char* name)
{
    char base[kGridNameSize];
    copy_text(base, sizeof base, name ? name : "");
    if (char* dot = strchr(base, '.'))
        *dot = 0;
    copy_text(project_name, sizeof project_name, base);
    // The paths hold the data directory (10 characters) and the longest suffix ("_1.rd6"):
    // a longer base is cut so that every path still names the same project.
    char cut[kGridNameSize - 16];
    copy_text(cut, sizeof cut, base);
    snprintf(rhd_path, sizeof rhd_path, "%s%s.rhd", kDataDir, cut);
    snprintf(hd.rad_path, sizeof hd.rad_path, "%s%s.rad", kDataDir, cut);
    snprintf(hd.add_path, sizeof hd.add_path, "%s%s.add", kDataDir, cut);
    for (int k = 0; k < 4; k++)
        snprintf(rd6_path[k], sizeof rd6_path[k], "%s%s_%d.rd6", kDataDir, cut, k + 1);
}

int CMatrix::mx_create()
{
    if (nx <= 0 || (x_step_override <= 0 && nx > kGridMaxPoints) || ny < 1 || ny > kGridMaxPoints ||
        line_step < 1)
        return -1;
    const int xs = x_step();
    const int l0 = ceil_div(nx, xs), l1 = ceil_div(ny, line_step);
    const int n = eep.samples;
    if (n < 1 || n > kGridRefSamples)
        return -1;
    mx_clear();
    lines_0 = int16_t(l0);
    lines_1 = int16_t(l1);
    // Beyond the bound the allocation could succeed on paper and fail page by page later.
    if (cube_bytes(nx, ny, l0, l1, n) > kGridMaxBytes)
        return -2;
    samples_ = n;
    const int r = allocate();
    if (r != 0) {
        mx_clear();
        return r;
    }
    current_direction = 0;
    direction_flag = true;
    current_line = 0;
    return 0;
}

int CMatrix::allocate()
{
    try {
        const int n = samples_;
        auto make_lines = [n](std::vector<std::vector<CFTrace>>& dst, int lines, int per_line) {
            dst.resize(size_t(lines));
            for (auto& line : dst) {
                line.reserve(size_t(per_line));
                for (int t = 0; t < per_line; t++)
                    line.emplace_back(n); // zeroed, count n

            }
        };
        make_lines(traces[0], lines_0 + 1, ny);
        make_lines(traces[1], lines_1 + 1, nx);
        line_values[0].assign(size_t(lines_0), std::vector<float>(size_t(ny), 0.0f));
        line_values[1].assign(size_t(lines_1), std::vector<float>(size_t(nx), 0.0f));
        filled[0].assign(size_t(lines_0), std::vector<int16_t>(size_t(ny), 0));
        filled[1].assign(size_t(lines_1), std::vector<int16_t>(size_t(nx), 0));
        for (auto& m : maps)
            m.assign(size_t(nx), std::vector<float>(size_t(ny), 0.0f));
    } catch (const std::bad_alloc&) {
        return -2;
    } catch (...) {
        return -3;
    }
    return 0;
}

void CMatrix::mx_clear()
{
    for (int d = 0; d < 2; d++) {
        std::vector<std::vector<CFTrace>>().swap(traces[d]);
        std::vector<std::vector<int16_t>>().swap(filled[d]);
        std::vector<std::vector<float>>().swap(line_values[d]);
    }
    for (auto& m : maps)
        std::vector<std::vector<float>>().swap(m);
    samples_ = 0;
}

void CMatrix::mx_clear_line()
{
    const int d = current_direction;
    if (d < 0 || d > 1 || current_line < 0 || current_line >= int(filled[d].size()))
        return;
    for (auto& t : traces[d][size_t(current_line)])
        t.tr_clear();
    std::fill(filled[d][size_t(current_line)].begin(), filled[d][size_t(current_line)].end(), int16_t(0));
}

float CMatrix::line_ready() const
{
    const int d = current_direction;
    if (d < 0 || d > 1 || current_line < 0 || current_line >= int(filled[d].size()))
        return 0.0f;
    const auto& f = filled[d][size_t(current_line)];
    if (f.empty())
        return 0.0f;
    const long set = std::count(f.begin(), f.end(), int16_t(1));
    return float(set) / float(f.size());
}

void CMatrix::line_erase()
{
    const int d = current_direction;
    if (d < 0 || d > 1 || current_line < 0 || current_line >= int(filled[d].size()))
        return;
    std::fill(filled[d][size_t(current_line)].begin(), filled[d][size_t(current_line)].end(), int16_t(0));
}
