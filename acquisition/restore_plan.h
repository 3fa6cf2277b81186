// How a missed-block range is asked for again: with a margin of one trace's blocks on each
// side (a trace whose blocks straddle the range edge comes whole), clipped to the blocks the
// CU reported at its stop, in requests of at most 38 blocks.
#pragma once

#include <cstdint>

constexpr int kMaxBlocksPerRequest = 38;

struct MissedRange {
    int32_t from, to; // inclusive; empty when from > to
};

// max(1, first - n) .. min(last + n, cu_last_block).
MissedRange missed_request_range(int32_t first, int32_t last, int32_t n, int32_t cu_last_block);
// min(38, blocks left from `from` to `to`).
int missed_request_size(int32_t from, int32_t to);
