// Running the module's build and the qemu script from the tests.
#pragma once

#include <array>
#include <cstdio>
#include <glob.h>
#include <string>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a shell command line and collects its standard output.
inline CommandResult run_command(const std::string& cmd)
{
    CommandResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        r.output.append(buf.data(), n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

inline std::string sh_arg(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline bool path_exists(const std::string& p)
{
    struct stat st;
    return stat(p.c_str(), &st) == 0;
}

// Debian's kernel header flavour of this machine's word size: amd64, or 686 on 32-bit x86
// (the device; Debian names them -686 and -686-pae).
inline const char* kernel_flavour() { return sizeof(void*) == 8 ? "amd64" : "686"; }

// The headers to build the module against: those of the running kernel when they are
// installed, else the newest /usr/src/linux-headers-*-<flavour>, or "".
inline std::string debian_kernel_headers()
{
    std::string found;
    glob_t g;
    const std::string pattern = std::string("/usr/src/linux-headers-*-") + kernel_flavour();
    if (glob(pattern.c_str(), 0, nullptr, &g) == 0 && g.gl_pathc > 0)
        found = g.gl_pathv[g.gl_pathc - 1];
    globfree(&g);
    struct utsname u;
    if (uname(&u) == 0) {
        const std::string running = std::string("/usr/src/linux-headers-") + u.release;
        if (path_exists(running + "/Makefile"))
            found = running;
    }
    return found;
}
