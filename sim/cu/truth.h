// Ground truth: every trace the CU produced, in the order produced, so tests and people can
// compare what the monitor stored with what was sent.
//
// File layout (all little-endian):
//   header, 16 bytes:  "CUSIMGT1" (8 bytes), u32 version = 2, u32 header size = 16
//   then one record per trace:
//     off  size
//       0    4  record size in bytes, this field included
//       4    4  measurement (1-based count of measurement starts; 0 = single trace outside one)
//       8    4  trace number of the CU (block mode; 0 in raw mode and for single traces)
//      12    4  trigger position (signed): wheel pulses, or CU clock ticks for the time trigger
//      16    4  wheel position (signed) when the trace was taken
//      20    4  time position in CU clock ticks
//      24    4  number of the trace's first block (block mode), else 0
//      28    2  clipped values X
//      30    2  samples N
//      32    2  stacking divisor D (1 in 16-bit format)
//      34    1  sample format: 16 or 32
//      35    1  trigger source: 'W' wheel, 'T' time, 'K' key / single trace
//      36    1  flags: 1 sent in block mode, 2 its first transmission was damaged by an injected
//               fault (a block or frame lost or corrupted) or lost because the monitor's queue
//               stayed full for the send patience, 4 sent as a raw-mode packet
//      37    3  zero
//      40    4  plan-view x of the antenna, mm (signed)
//      44    4  plan-view y of the antenna, mm (signed)
//      48       X + N values: int16 each (16-bit format) or u16 W1, u16 W2 pairs (32-bit format);
//               the monitor's 32-bit sample is W2 * 65536 + (int32)(W1 * 65536) / D + 2^31.
#pragma once

#include "sim/cu/elements.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cusim {

constexpr size_t kTruthHeader = 16;
constexpr uint32_t kTruthVersion = 2;
constexpr size_t kTruthRecordHead = 48;   // version 1 records had 40 bytes, without the position

class TruthWriter {
public:
    ~TruthWriter();
    bool open(const std::string& path, std::string& error);
    bool is_open() const { return f_ != nullptr; }
    void write(const Trace& t);
    void flush();
    void close();

private:
    FILE* f_ = nullptr;
};

// Reads a whole ground-truth file; false with a message on a malformed file.
bool read_truth(const std::string& path, std::vector<Trace>& out, std::string& error);

}  // namespace cusim
