#include "screens/system_math.h"

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "platform/globals.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const UnitDefaults kDefaults[2] = {
    {30.0f, 2.0f, 3.0f, 300, {3.5f, 2.0f, 1.4f, 0.8f}},      // Imperial: feet, inches
    {10.0f, 0.05f, 1.0f, 100, {0.09f, 0.05f, 0.035f, 0.02f}}, // SI: metres
};

constexpr double kInch = 0.0254;

} // namespace

const UnitDefaults& unit_defaults(bool si) { return kDefaults[si ? 1 : 0]; }

void write_unit_defaults(bool si)
{
    const UnitDefaults& d = unit_defaults(si);
    grid_def_x_size = d.grid_size;
    grid_def_y_size = d.grid_size;
    grid_def_point_int = d.grid_point_interval;
    grid_def_line_spacing = d.grid_line_spacing;
    xml_pars.soil_velocity = d.soil_velocity;
    for (int i = 0; i < 4 && i + 1 < kMaxAntennas; i++)
        xml_pars.antenna[i + 1].point_interval = d.point_interval[i];
}

double point_interval_unit(bool si) { return si ? 1.0 : kInch; }

void convert_unit_lengths(bool from_si, bool to_si)
{
    if (from_si == to_si)
        return;
    const double f = point_interval_unit(from_si) / point_interval_unit(to_si);
    const int n = xml_pars.antenna_count <= kMaxAntennas ? xml_pars.antenna_count : kMaxAntennas;
    for (int i = 0; i < n; i++)
        xml_pars.antenna[i].point_interval = float(xml_pars.antenna[i].point_interval * f);
    eep.trace_interval = float(eep.trace_interval * f);
}

int zoom_samples_for_depth(double depth_m, double separation_m, int (*samples_of_path)(double), int max_samples)
{
    const double h = separation_m / 2;
    const double path = 2 * std::sqrt(h * h + depth_m * depth_m) - separation_m;
    int s = samples_of_path(path);
    if (s > max_samples)
        s = max_samples;
    if (s < 100)
        s = 100;
    return s;
}

const char* version_marker_path(int variant)
{
    switch (variant) {
    case 1: return "/mnt/hda3/root/mon1/fRZVER_002";
    case 2: return "/mnt/hda3/root/mon1/fTKVER_003";
    case 3: return "/mnt/hda3/root/mon1/fTKVER_002";
    case 5: return "/mnt/hda3/root/mon1/fRZVER_003";
    default: return "/mnt/hda3/root/mon1/fTKVER_012";
    }
}

int read_version_marker(const char* host_path, char* text, size_t cap)
{
    if (cap)
        text[0] = 0;
    FILE* f = fopen(host_path, "rb");
    if (!f)
        return -1;
    char buf[16];
    const size_t n = fread(buf, 1, sizeof buf, f);
    fclose(f);
    if (cap) {
        size_t keep = n < 8 ? n : 8;
        if (keep >= cap)
            keep = cap - 1;
        memcpy(text, buf, keep);
        text[keep] = 0;
    }
    return int(n);
}

bool version_marker_valid(int count, const char* text, double* version)
{
    if (count != 7 && count != 8)
        return false;
    const char* p = text;
    int digits = 0, points = 0;
    for (; *p && (isdigit(static_cast<unsigned char>(*p)) || *p == '.'); p++) {
        if (*p == '.')
            points++;
        else
            digits++;
    }
    for (const char* q = p; *q; q++)
        if (!isspace(static_cast<unsigned char>(*q)))
            return false;
    if (digits == 0 || points > 1)
        return false;
    if (version)
        *version = strtod(text, nullptr);
    return true;
}
