// The profiles left behind by an unclean end (a power cut, a killed program).
//
// While a profile is recorded its header says "LAST TRACE:0" (written when it was created)
// or the count of an earlier stop; the traces themselves are on disk, possibly followed by
// part of one trace. Readers that trust the header would see an empty or a short profile.
// After an unclean end start-up calls repair_profiles(): every profile whose header disagrees
// with its data gets its trace count (and the stop position that follows from it) rewritten,
// every other header line kept byte for byte, and a partial last trace cut off. The newest
// profile whose header agrees with its data then (repaired or not) becomes current, so that
// "Cont" continues it even after a second power cut during the start-up that repaired it. The set of a
// profile that was being created and holds no trace and no header is removed, and the room
// kept for the header of the profile being recorded (files/disk.h) is given back.
#pragma once

#include <cstddef>

struct RepairResult {
    int repaired = 0;           // headers rewritten
    int removed = 0;            // empty sets without a header removed
    char latest[100] = {};      // base name of the most recently written sound profile
};

// Scans the data directory (mounted). Takes lock_dw.
RepairResult repair_profiles();

// The .rad text `in` with its "LAST TRACE:" and "STOP POSITION:" lines set for `traces`
// traces of `interval`, every other line as it was. The length, or -1 when out is too small.
int rad_with_trace_count(const char* in, size_t len, int traces, double interval, char* out, size_t size);
