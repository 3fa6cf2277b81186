// Wire format between the device request path (cu/dev_request.cpp) and the stand-ins of
// the request-driven devices, over a Unix SOCK_SEQPACKET socket at the sandbox's node path.
//
// Request packet:  u32 request number (little-endian), then the request buffer (the command
//                  byte, the value byte, and whatever else the caller's buffer held; at most
//                  kDevWireMaxBuf bytes).
// Reply packet:    i32 ioctl result (little-endian), then the bytes the driver writes into the
//                  caller's buffer (at most kDevWireMaxBuf).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kDevWireMaxBuf = 255;
constexpr size_t kDevWireHeader = 4;

inline void dev_wire_put_u32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline uint32_t dev_wire_get_u32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
