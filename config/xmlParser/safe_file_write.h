// Replacing a file so that an interruption at any moment leaves either the old file or the
// complete new one: the data goes to PATH.new, is flushed to the disk, and the new file is
// renamed over PATH; then the folder is flushed so the rename itself survives a power loss.
#pragma once

#include <cstddef>

// Returns 0; -1 when the new file cannot be created; -2 when writing, flushing, closing or
// renaming fails (the new file is removed and PATH is left as it was).
int safe_file_write(const char* path, const char* data, size_t len);

// Test seam: when `bytes` >= 0, the next writes stop after that many bytes and fail, as a
// full disk or a pulled card would. -1 (the default) turns the fault off.
void safe_file_write_inject_fault(long bytes);
