#include "acquisition/descriptors.h"

#include "acquisition/acq_state.h"
#include "platform/globals.h"
#include "link/ethernet.h"

#include <cstdio>

void set_pipeline_error(int result, int status_word)
{
    switch (result) {
    case kElemWrongDivisor: thError2 = true; break;
    case kElemBadLength:
    case kElemTruncated: thError3 = status_word; break;
    case kElemOverrun: thError4 = true; break;
    case kElemNoDivisor: thError5 = true; break;
    case kElemWriteError: wrError = true; break;
    default: memError = true; break;
    }
    mea_errors = true;
}

void record_lost_trace(int32_t last_block)
{
    const int32_t n = blocks_per_trace_now();
    int32_t first = last_block - n + 1;
    if (first < 1)
        first = 1;
    MutexLock g(lock_mb_buf);
    uint32_t start = eth.mb_write % kMissedCount, i = start;
    bool found = false;
    do {
        if (eth.mb_buf[i].first == -1) {
            found = true;
            break;
        }
        i = i + 1 == kMissedCount ? 0 : i + 1;
    } while (i != start);
    if (!found) {
        puts("missed blocks buffer is full");
        i = start + 1 == kMissedCount ? 0 : start + 1;
    }
    eth.mb_buf[i] = CMissedBlock{first, last_block, 0, 0, 0, 0};
    eth.mb_write = i + 1 == kMissedCount ? 0 : i + 1;
}

bool missed_blocks_pending()
{
    MutexLock g(lock_mb_buf);
    for (const CMissedBlock& e : eth.mb_buf)
        if (e.first != -1)
            return true;
    return false;
}

int locate_single_trace(uint32_t& pos, uint32_t& end, uint32_t& len)
{
    {
        MutexLock g(eth.eth_mtx1);
        pos = eth.eth_buf_beg;
        end = eth.eth_buf_end;
    }
    for (;;) {
        const int r = eth.check_element(pos, end, len);
        if (r != 0)
            return r;
        if (eth.ring_at(pos + 2) == 102)
            return 0;
        const int n = eth.next_element(pos, end, len);
        if (n != 1)
            return n == 0 ? kElemEnd : n;
    }
}

void reset_descriptors()
{
    MutexLock g(eth.eth_mtx1);
    eth.tr_read = eth.tr_write = 0;
}

int consume_descriptors(bool check_overwrite)
{
    uint32_t w, r;
    {
        MutexLock g(eth.eth_mtx1);
        w = eth.tr_write % kDescCount;
        r = eth.tr_read % kDescCount;
    }
    if (w < r)
        w += kDescCount;
    if (w == r)
        return 0;
    int result = 0;
    for (uint32_t i = r; i < w; i++) {
        const uint32_t idx = i % kDescCount;
        CTraceDesc d;
        {
            MutexLock g(eth.eth_mtx1);
            d = eth.tr_desc[idx];
        }
        if (d.kind == 0 || mea_errors)
            continue;
        int64_t behind = 0;
        if (check_overwrite) {
            behind = (int64_t(eth.last_block_addr) - d.block) * kBlockData;
            if (behind < 0)
                behind = 0;
        }
        if (behind <= kMaxBytesBehind) {
            int res = eth.GetMeaData(idx);
            if (res < 0) {
                set_pipeline_error(res, d.kind);
                result = res;
            }
        } else if (d.kind == 2) {
            record_lost_trace(d.block);
        }
    }
    {
        MutexLock g(eth.eth_mtx1);
        eth.tr_read = w % kDescCount;
    }
    return result < 0 ? result : int(w - r);
}
