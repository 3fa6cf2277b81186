// Profiles grow past 2 GiB (a .rd7 of 2048 samples reaches it at 262,143 traces). On the
// 32-bit device that needs 64-bit file offsets, which the build turns on for every source
// (_FILE_OFFSET_BITS=64); this header stops a build that lost it. time_t stays 32-bit there,
// as the libraries' headers of the device expect.
#pragma once

#include <sys/types.h>

static_assert(sizeof(off_t) == 8, "64-bit file offsets: build with _FILE_OFFSET_BITS=64");
