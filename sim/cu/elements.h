// Trace elements as the CU streams them: a 16-bit big-endian length L (bytes after the field),
// a tag byte, an auxiliary byte and L - 2 bytes of body. Also the GPS payloads the CU forwards
// from its receiver: an NMEA GGA sentence and a UBX NAV-TIMEGPS message.
#pragma once

#include "sim/cu/wire.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cusim {

enum ElementTag : uint8_t {
    kTagTrace = 102, kTagDivisor = 180, kTagWheel = 58, kTagTime = 59,
    kTagShort = 64, kTagFiller = 77, kTagGpsText = 132, kTagGpsBinary = 131,
};

// One trace as the CU produced it; also the record of the ground-truth file.
struct Trace {
    uint32_t measurement = 0;   // 1-based count of measurement starts; 0 outside one
    uint32_t number = 0;        // the CU's trace number (block mode), 0 otherwise
    int32_t trigger = 0;        // trigger position: wheel pulses or clock ticks
    int32_t wheel = 0;          // wheel position when the trace was taken
    uint32_t time = 0;          // time position in CU clock ticks
    uint32_t first_block = 0;   // block number of its first block (block mode), else 0
    uint16_t clipped = 0;       // X
    uint16_t samples = 0;       // N
    uint16_t divisor = 1;       // stacking divisor of the 32-bit format
    uint8_t format = 16;        // 16 or 32
    uint8_t source = 'W';       // 'W' wheel, 'T' time, 'K' key (single trace)
    uint8_t flags = 0;          // see TraceFlags
    int32_t plan_x_mm = 0;      // plan-view position of the antenna (ground truth only)
    int32_t plan_y_mm = 0;
    std::vector<int16_t> s16;   // X + N values (16-bit format)
    std::vector<uint16_t> w32;  // X + N pairs W1, W2 (32-bit format)

    // The sample as the monitor rebuilds it (value x 65536 in 32 bits): 16-bit w -> w * 65536;
    // 32-bit: W2 * 65536 + (int32)(W1 * 65536) / D + 2^31, modulo 2^32.
    uint32_t sample32(size_t i) const;
    size_t values() const { return size_t(clipped) + samples; }
};

enum TraceFlags : uint8_t { kFlagBlockMode = 1, kFlagDamaged = 2, kFlagRawPacket = 4 };

// Bytes of the trace data of one trace in block mode: 4 (N + X) + 30 whatever the sample format
// (16-bit traces are padded with a filler element so the monitor's block count holds).
inline size_t block_trace_bytes(size_t n, size_t x) { return 4 * (n + x) + 30; }
inline size_t blocks_per_trace(size_t n, size_t x) { return block_trace_bytes(n, x) / kBlockData + 1; }

// Appends the elements of a trace: time (59), wheel (58), trace (102), divisor (180) in 32-bit
// format, and when pad_to_block_size a filler (77) up to block_trace_bytes.
void encode_trace(const Trace& t, bool pad_to_block_size, Bytes& out);

void add_element(Bytes& out, uint8_t tag, const uint8_t* body, size_t body_len, uint8_t aux = 0);
void add_u32_element(Bytes& out, uint8_t tag, uint32_t v);

// "$GPGGA,…*CS\r\n" for the given UTC seconds of day and position.
std::string nmea_gga(double utc_seconds_of_day, double lat_deg, double lon_deg, double altitude_m,
                     int satellites, double hdop);
// "$GPGGA,hhmmss.ss,,,,,,00,99.9,,M,,M,,*CS\r\n": the receiver has no position yet (position
// and fix quality empty).
std::string nmea_gga_without_fix(double utc_seconds_of_day);
// UBX NAV-TIMEGPS (class 0x01, id 0x20, 16-byte payload) with sync chars and Fletcher checksum.
Bytes ubx_nav_timegps(uint32_t itow_ms, int16_t week, int8_t leap_seconds, uint8_t valid);

}  // namespace cusim
