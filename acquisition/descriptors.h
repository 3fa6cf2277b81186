// Consuming the link's trace descriptors: the descriptor loop shared by Collect, the key
// trigger and the missed-block restore, the mapping of pipeline failures to the error
// flags, and the recording of traces that were overwritten in the ring before their turn.
#pragma once

#include <cstdint>

// Ring bytes a trace may lie behind the newest block and still be read (the ring is
// 20,000,000 bytes).
constexpr int64_t kMaxBytesBehind = 19999999;

// Sets the error flag of a negative pipeline result and latches mea_errors:
// -9 thError2, -10/-11 thError3 = status word, -12 thError4, -6 thError5, -2 wrError,
// any other negative memError.
void set_pipeline_error(int result, int status_word);

// Records the blocks of a trace whose data was overwritten (its last block given) in the
// missed-block table: n = blocks per trace, the range last - n + 1 .. last.
void record_lost_trace(int32_t last_block);

// Processes every descriptor queued since the last call. check_overwrite: a trace lying
// more than the ring behind the newest block is recorded as lost instead of decoded
// (during a measurement). Returns the number of new descriptors, or a negative pipeline
// result when one failed (its flags are set; the rest waits for the stop).
int consume_descriptors(bool check_overwrite);

// The missed-block table holds an entry (lock_mb_buf).
bool missed_blocks_pending();

// Forgets every queued descriptor (both indices to 0).
void reset_descriptors();
