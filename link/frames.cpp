#include "link/frames.h"

#include "link/byte_order.h"

#include <cstring>

COut_Frame::COut_Frame()
{
    memset(this, 0, sizeof *this);
    memset(dst, 0xFF, sizeof dst);
    type = link_frame::kWiredProtocol;
    b0 = 0;
    b1 = 1;
    w_last = 1;
}

COut_IP_Frame::COut_IP_Frame()
{
    static const uint8_t default_cu[6] = {0xB4, 0x99, 0xBA, 0xE1, 0x33, 0xD1};
    memcpy(dst, default_cu, 6);
    memset(src, 0, 6);
    ethertype = 0x0800;
    ver_ihl = 0x45;
    tos = 0;
    total_length = 0;
    ident = 0;
    frag = 0;
    ttl = 128;
    protocol = 17;
    hcs = 0;
    src_ip = 0xC0A80101;
    dst_ip = 0xC0A80102;
    src_port = link_frame::kUdpPort;
    dst_port = link_frame::kUdpPort;
    udp_length = 0;
    udp_cs = 0;
    protocol_word = link_frame::kWiredProtocol;
    link_tag = link_frame::kLinkTag;
    link_word_a = 0;
    link_word_b = 0;
}

void COut_IP_Frame::Count_IP_HCS()
{
    uint32_t sum = uint32_t(ver_ihl << 8 | tos) + total_length + ident + frag +
                   uint32_t(ttl << 8 | protocol) + (src_ip >> 16) + (src_ip & 0xFFFF) +
                   (dst_ip >> 16) + (dst_ip & 0xFFFF);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    hcs = uint16_t(~sum);
}

void COut_IP_Frame::write_headers(uint8_t* f) const
{
    put_be16(f + 12, ethertype);
    f[14] = ver_ihl;
    f[15] = tos;
    put_be16(f + 16, total_length);
    put_be16(f + 18, ident);
    put_be16(f + 20, frag);
    f[22] = ttl;
    f[23] = protocol;
    put_be16(f + 24, hcs);
    put_be32(f + 26, src_ip);
    put_be32(f + 30, dst_ip);
    put_be16(f + 34, src_port);
    put_be16(f + 36, dst_port);
    put_be16(f + 38, udp_length);
    put_be16(f + 40, 0);
    put_be16(f + 42, protocol_word);
    put_be16(f + 44, link_tag);
    put_be32(f + 46, link_word_a);
    put_be32(f + 50, link_word_b);
}

uint16_t udp_checksum(const uint8_t* f, size_t len)
{
    if (!f || len < 42)
        return 0;
    uint32_t sum = 0;
    for (int i = 26; i < 34; i += 2) // source and destination addresses
        sum += be16(f + i);
    sum += 17;                       // protocol
    sum += be16(f + 38);             // UDP length (pseudo-header)
    sum += be16(f + 34) + be16(f + 36) + be16(f + 38); // UDP header without its checksum
    size_t i = 42;
    for (; i + 1 < len; i += 2)
        sum += be16(f + i);
    if (i < len)
        sum += uint32_t(f[i]) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
}

bool read_block_header(const uint8_t* payload, size_t len, CBlockHeader* h)
{
    namespace lf = link_frame;
    uint32_t trace = 0;
    CBlockHeader r{};
    if (len < size_t(lf::kBlockHead) || !read_be32(payload, len, lf::kBlockNumber, &r.number) ||
        !read_u8(payload, len, lf::kBlockType, &r.type) || !read_be32(payload, len, lf::kBlockTrace, &trace) ||
        !read_be16(payload, len, lf::kBlockPad, &r.pad) || !read_be16(payload, len, lf::kBlockPart, &r.part))
        return false;
    r.trace = int32_t(trace);
    *h = r;
    return true;
}
