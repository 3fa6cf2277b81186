// The arithmetic of the system screens, apart from any screen: the settings that depend on
// the unit system, the default zoom depth, and the version marker of an upgrade image.
#pragma once

#include <cstddef>
#include <cstdint>

// Values a change of the unit system writes (Save of the system screen; the grid proposals
// also at start-up). Index 0 Imperial, 1 SI.
struct UnitDefaults {
    float grid_size;            // X and Y size of a new grid project
    float grid_point_interval;
    float grid_line_spacing;
    uint16_t soil_velocity;     // length units per microsecond
    float point_interval[4];    // antenna entries 1..4, metres or inches
};
const UnitDefaults& unit_defaults(bool si);

// Writes the defaults of the unit system `si` into the XML parameter object (soil velocity,
// point interval of antenna entries 1..4) and the grid proposals.
void write_unit_defaults(bool si);

// A change of the unit system from `from_si` to `to_si` re-expresses the lengths that keep
// their own value (the point interval of the antennas the table does not cover, the trace
// interval of the antenna parameter block) in the new units: 0.035 m becomes 1.378 in, not
// 0.035 in. Nothing happens when the system did not change.
void convert_unit_lengths(bool from_si, bool to_si);

// Metres of one point-interval unit (metre in SI, inch in Imperial).
double point_interval_unit(bool si);

// Zoom samples for a default zoom depth: d metres below the surface with the antennas
// `separation` metres apart travel the two-way path 2 sqrt((sep/2)^2 + d^2) - sep; the
// sample of that path (samples_of_path), held within 100 .. max_samples.
int zoom_samples_for_depth(double depth_m, double separation_m, int (*samples_of_path)(double), int max_samples);

// Version marker of an installed image, chosen by the parameter store's upgrade variant.
const char* version_marker_path(int variant);

// The version of the running system; an image with a lower marker is older.
constexpr double kRunningVersion = 12.224411;

// Reads the marker as the upgrade check does: at most 16 bytes, the first 8 kept. Returns
// the bytes read (-1 when the file is missing) and the text in `text` (9 bytes at least).
int read_version_marker(const char* host_path, char* text, size_t cap);

// A marker read of `count` bytes holding `text` is a version number when it has 7 or 8
// bytes and the text is a number (digits with one point, blanks or a line end after it).
bool version_marker_valid(int count, const char* text, double* version);
