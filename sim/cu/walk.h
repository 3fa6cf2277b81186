// The cart's walk over the site: where a run starts in plan view, which way it rolls, how fast
// and over which segments. A control file, read at every measurement start, sets it per run so
// each grid line can be walked where it lies; without one the cart walks the line y = 0.
#pragma once

#include <string>
#include <vector>

namespace cusim {

struct Walk {
    bool site = false;           // false: the plain line y = 0 along +x (plan x = line position)
    bool has_start = false;      // false: the run starts where the cart stands
    double x = 0, y = 0;         // m, plan-view start of the run
    double heading = 90;         // compass degrees: 0 along +y, 90 along +x
    double speed = 1.0;          // m/s
    std::vector<double> path;    // signed segment lengths along the heading; empty: ahead for ever
};

// Parses "+20,-3,+15" (signed metres) into segments (empty text: none); false on anything else.
bool parse_path(const std::string& text, std::vector<double>& out);

// Parses the control file's key lines over `w` (keys not given keep its values) and marks it a
// site walk. False with "line N: REASON" on the first bad line; `w` is then unspecified.
bool parse_walk(const std::string& text, Walk& w, std::string& error);

// Reads the control file at `path` into `w`: 1 read, 0 no such file, -1 a bad file (error set).
int load_walk(const std::string& path, Walk& w, std::string& error);

}  // namespace cusim
