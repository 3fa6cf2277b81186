// The elements of a trace packet in the measurement ring, and the one walk over them.
//
// Element: 16-bit big-endian length L (bytes after the length field, at least 2), tag byte,
// auxiliary byte, L - 2 bytes of body. A trace packet is a run of elements; reads wrap around
// the ring end. GetMeaData (the measurement), the single-trace readers and the CU's GPS text
// all walk a packet with CElementWalk.
#pragma once

#include <cstdint>

class CEthernet;

namespace link_element {
constexpr uint8_t kTagTrace = 102;   // position (32-bit), clipped samples, samples
constexpr uint8_t kTagDivisor = 180; // follows a stacked 32-bit trace: its 16-bit divisor
constexpr uint8_t kTagWheel = 58;    // wheel position (32-bit)
constexpr uint8_t kTagTime = 59;     // time position (32-bit CU clock ticks)
constexpr uint8_t kTagGpsUbx = 131;  // a binary (UBX) message of the antenna's GPS receiver
constexpr uint8_t kTagGpsText = 132; // NMEA text of the antenna's GPS receiver
constexpr uint32_t kHead = 4;        // length, tag and auxiliary byte before the body
} // namespace link_element

// A cursor over the elements between two ring positions.
//   CElementWalk w(eth, pos, end);
//   for (int r = w.read(); r == 0; r = w.next() == 1 ? w.read() : kElemEnd) { ... w.tag() ... }
class CElementWalk {
public:
    CElementWalk(CEthernet& link, uint32_t pos, uint32_t end) : link_(link), pos(pos), end(end) {}
    // Checks the element at the cursor: 0, or kElemEnd (nothing left), kElemShort,
    // kElemBadLength, kElemTruncated.
    int read();
    // Moves past the element read last: 1 another follows, 0 the packet ends exactly there,
    // kElemOverrun the element claimed more bytes than the packet holds.
    int next();
    uint8_t tag() const;
    uint32_t body() const;                                 // ring position of the body
    uint32_t body_len() const { return len - link_element::kHead; }

    CEthernet& link_;
    uint32_t pos, end;
    uint32_t len = 0; // bytes of the element read last, its length field included
};
