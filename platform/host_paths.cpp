#include "platform/host_paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex root_mutex;
char root_buf[4096];
bool root_loaded = false;

void load_root_locked()
{
    root_buf[0] = 0;
    const char* r = getenv("GPRMON_ROOT");
    if (r && *r) {
        snprintf(root_buf, sizeof root_buf, "%s", r);
        size_t n = strlen(root_buf);
        while (n > 1 && root_buf[n - 1] == '/')
            root_buf[--n] = 0;
    }
    root_loaded = true;
}

} // namespace

void sim_reload_root()
{
    std::lock_guard<std::mutex> g(root_mutex);
    load_root_locked();
}

const char* sim_root()
{
    std::lock_guard<std::mutex> g(root_mutex);
    if (!root_loaded)
        load_root_locked();
    return root_buf;
}

bool sim_active()
{
    return sim_root()[0] != 0;
}

std::string host_path(const char* device_path)
{
    if (!device_path)
        return std::string();
    const char* root = sim_root();
    if (!root[0] || device_path[0] != '/')
        return std::string(device_path);
    return std::string(root) + device_path;
}

int host_path_buf(const char* device_path, char* out, size_t out_size)
{
    if (!out || out_size == 0)
        return -1;
    std::string p = host_path(device_path);
    if (p.size() + 1 > out_size) {
        out[0] = 0;
        return -1;
    }
    memcpy(out, p.c_str(), p.size() + 1);
    return 0;
}

std::string host_raw_device(const char* device_path)
{
    if (!device_path)
        return std::string();
    const char* root = sim_root();
    if (!root[0])
        return std::string(device_path);
    const char* name = strrchr(device_path, '/');
    return std::string(root) + "/sim/" + (name ? name + 1 : device_path) + ".image";
}

std::string sim_standin_dir()
{
    const char* d = getenv("GPRMON_STANDINS");
    if (d && *d)
        return d;
    return std::string(GPRMON_SOURCE_DIR) + "/sim/standins";
}
