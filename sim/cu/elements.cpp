#include "sim/cu/elements.h"

#include <cmath>
#include <cstdio>

namespace cusim {

uint32_t Trace::sample32(size_t i) const
{
    if (format == 32) {
        const uint32_t w1 = w32[2 * i], w2 = w32[2 * i + 1];
        const int32_t d = divisor ? divisor : 1;
        const int32_t frac = int32_t(w1 << 16) / d;
        return (w2 << 16) + uint32_t(frac) + 0x80000000u;
    }
    return uint32_t(uint16_t(s16[i])) << 16;
}

void add_element(Bytes& out, uint8_t tag, const uint8_t* body, size_t body_len, uint8_t aux)
{
    const size_t at = out.size();
    out.resize(at + 4 + body_len);
    put_be16(&out[at], uint16_t(body_len + 2));
    out[at + 2] = tag;
    out[at + 3] = aux;
    for (size_t i = 0; i < body_len; ++i) out[at + 4 + i] = body[i];
}

void add_u32_element(Bytes& out, uint8_t tag, uint32_t v)
{
    uint8_t b[4];
    put_be32(b, v);
    add_element(out, tag, b, 4);
}

void encode_trace(const Trace& t, bool pad_to_block_size, Bytes& out)
{
    const size_t start = out.size();
    add_u32_element(out, kTagTime, t.time);
    add_u32_element(out, kTagWheel, uint32_t(t.wheel));
    const size_t v = t.values();
    const size_t width = t.format == 32 ? 4 : 2;
    const size_t body = 4 + v * width;
    size_t at = out.size();
    out.resize(at + 4 + body);
    put_be16(&out[at], uint16_t(body + 2));
    out[at + 2] = kTagTrace;
    out[at + 3] = 0;
    put_be32(&out[at + 4], uint32_t(t.trigger));
    uint8_t* p = &out[at + 8];
    if (t.format == 32) {
        for (size_t i = 0; i < v; ++i, p += 4) { put_be16(p, t.w32[2 * i]); put_be16(p + 2, t.w32[2 * i + 1]); }
        uint8_t d[2];
        put_be16(d, t.divisor);
        add_element(out, kTagDivisor, d, 2);
    } else {
        for (size_t i = 0; i < v; ++i, p += 2) put_be16(p, uint16_t(t.s16[i]));
    }
    if (pad_to_block_size) {
        const size_t want = block_trace_bytes(t.samples, t.clipped);
        const size_t have = out.size() - start;
        if (want >= have + 4) {
            const Bytes zeros(want - have - 4, 0);
            add_element(out, kTagFiller, zeros.data(), zeros.size());
        }
    }
}

std::string nmea_gga(double utc, double lat, double lon, double alt, int sats, double hdop)
{
    utc = std::fmod(utc, 86400.0);
    if (utc < 0) utc += 86400.0;
    const int hh = int(utc / 3600), mm = int(std::fmod(utc, 3600) / 60);
    const double ss = std::fmod(utc, 60.0);
    const double alat = std::fabs(lat), alon = std::fabs(lon);
    const int latd = int(alat), lond = int(alon);
    char body[160];
    std::snprintf(body, sizeof body, "GPGGA,%02d%02d%05.2f,%02d%07.4f,%c,%03d%07.4f,%c,1,%02d,%.1f,%.1f,M,18.5,M,,",
                  hh, mm, ss, latd, (alat - latd) * 60, lat < 0 ? 'S' : 'N', lond, (alon - lond) * 60,
                  lon < 0 ? 'W' : 'E', sats, hdop, alt);
    uint8_t cs = 0;
    for (const char* c = body; *c; ++c) cs ^= uint8_t(*c);
    char line[200];
    std::snprintf(line, sizeof line, "$%s*%02X\r\n", body, cs);
    return line;
}

std::string nmea_gga_without_fix(double utc)
{
    utc = std::fmod(utc, 86400.0);
    if (utc < 0) utc += 86400.0;
    char body[80];
    std::snprintf(body, sizeof body, "GPGGA,%02d%02d%05.2f,,,,,,00,99.9,,M,,M,,", int(utc / 3600),
                  int(std::fmod(utc, 3600) / 60), std::fmod(utc, 60.0));
    uint8_t cs = 0;
    for (const char* c = body; *c; ++c) cs ^= uint8_t(*c);
    char line[120];
    std::snprintf(line, sizeof line, "$%s*%02X\r\n", body, cs);
    return line;
}

Bytes ubx_nav_timegps(uint32_t itow, int16_t week, int8_t leap, uint8_t valid)
{
    Bytes m(8 + 16, 0);
    m[0] = 0xB5; m[1] = 0x62; m[2] = 0x01; m[3] = 0x20;
    put_le16(&m[4], 16);
    put_le32(&m[6], itow);
    put_le32(&m[10], 0);                  // fTOW
    put_le16(&m[14], uint16_t(week));
    m[16] = uint8_t(leap);
    m[17] = valid;
    put_le32(&m[18], 25);                 // tAcc, ns
    uint8_t a = 0, b = 0;
    for (size_t i = 2; i < 22; ++i) { a = uint8_t(a + m[i]); b = uint8_t(b + a); }
    m[22] = a; m[23] = b;
    return m;
}

}  // namespace cusim
