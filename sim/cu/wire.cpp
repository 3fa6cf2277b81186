#include "sim/cu/wire.h"

#include <cstdio>
#include <cstring>

namespace cusim {

uint16_t ipv4_header_checksum(const uint8_t* hdr)
{
    uint32_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        if (i != 10) sum += get_be16(hdr + i);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
}

uint16_t udp_frame_checksum(const uint8_t* f, size_t len)
{
    if (len < 42) return 0;
    uint32_t sum = 0;
    for (size_t i = 26; i < 34; i += 2) sum += get_be16(f + i);   // addresses
    sum += 17;
    sum += get_be16(f + 38);                                        // UDP length
    for (size_t i = 34; i < 40; i += 2) sum += get_be16(f + i);    // ports and length
    size_t i = 42;
    for (; i + 1 < len; i += 2) sum += get_be16(f + i);
    if (i < len) sum += uint32_t(f[i]) << 8;
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
}

uint16_t crc16_xmodem(const uint8_t* data, size_t len)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < len; ++i) {
        crc ^= uint16_t(data[i]) << 8;
        for (int b = 0; b < 8; ++b) crc = (crc & 0x8000) ? uint16_t((crc << 1) ^ 0x1021) : uint16_t(crc << 1);
    }
    return crc;
}

bool parse_mac(const std::string& text, Mac& out)
{
    unsigned v[6];
    char tail;
    if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4],
                    &v[5], &tail) != 6)
        return false;
    for (int i = 0; i < 6; ++i) out[i] = uint8_t(v[i]);
    return true;
}

std::string mac_text(const Mac& m)
{
    char b[18];
    std::snprintf(b, sizeof b, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
    return b;
}

bool parse_ipv4(const std::string& text, uint32_t& out)
{
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4) return false;
    if (a > 255 || b > 255 || c > 255 || d > 255) return false;
    out = (a << 24) | (b << 16) | (c << 8) | d;
    return true;
}

ParseResult parse_command(const uint8_t* f, size_t len, Command& c)
{
    if (len < 20) return ParseResult::Short;
    c = Command{};
    c.frame = f;
    c.frame_len = len;
    std::memcpy(c.dst.data(), f, 6);
    std::memcpy(c.src.data(), f + 6, 6);
    const uint16_t ethertype = get_be16(f + 12);
    size_t base;
    if (ethertype == kEtherIPv4) {
        if (len < 14 + kUdpShift + 6) return ParseResult::NotOurs;
        const uint8_t* ip = f + 14;
        if (ip[0] != 0x45 || ip[9] != 17) return ParseResult::NotOurs;
        if (get_be16(f + 36) != kUdpPort) return ParseResult::NotOurs;
        const uint16_t proto = get_be16(f + 42);
        if (proto != kProtoWired && proto != kProtoWireless) return ParseResult::NotOurs;
        if (get_be16(ip + 10) != ipv4_header_checksum(ip)) return ParseResult::BadIpChecksum;
        if (get_be16(f + 40) != udp_frame_checksum(f, len)) return ParseResult::BadUdpChecksum;
        c.udp = true;
        c.protocol = proto;
        c.src_ip = get_be32(f + 26);
        c.dst_ip = get_be32(f + 30);
        c.src_port = get_be16(f + 34);
        c.word_a = get_be32(f + 46);
        c.word_b = get_be32(f + 50);
        base = 54;
    } else if (ethertype == kProtoWired || ethertype == kProtoWireless) {
        c.protocol = ethertype;
        base = 14;
    } else {
        return ParseResult::NotOurs;
    }
    if (len < base + 6) return ParseResult::Short;
    c.packet = get_be16(f + base);
    c.code = get_be16(f + base + 2);
    c.sub = get_be16(f + base + 4);
    for (int i = 0; i < 8; ++i) {
        const size_t o = base + 6 + 4 * size_t(i);
        c.arg[i] = o + 4 <= len ? get_be32(f + o) : 0;
    }
    c.body = f + base + 6;
    c.body_len = len - (base + 6);
    return ParseResult::Ok;
}

void write_cu_head(uint8_t* f, size_t len, const Route& r, uint16_t packet, uint8_t kind,
                   uint8_t channel, uint16_t answered)
{
    std::memset(f, 0, len);
    std::memcpy(f, r.peer.data(), 6);
    std::memcpy(f + 6, r.own.data(), 6);
    size_t base = 14;
    if (r.udp) {
        put_be16(f + 12, kEtherIPv4);
        uint8_t* ip = f + 14;
        ip[0] = 0x45;
        put_be16(ip + 2, uint16_t(len - 14));
        ip[8] = 128;
        ip[9] = 17;
        put_be32(ip + 12, r.own_ip);
        put_be32(ip + 16, r.peer_ip);
        put_be16(ip + 10, ipv4_header_checksum(ip));
        put_be16(f + 34, kUdpPort);
        put_be16(f + 36, r.peer_port);
        put_be16(f + 38, uint16_t(len - 34));
        put_be16(f + 42, r.protocol);
        put_be16(f + 44, kLinkTag);
        put_be32(f + 46, r.word_a);
        put_be32(f + 50, r.word_b);
        base = 54;
    } else {
        put_be16(f + 12, r.protocol);
    }
    put_be16(f + base, packet);
    f[base + 2] = kind;
    f[base + 3] = channel;
    put_be16(f + base + 4, answered);
}

void write_trailer(uint8_t* f, size_t len, uint8_t pad, uint8_t last, uint16_t frame_no)
{
    f[len - 4] = pad;
    f[len - 3] = last;
    put_be16(f + len - 2, frame_no);
}

void finish_frame(uint8_t* f, size_t len, const Route& r)
{
    if (r.udp) put_be16(f + 40, udp_frame_checksum(f, len));
}

}  // namespace cusim
