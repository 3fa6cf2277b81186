// cusim's command log (--command-log) as the program tests read it: one line per command,
// "code sub raw|udp packet a1 ... a8".
#pragma once

#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct CuCommand {
    int code = 0, sub = 0;
    std::vector<long long> a;
    std::string text; // command 195: the text after the arguments
};

inline std::vector<CuCommand> command_log(const std::string& path)
{
    std::vector<CuCommand> out;
    std::ifstream f(path);
    for (std::string l; std::getline(f, l);) {
        std::istringstream s(l);
        CuCommand c;
        std::string framing, packet;
        if (!(s >> c.code >> c.sub >> framing >> packet))
            continue;
        for (long long v; s >> v;)
            c.a.push_back(v);
        s.clear();
        s >> c.text;
        out.push_back(c);
    }
    return out;
}

// First argument of the last command `code` at or after index `from` (with a1 == key when
// key >= 0, then its second argument); -1 when there is none.
inline long long last_value(const std::vector<CuCommand>& log, int code, size_t from = 0, long long key = -1)
{
    long long v = -1;
    for (size_t i = from; i < log.size(); i++) {
        const CuCommand& c = log[i];
        if (c.code != code || c.a.size() < 2)
            continue;
        if (key < 0)
            v = c.a[0];
        else if (c.a[0] == key)
            v = c.a[1];
    }
    return v;
}

inline size_t count_of(const std::vector<CuCommand>& log, int code, size_t from = 0)
{
    size_t n = 0;
    for (size_t i = from; i < log.size(); i++)
        n += log[i].code == code;
    return n;
}
