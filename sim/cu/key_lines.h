// The "key value…" line files of cusim (the scene, the cart's control file): '#' starts a
// comment, blank lines are skipped, the fields after the key are read from a stream.
#pragma once

#include <sstream>
#include <string>

namespace cusim {

// Calls line(number, key, fields) for every line holding a key, numbered from 1; stops with
// false at the first call that returns false.
template <typename Line> bool each_key_line(const std::string& text, Line&& line)
{
    std::istringstream lines(text);
    std::string l;
    int number = 0;
    while (std::getline(lines, l)) {
        ++number;
        const size_t hash = l.find('#');
        if (hash != std::string::npos) l.erase(hash);
        std::istringstream fields(l);
        std::string key;
        if (fields >> key && !line(number, key, fields)) return false;
    }
    return true;
}

}  // namespace cusim
