#include "cusim/cu_client.h"

#include <cstring>

namespace cutest {

uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

namespace {
void w16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v >> 8); p[1] = uint8_t(v); }
void w32(uint8_t* p, uint32_t v) { w16(p, v >> 16); w16(p + 2, v); }
}  // namespace

uint16_t inet_sum(const uint8_t* p, size_t len, uint32_t sum)
{
    for (size_t i = 0; i + 1 < len; i += 2) sum += be16(p + i);
    if (len & 1) sum += uint32_t(p[len - 1]) << 8;
    while (sum > 0xFFFF) sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum & 0xFFFF);
}

uint16_t udp_checksum(const Bytes& f)
{
    // Pseudo-header + UDP header (checksum word as zero) + everything from offset 42 on.
    Bytes s;
    s.insert(s.end(), f.begin() + 26, f.begin() + 34);
    s.push_back(0); s.push_back(17);
    s.insert(s.end(), f.begin() + 38, f.begin() + 40);
    s.insert(s.end(), f.begin() + 34, f.begin() + 40);
    s.push_back(0); s.push_back(0);
    s.insert(s.end(), f.begin() + 42, f.end());
    return inet_sum(s.data(), s.size());
}

Bytes Client::command(uint16_t code, uint16_t sub, std::array<uint32_t, 8> args)
{
    Bytes f(150, 0);
    std::memcpy(&f[0], cu.data(), 6);
    std::memcpy(&f[6], own.data(), 6);
    size_t b = 14;
    if (udp) {
        w16(&f[12], 0x0800);
        f[14] = 0x45; w16(&f[16], 136); f[22] = 128; f[23] = 17;
        w32(&f[26], own_ip); w32(&f[30], cu_ip);
        w16(&f[24], inet_sum(&f[14], 20));
        w16(&f[34], 1365); w16(&f[36], 1365); w16(&f[38], 116);
        w16(&f[42], protocol); w16(&f[44], 0x5501); w32(&f[46], word_a); w32(&f[50], word_b);
        b = 54;
    } else {
        w16(&f[12], 0x5555);
    }
    w16(&f[b], packet++);
    w16(&f[b + 2], code);
    w16(&f[b + 4], sub);
    for (int i = 0; i < 8; ++i) w32(&f[b + 6 + 4 * size_t(i)], args[size_t(i)]);
    f[146] = 0; f[147] = 1; w16(&f[148], 1);
    if (udp) w16(&f[40], udp_checksum(f));
    return f;
}

Bytes Client::text(uint16_t code, uint16_t sub, const std::string& t)
{
    Bytes f = command(code, sub);
    --packet;
    const size_t at = udp ? 60 : 20;
    std::memset(&f[at], 0, 32);
    std::memcpy(&f[at], t.c_str(), t.size() + 1);
    if (udp) { f[40] = f[41] = 0; w16(&f[40], udp_checksum(f)); }
    ++packet;
    return f;
}

Bytes Client::chunk(const uint8_t* data, size_t count, uint16_t type, bool last, uint16_t frame_no)
{
    size_t L = (count + 1) & ~size_t(1);
    if (L < 100) L += 100;
    Bytes f(L + 28, 0);
    std::memcpy(&f[0], cu.data(), 6);
    std::memcpy(&f[6], own.data(), 6);
    w16(&f[12], protocol);
    w16(&f[14], packet++);
    w16(&f[16], 39);
    w16(&f[18], type);
    w32(&f[20], uint32_t(count));
    std::memcpy(&f[24], data, count);
    f[L + 24] = 0;
    f[L + 25] = last ? 1 : 0;
    w16(&f[L + 26], frame_no);
    return f;
}

void Client::learn(const Bytes& a)
{
    std::memcpy(cu.data(), &a[6], 6);
    if (a.size() > 54 && be16(&a[12]) == 0x0800) {
        word_b = be32(&a[50]);
        cu_ip = be32(&a[26]);
    }
}

Reply decode(const Bytes& f)
{
    Reply r;
    if (f.size() <= 64) return r;
    r.udp = be16(&f[12]) == 0x0800;
    const size_t b = r.udp ? 54 : 14;
    r.protocol = be16(&f[r.udp ? 42 : 12]);
    if (r.udp) {
        r.checksum_ok = be16(&f[40]) == udp_checksum(f) && inet_sum(&f[14], 20) == 0 &&
                        be16(&f[16]) == f.size() - 14 && be16(&f[38]) == f.size() - 34;
    }
    r.packet = be16(&f[b]);
    r.kind = f[b + 2];
    r.channel = f[b + 3];
    r.answered = be16(&f[b + 4]);
    // A measurement block: 512-byte payload and a 3-byte trailer, no pad byte before it.
    const bool block = r.udp && r.kind == 2 && f.size() == 60 + 512 + 3;
    r.payload.assign(f.begin() + long(b + 6), f.end() - (block ? 3 : 4));
    r.pad = block ? 0 : f[f.size() - 4];
    r.last = f[f.size() - 3];
    r.frame_no = be16(&f[f.size() - 2]);
    r.ok = true;
    return r;
}

Decoded decode_elements(const uint8_t* d, size_t len, size_t values)
{
    Decoded out;
    size_t pos = 0;
    bool have_trace = false;
    while (pos < len) {
        if (len - pos < 4) { out.error = "element head cut"; return out; }
        const size_t L = be16(d + pos);
        const uint8_t tag = d[pos + 2];
        if (L < 2 || pos + 2 + L > len) { out.error = "element length " + std::to_string(L); return out; }
        const uint8_t* body = d + pos + 4;
        const size_t n = L - 2;
        switch (tag) {
        case 102: {
            out.trigger = int32_t(be32(body));
            const size_t bytes = n - 4;
            if (bytes != values * 2 && bytes != values * 4) { out.error = "sample count"; return out; }
            out.wide = bytes == values * 4;
            for (size_t i = 0; i < bytes / 2; ++i) out.words.push_back(be16(body + 4 + 2 * i));
            have_trace = true;
            break;
        }
        case 180:
            if (!have_trace || !out.wide) { out.error = "divisor without a 32-bit trace"; return out; }
            out.divisor = be16(body);
            break;
        case 58: out.wheel = int32_t(be32(body)); break;
        case 59: out.time = be32(body); break;
        case 132: out.gps_text.emplace_back(reinterpret_cast<const char*>(body), n); break;
        case 131: ++out.ubx_messages; break;
        case 77: case 64: break;
        default: out.error = "unknown tag " + std::to_string(tag); return out;
        }
        pos += 2 + L;
    }
    out.ok = true;
    return out;
}

void Blocks::add(const Reply& r)
{
    if (!r.ok || r.kind != 2 || r.payload.size() != 512 || !r.checksum_ok) { ++bad; return; }
    const uint32_t b = be32(&r.payload[0]);
    if (blocks.count(b)) ++duplicates;
    blocks[b] = r.payload;
}

Bytes Blocks::trace_data(uint32_t first, size_t B) const
{
    Bytes out;
    for (size_t p = 1; p <= B; ++p) {
        auto it = blocks.find(first + uint32_t(p - 1));
        if (it == blocks.end()) return {};
        const Bytes& b = it->second;
        if (b[7] != 2 || be16(&b[14]) != p) return {};
        const size_t pad = be16(&b[12]);
        if (pad > 496) return {};
        out.insert(out.end(), b.begin() + 16, b.begin() + 16 + long(496 - pad));
    }
    return out;
}

}  // namespace cutest
