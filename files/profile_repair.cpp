#include "files/profile_repair.h"

#include "dsp/trace.h"
#include "files/disk.h"
#include "files/header.h"
#include "files/keylines.h"
#include "platform/file_offsets.h"
#include "platform/globals.h"
#include "platform/host_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kRadMax = 8192; // a .rad is about 1 KB; anything larger is not ours

// The other members of a profile's set, removed with an empty one.
const char* const kSetExtensions[] = {".rd7", ".srd", ".mrk", ".cor", ".rad.tmp", ".add.tmp"};

bool read_small(const std::string& path, std::string& out)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char buf[kRadMax + 1];
    size_t n = fread(buf, 1, sizeof buf, f);
    fclose(f);
    if (n > kRadMax)
        return false;
    out.assign(buf, n);
    return true;
}

bool put_line(char* out, size_t size, size_t& n, const char* text, size_t len)
{
    if (n + len >= size)
        return false;
    memcpy(out + n, text, len);
    n += len;
    out[n] = 0;
    return true;
}

// One profile: 1 header rewritten, 2 empty set removed, 3 header and data agree, 0 not
// repairable.
int repair_one(const char* base, std::string& dir)
{
    const std::string stem = dir + base;
    char rad_dev[kPathSize + 8], add_dev[kPathSize + 8];
    snprintf(rad_dev, sizeof rad_dev, "%s%s.rad", kDataDir, base);
    snprintf(add_dev, sizeof add_dev, "%s%s.add", kDataDir, base);
    struct stat st;
    if (stat((stem + ".rd7").c_str(), &st) != 0)
        return 0;
    std::string rad;
    if (!read_small(stem + ".rad", rad)) {
        if (st.st_size != 0 || errno != ENOENT)
            return 0; // traces without a header: kept as they are
        for (const char* ext : kSetExtensions)
            unlink((stem + ext).c_str());
        printf("repair: %s had no header and no trace; removed\n", base);
        return 2;
    }
    Header hd;
    copy_text(hd.rad_path, sizeof hd.rad_path, rad_dev);
    copy_text(hd.add_path, sizeof hd.add_path, add_dev);
    hd.last_trace = -1;
    if (hd.h_read() != 0 || hd.samples <= 0 || hd.samples > DSP_MAX_SAMPLES)
        return 0;
    const int64_t trace_bytes = (int64_t)hd.samples * 4;
    const int64_t whole = st.st_size / trace_bytes;
    const bool partial = st.st_size != whole * trace_bytes;
    if (!partial && whole == hd.last_trace)
        return 3;
    if (partial && truncate((stem + ".rd7").c_str(), (off_t)(whole * trace_bytes)) != 0) {
        perror("repair: cutting a partial trace");
        return 0;
    }
    char text[kRadMax + 256];
    int len = rad_with_trace_count(rad.data(), rad.size(), (int)whole, hd.interval, text, sizeof text);
    if (len < 0 || replace_file_atomic(rad_dev, text, (size_t)len) != 0) {
        printf("repair: %s: header not rewritten\n", base);
        return 0;
    }
    printf("repair: %s: LAST TRACE %d -> %d%s\n", base, int(hd.last_trace), (int)whole,
           partial ? ", partial trace cut off" : "");
    return 1;
}

} // namespace

int rad_with_trace_count(const char* in, size_t len, int traces, double interval, char* out, size_t size)
{
    size_t n = 0;
    if (size == 0)
        return -1;
    out[0] = 0;
    for (size_t p = 0; p < len;) {
        const char* nl = (const char*)memchr(in + p, '\n', len - p);
        size_t end = nl ? (size_t)(nl - in) + 1 : len;
        const char* line = in + p;
        char repl[64];
        int r = -1;
        if (end - p >= 11 && memcmp(line, "LAST TRACE:", 11) == 0)
            r = snprintf(repl, sizeof repl, "LAST TRACE:%d\r\n", traces);
        else if (end - p >= 14 && memcmp(line, "STOP POSITION:", 14) == 0)
            r = snprintf(repl, sizeof repl, "STOP POSITION:%10.6f\r\n", (traces - 1) * interval);
        bool ok = r >= 0 ? put_line(out, size, n, repl, (size_t)r) : put_line(out, size, n, line, end - p);
        if (!ok)
            return -1;
        p = end;
    }
    return (int)n;
}

RepairResult repair_profiles()
{
    RepairResult res;
    MutexLock lock(lock_dw);
    std::string dir = host_path(kDataDir);
    DIR* d = opendir(dir.c_str());
    if (!d)
        return res;
    std::vector<std::string> bases;
    while (struct dirent* e = readdir(d)) {
        size_t n = strlen(e->d_name);
        if (n > 4 && n - 4 < kPathSize && strcmp(e->d_name + n - 4, ".rd7") == 0)
            bases.emplace_back(e->d_name, n - 4);
    }
    closedir(d);
    struct timespec newest = {0, 0};
    for (const std::string& b : bases) {
        int r = repair_one(b.c_str(), dir);
        if (r == 2)
            res.removed++;
        if (r == 1)
            res.repaired++;
        // The newest sound profile is the one that was being recorded, whether its header had
        // to be rewritten now or already was by a start-up that was cut short in turn.
        if (r != 1 && r != 3)
            continue;
        struct stat st;
        if (stat((dir + b + ".rd7").c_str(), &st) != 0)
            continue;
        const struct timespec& t = st.st_mtim;
        if (!res.latest[0] || t.tv_sec > newest.tv_sec || (t.tv_sec == newest.tv_sec && t.tv_nsec >= newest.tv_nsec)) {
            newest = t;
            copy_text(res.latest, sizeof res.latest, b.c_str());
        }
    }
    // The room kept for the header of the profile being recorded is the operator's again.
    if (disk_reserve_release() || res.repaired || res.removed)
        sync3();
    return res;
}
