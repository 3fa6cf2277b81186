#include "sim/cu/faults.h"

#include "sim/cu/service_sim.h"

#include <cstdlib>
#include <sstream>

namespace cusim {

namespace {

bool read_number(const std::string& s, double& v)
{
    if (s.empty()) return false;
    char* end = nullptr;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        v = double(std::strtoul(s.c_str(), &end, 16));
    else
        v = std::strtod(s.c_str(), &end);
    return end && *end == 0;
}

bool read_rate(const std::string& s, double& v)
{
    return read_number(s, v) && v >= 0 && v <= 1;
}

// "X@trace:T" / "X@cmd:C" -> value text, at_command, where
bool read_place(const std::string& s, std::string& value, bool& at_command, uint32_t& where)
{
    const size_t at = s.find('@');
    if (at == std::string::npos) return false;
    value = s.substr(0, at);
    const std::string place = s.substr(at + 1);
    double w;
    if (place.rfind("trace:", 0) == 0) at_command = false;
    else if (place.rfind("cmd:", 0) == 0) at_command = true;
    else return false;
    if (!read_number(place.substr(place.find(':') + 1), w) || w < 0 || w > 4294967295.0) return false;
    where = uint32_t(w);
    return true;
}

}  // namespace

bool FaultConfig::add(const std::string& all, std::string& error)
{
    std::stringstream list(all);
    std::string item;
    while (std::getline(list, item, ',')) {
        if (item.empty()) continue;
        const size_t eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const std::string val = eq == std::string::npos ? "" : item.substr(eq + 1);
        bool ok = true;
        double v = 0;
        if (key == "loss") ok = read_rate(val, loss);
        else if (key == "dup") ok = read_rate(val, dup);
        else if (key == "reorder") ok = read_rate(val, reorder);
        else if (key == "badsum") ok = read_rate(val, badsum);
        else if (key == "resend-faults") resend_faults = true;
        else if (key == "noudp") ignore_udp = true;
        else if (key == "start") {
            const size_t c = val.find(':');
            double st = 0, n = 0;
            ok = c != std::string::npos && read_number(val.substr(0, c), st) && st >= 1 && st <= 4294967295.0 &&
                 read_number(val.substr(c + 1), n) && n >= 0 && n <= 4294967295.0;
            start_refused = ok;
            start_status = uint32_t(st);
            start_count = uint32_t(n);
        }
        else if (key == "burst") {
            const size_t c = val.find(':');
            ok = c != std::string::npos && read_rate(val.substr(0, c), burst_rate) &&
                 read_number(val.substr(c + 1), v) && v >= 1 && v <= 1e6;
            burst_length = int(v);
        } else if (key == "drop") {
            const size_t dot = val.find('.');
            double t = 0, p = 1;
            ok = read_number(val.substr(0, dot), t) && t >= 1 &&
                 (dot == std::string::npos || (read_number(val.substr(dot + 1), p) && p >= 1));
            drops.insert({uint32_t(t), uint32_t(p)});
        } else if (key == "noanswer") {
            const size_t c = val.find(':');
            double code = 0, n = -1;
            ok = read_number(val.substr(0, c), code) && code >= 0 && code <= 65535 &&
                 (c == std::string::npos || (read_number(val.substr(c + 1), n) && n >= 1));
            noanswer[uint16_t(code)] = int(n);
        } else if (key == "error") {
            std::string code_text;
            Error e{};
            ok = read_place(val, code_text, e.at_command, e.where) && read_number(code_text, v) && v >= 0 && v <= 65535;
            e.code = uint16_t(v);
            if (ok) errors.push_back(e);
        } else if (key == "silence") {
            std::string secs;
            Silence s{};
            ok = read_place(val, secs, s.at_command, s.where) && read_number(secs, s.seconds) && s.seconds > 0;
            if (ok) silences.push_back(s);
        } else if (key == "wifi") {
            const size_t c = val.find(':');
            double n = -1;
            ok = WifiModule::valid_check(val.substr(0, c)) &&
                 (c == std::string::npos || (read_number(val.substr(c + 1), n) && n >= 1));
            if (ok) wifi_fail[val.substr(0, c)] = int(n);
        } else if (key == "ramp") {
            ok = read_number(val, v) && v >= 0 && v <= 8191;
            ramp_bad = int(v);
        } else {
            error = "unknown fault: " + item;
            return false;
        }
        if (!ok) { error = "cannot read fault: " + item; return false; }
    }
    return true;
}

}  // namespace cusim
