#include "sim/cu/walk.h"

#include "sim/cu/key_lines.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <sstream>

namespace cusim {

namespace {

constexpr size_t kMaxControlFile = 64 * 1024;   // a control file is a few lines
constexpr double kMaxCoordinate = 1e6;          // m; keeps positions finite and printable

bool finite_number(std::istringstream& f, double& v, double limit)
{
    std::string word;
    if (!(f >> word)) return false;
    char* end = nullptr;
    v = std::strtod(word.c_str(), &end);
    return end && *end == 0 && end != word.c_str() && std::isfinite(v) && std::fabs(v) <= limit;
}

}  // namespace

bool parse_path(const std::string& text, std::vector<double>& out)
{
    out.clear();
    const char* p = text.c_str();
    while (*p) {
        char* end;
        const double v = std::strtod(p, &end);
        if (end == p || !std::isfinite(v) || std::fabs(v) > kMaxCoordinate) return false;
        out.push_back(v);
        if (*end && *end != ',') return false;
        p = *end == ',' ? end + 1 : end;
    }
    return true;
}

bool parse_walk(const std::string& text, Walk& w, std::string& error)
{
    const bool read = each_key_line(text, [&](int number, const std::string& key, std::istringstream& f) {
        std::string rest;
        auto bad = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        if (key == "start") {
            if (!finite_number(f, w.x, kMaxCoordinate) || !finite_number(f, w.y, kMaxCoordinate))
                return bad("start needs x and y in metres");
            w.has_start = true;
        } else if (key == "heading") {
            double h;
            if (!finite_number(f, h, 3600)) return bad("heading needs degrees");
            h = std::fmod(h, 360.0);
            w.heading = h < 0 ? h + 360.0 : h;
        } else if (key == "direction") {
            std::string d;
            f >> d;
            if (d == "x" || d == "+x") w.heading = 90;
            else if (d == "-x") w.heading = 270;
            else if (d == "y" || d == "+y") w.heading = 0;
            else if (d == "-y") w.heading = 180;
            else return bad("direction is one of +x -x +y -y");
        } else if (key == "speed") {
            if (!finite_number(f, w.speed, 100) || w.speed < 0) return bad("speed needs 0 to 100 m/s");
        } else if (key == "path") {
            std::string segments;
            if (!(f >> segments) || !parse_path(segments, w.path)) return bad("path needs signed metres such as +5,-1,+2");
        } else {
            return bad("unknown key " + key);
        }
        if (f >> rest) return bad("unexpected text after " + key);
        return true;
    });
    w.site = read;
    return read;
}

int load_walk(const std::string& path, Walk& w, std::string& error)
{
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        if (errno == ENOENT) return 0;
        error = "cannot read it";
        return -1;
    }
    std::string text(kMaxControlFile + 1, '\0');
    text.resize(std::fread(&text[0], 1, text.size(), in));
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) { error = "cannot read it"; return -1; }
    if (text.size() > kMaxControlFile) { error = "longer than 64 KiB"; return -1; }
    if (text.find('\0') != std::string::npos) { error = "holds a zero byte"; return -1; }
    return parse_walk(text, w, error) ? 1 : -1;
}

}  // namespace cusim
