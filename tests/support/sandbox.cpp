#include "support/sandbox.h"

#include "platform/host_paths.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

Sandbox::Sandbox(Layout layout)
{
    char tmpl[] = "/tmp/gprmon-test-XXXXXX";
    if (!mkdtemp(tmpl))
        throw std::runtime_error("mkdtemp failed");
    root_ = tmpl;
    std::string cmd = std::string(GPRMON_SOURCE_DIR) + "/sim/make-sandbox.sh " +
        (layout == NeverShutDown ? "--never-shut-down '" : "'") + root_ + "' >/dev/null";
    if (system(cmd.c_str()) != 0)
        throw std::runtime_error("make-sandbox.sh failed");
    if (const char* old = getenv("GPRMON_ROOT")) {
        had_old_root_ = true;
        old_root_ = old;
    }
    setenv("GPRMON_ROOT", root_.c_str(), 1);
    sim_reload_root();
}

Sandbox::~Sandbox()
{
    if (had_old_root_)
        setenv("GPRMON_ROOT", old_root_.c_str(), 1);
    else
        unsetenv("GPRMON_ROOT");
    sim_reload_root();
    if (!getenv("GPRMON_KEEP_SANDBOX")) {
        std::string cmd = "rm -rf '" + root_ + "'";
        if (system(cmd.c_str()) != 0)
            fprintf(stderr, "could not remove %s\n", root_.c_str());
    }
}

std::string Sandbox::commands_log() const { return read_file(root_ + "/sim/commands.log"); }
std::string Sandbox::standins_log() const { return read_file(root_ + "/sim/standins.log"); }

std::string read_file(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool file_exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool small_partitions_possible()
{
    static const bool possible = system("unshare --user --map-root-user --mount true 2>/dev/null") == 0;
    return possible;
}
