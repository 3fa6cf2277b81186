// Byte order of the CU protocol (big-endian on the wire) and bounds-checked readers for
// frames and files. Every multi-byte field of a frame is read and written through these.
#pragma once

#include <cstddef>
#include <cstdint>

// Swap the two bytes of a 16-bit value / the four bytes of a 32-bit value.
inline uint16_t inv_short(uint16_t v) { return uint16_t((v >> 8) | (v << 8)); }
inline uint32_t inv_long(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// Big-endian access at p (caller guarantees the bytes exist).
inline uint16_t be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline uint32_t be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline void put_be16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
inline void put_be32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
inline uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Bounds-checked big-endian reads of untrusted bytes: false (and *out untouched) when the
// field does not lie wholly inside [0, len).
inline bool read_u8(const uint8_t* data, size_t len, size_t pos, uint8_t* out)
{
    if (!data || pos >= len)
        return false;
    *out = data[pos];
    return true;
}
inline bool read_be16(const uint8_t* data, size_t len, size_t pos, uint16_t* out)
{
    if (!data || pos > len || len - pos < 2)
        return false;
    *out = be16(data + pos);
    return true;
}
inline bool read_be32(const uint8_t* data, size_t len, size_t pos, uint32_t* out)
{
    if (!data || pos > len || len - pos < 4)
        return false;
    *out = be32(data + pos);
    return true;
}
