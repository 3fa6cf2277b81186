#include "files/free_space.h"

#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/vfs.h>

int CF_free_space(const char* path)
{
    DIR* d = opendir(path);
    if (!d)
        return -1;
    // The first real entry; "." and ".." do not make a folder non-empty.
    std::string first;
    while (struct dirent* e = readdir(d)) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
            continue;
        first = e->d_name;
        break;
    }
    closedir(d);
    if (first.empty())
        return 0;
    std::string p = path;
    if (!p.empty() && p.back() != '/')
        p += '/';
    p += first;
    struct statfs st;
    if (statfs(p.c_str(), &st) != 0)
        return -2;
    // Free blocks are scaled first, as on the device: the result stays within 32 bits.
    return static_cast<int>((st.f_bfree / 1024) * st.f_bsize);
}
