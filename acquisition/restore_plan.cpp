#include "acquisition/restore_plan.h"

MissedRange missed_request_range(int32_t first, int32_t last, int32_t n, int32_t cu_last_block)
{
    MissedRange r;
    r.from = first - n < 1 ? 1 : first - n;
    const int64_t to = int64_t(last) + n;
    r.to = to < cu_last_block ? int32_t(to) : cu_last_block;
    return r;
}

int missed_request_size(int32_t from, int32_t to)
{
    const int64_t left = int64_t(to) - from + 1;
    if (left <= 0)
        return 0;
    return left < kMaxBlocksPerRequest ? int(left) : kMaxBlocksPerRequest;
}
