#include "platform/mounts.h"

#include "platform/host_paths.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

bool partition_mounted(const char* device_path, const char* mount_point)
{
    const std::string dev = host_path(device_path), mp = host_path(mount_point);
    if (sim_active()) {
        char a[PATH_MAX], b[PATH_MAX];
        struct stat st;
        return lstat(mp.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && realpath(mp.c_str(), a) &&
            realpath(dev.c_str(), b) && strcmp(a, b) == 0;
    }
    struct stat d, m;
    return stat(dev.c_str(), &d) == 0 && S_ISBLK(d.st_mode) && stat(mp.c_str(), &m) == 0 &&
        m.st_dev == d.st_rdev;
}
