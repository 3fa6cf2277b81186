// The missed-block table and the restored-trace flags on the data partition, so that an
// incomplete restore can be resumed after a restart.
//   missed_data.mbf: write index (4 bytes), 100-byte pending profile name, 300000 entries
//   missed_data.trf: 1000000 restored-trace flags
// Both in host byte order.
#include "platform/globals.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
const char* const kMbfPath = kMissedBlocksPath;
const char* const kTrfPath = kRestoredFlagsPath;
constexpr size_t kNameSize = 100;
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
    return unlink(host_path(kMbfPath).c_str()) + unlink(host_path(kTrfPath).c_str());
}
