#include "files/continue_point.h"

#include "files/disk.h"
#include "files/header.h"
#include "files/profile_record.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void CContinuePoint::keep(const char* path, bool whole)
{
    File f;
    f.path = path;
    f.whole = whole;
    const std::string host = host_path(path);
    struct stat st;
    f.existed = path[0] && stat(host.c_str(), &st) == 0;
    if (f.existed) {
        f.size = st.st_size;
        if (whole) {
            FILE* in = fopen(host.c_str(), "rb");
            f.bytes.resize(size_t(st.st_size));
            const size_t got = in ? fread(f.bytes.data(), 1, f.bytes.size(), in) : 0;
            if (in)
                fclose(in);
            f.bytes.resize(got);
        }
    }
    files_.push_back(std::move(f));
}

void CContinuePoint::take(const CRData& rd)
{
    forget();
    keep(rd.rd7_path, false);
    keep(rd.srd_path, false);
    keep(rd.gps.path, false);
    keep(rd.hd.rad_path, true);
    keep(rd.hd.add_path, true);
    keep(rd.mrk.path, true);
    keep(kMissedBlocksPath, true);
    keep(kRestoredFlagsPath, true);
    keep(kMissedRunPath, true);
    held_ = true;
}

int CContinuePoint::restore() const
{
    int failed = 0;
    for (const File& f : files_) {
        if (f.path.empty())
            continue;
        const std::string host = host_path(f.path.c_str());
        if (!f.existed) {
            if (unlink(host.c_str()) != 0 && errno != ENOENT)
                failed++;
        } else if (f.whole) {
            failed += replace_file_atomic(f.path.c_str(), f.bytes.data(), f.bytes.size()) != 0;
        } else {
            // Only what the continued run appended goes; a file that vanished meanwhile is
            // not made up again.
            failed += truncate(host.c_str(), off_t(f.size)) != 0;
        }
    }
    sync3();
    return failed;
}

void CContinuePoint::forget()
{
    files_.clear();
    held_ = false;
}
