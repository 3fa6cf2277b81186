#include "config/xmlParser/safe_file_write.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

std::atomic<long> g_fault{-1};

// Flushes the folder holding `path` so a completed rename is on the disk.
void sync_folder(const std::string& path)
{
    std::string dir = ".";
    size_t slash = path.rfind('/');
    if (slash == 0)
        dir = "/";
    else if (slash != std::string::npos)
        dir = path.substr(0, slash);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

void safe_file_write_inject_fault(long bytes)
{
    g_fault = bytes;
}

int safe_file_write(const char* path, const char* data, size_t len)
{
    std::string tmp = std::string(path) + ".new";
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    long fault = g_fault;
    size_t limit = fault >= 0 && static_cast<size_t>(fault) < len ? static_cast<size_t>(fault) : len;
    bool ok = true;
    size_t done = 0;
    while (done < limit) {
        ssize_t w = write(fd, data + done, limit - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(w);
    }
    if (limit < len)
        ok = false;
    if (ok && fsync(fd) != 0)
        ok = false;
    if (close(fd) != 0)
        ok = false;
    if (ok && rename(tmp.c_str(), path) != 0)
        ok = false;
    if (!ok) {
        unlink(tmp.c_str());
        return -2;
    }
    sync_folder(path);
    return 0;
}
