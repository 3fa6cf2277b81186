#include "files/disk.h"

#include "files/keylines.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

char err_filename[kErrFilenameSize];

void sync3()
{
    for (int i = 0; i < 3; i++)
        run_shell("sync");
}

void set_err_filename(const char* device_path)
{
    copy_text(err_filename, sizeof err_filename, device_path);
}

bool plain_file_name(const char* name)
{
    return name && !strchr(name, '/') && strcmp(name, ".") != 0 && strcmp(name, "..") != 0;
}

int disk_reserve_take()
{
    const std::string path = host_path(kReservePath);
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && st.st_size == kReserveBytes && st.st_blocks * 512 >= kReserveBytes)
        return 0;
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return -1;
    // Written out (not a sparse file): the blocks must really be taken now.
    static const char zeros[4096] = {};
    long done = 0;
    while (done < kReserveBytes) {
        ssize_t w = write(fd, zeros, sizeof zeros);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            break;
        done += w;
    }
    bool ok = done >= kReserveBytes && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok)
        unlink(path.c_str());
    return ok ? 0 : -1;
}

bool disk_reserve_release()
{
    return unlink(host_path(kReservePath).c_str()) == 0;
}

long long data_free_bytes()
{
    struct statvfs st;
    if (statvfs(host_path(kDataDir).c_str(), &st) != 0)
        return -1;
    return (long long)st.f_bavail * (long long)st.f_frsize;
}
