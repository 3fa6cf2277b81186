// The missed-block table and the restored-trace flags on the data partition, so that an
// incomplete restore can be resumed after a restart.
//   missed_data.mbf: write index (4 bytes), 100-byte pending profile name, 300000 entries
//   missed_data.trf: 1000000 restored-trace flags
// Both in host byte order.
//   missed_data.run: the key lines "TRACE BASE:%d" (the traces the pending profile held before
//   its measurement) and "LAST BLOCK:%u" (the CU's last block at the stop), CR LF. Without
//   them (a table saved before they were) the base is 0 and the last block unknown (0).
#include "platform/globals.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
const char* const kMbfPath = kMissedBlocksPath;
const char* const kTrfPath = kRestoredFlagsPath;
constexpr size_t kNameSize = 100;
constexpr const char* kBaseKey = "TRACE BASE:";
constexpr const char* kLastBlockKey = "LAST BLOCK:";

// Written beside and renamed into place: a cut write leaves the previous file, never half a
// number.
void write_run(int32_t base, uint32_t last_block)
{
    const std::string path = host_path(kMissedRunPath);
    const std::string tmp = path + ".tmp";
    FILE* f = fopen(tmp.c_str(), "wb");
    if (!f)
        return;
    const bool ok = fprintf(f, "%s%d\r\n%s%u\r\n", kBaseKey, int(base), kLastBlockKey, unsigned(last_block)) > 0;
    if (fclose(f) == 0 && ok)
        rename(tmp.c_str(), path.c_str());
    else
        unlink(tmp.c_str());
}

// The number after `key` at the start of `line` into *out: a count (0 .. INT32_MAX) or the
// line is refused and *out stays.
void read_count(const char* line, const char* key, int64_t* out)
{
    const size_t k = strlen(key);
    if (strncmp(line, key, k) != 0)
        return;
    char* end = nullptr;
    errno = 0;
    const long long v = strtoll(line + k, &end, 10);
    if (errno == 0 && end != line + k && v >= 0 && v <= INT32_MAX && (*end == 0 || *end == '\r' || *end == '\n'))
        *out = v;
    else
        printf("%s: bad line %s", kMissedRunPath, key);
}

// Both values as stored; 0 for a file or key that is missing (a table saved without them).
void read_run(int32_t* base, uint32_t* last_block)
{
    int64_t b = 0, l = 0;
    if (FILE* f = fopen(host_path(kMissedRunPath).c_str(), "rb")) {
        char line[256];
        while (fgets(line, sizeof line, f)) {
            read_count(line, kBaseKey, &b);
            read_count(line, kLastBlockKey, &l);
        }
        fclose(f);
    }
    *base = int32_t(b);
    *last_block = uint32_t(l);
}

} // namespace

void CEthernet::mt_CreateFiles()
{
    MutexLock g(lock_dw);
    if (FILE* f = fopen(host_path(kMbfPath).c_str(), "wb")) {
        MutexLock m(lock_mb_buf);
        uint32_t wi = mb_write;
        fwrite(&wi, 4, 1, f);
        char name[kNameSize] = {0};
        const char* restore = sink_->restore_name();
        memcpy(name, restore, strnlen(restore, kNameSize - 1)); // the rest stays zero
        fwrite(name, 1, kNameSize, f);
        fwrite(mb_buf, sizeof(CMissedBlock), kMissedCount, f);
        fclose(f);
    }
    if (FILE* f = fopen(host_path(kTrfPath).c_str(), "wb")) {
        fwrite(tr_restored, 1, sizeof tr_restored, f);
        fclose(f);
    }
    write_run(sink_->restore_base(), sink_->restore_last_block());
}

int CEthernet::mt_RestoreFiles()
{
    FILE* f = fopen(host_path(kMbfPath).c_str(), "rb");
    if (!f)
        return 1;
    FILE* t = fopen(host_path(kTrfPath).c_str(), "rb");
    if (!t) {
        fclose(f);
        return 2;
    }
    int result = 0;
    uint32_t wi = 0;
    char name[kNameSize];
    if (fread(&wi, 4, 1, f) != 1 || fread(name, 1, kNameSize, f) != kNameSize) {
        result = 3;
    } else {
        name[kNameSize - 1] = 0;
        MutexLock m(lock_mb_buf);
        memcpy(sink_->restore_name(), name, kNameSize);
        read_run(&sink_->restore_base(), &sink_->restore_last_block());
        mb_write = wi % kMissedCount;
        size_t n = fread(mb_buf, sizeof(CMissedBlock), kMissedCount, f);
        if (n != size_t(kMissedCount)) { // a short file: what it lacks counts as free
            for (size_t i = n; i < size_t(kMissedCount); i++)
                mb_buf[i] = CMissedBlock{-1, 0, 0, 0, 0, 0};
            result = 4;
        } else {
            size_t k = fread(tr_restored, 1, sizeof tr_restored, t);
            if (k != sizeof tr_restored) {
                memset(tr_restored + k, 0, sizeof tr_restored - k);
                result = 5;
            }
        }
    }
    fclose(f);
    fclose(t);
    return result;
}

int CEthernet::mt_DeleteFiles()
{
    unlink(host_path(kMissedRunPath).c_str()); // optional: not counted
    return unlink(host_path(kMbfPath).c_str()) + unlink(host_path(kTrfPath).c_str());
}
