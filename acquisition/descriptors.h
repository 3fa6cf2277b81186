// Consuming the link's trace descriptors: the descriptor loop shared by Collect, the key
// trigger and the missed-block restore, and the mapping of pipeline failures to the error
// flags.
#pragma once

// Sets the error flag of a negative pipeline result and latches mea_errors:
// -9 thError2, -10/-11 thError3 = status word, -12 thError4, -6 thError5, -2 wrError,
// any other negative memError.
void set_pipeline_error(int result, int status_word);

// Processes every descriptor queued since the last call. check_overwrite: a trace lying
// more than the ring behind the newest block is recorded as lost instead of decoded
// (during a measurement). Returns the number of new descriptors, or a negative pipeline
// result when one failed (its flags are set; the rest waits for the stop).
int consume_descriptors(bool check_overwrite);
