// Byte-level layout of the frames a CU exchanges with the monitor: big-endian field access,
// the IPv4 and UDP checksums, the bootloader CRC, and the offsets of every CU frame field in
// raw and UDP framing. Everything here is pure and bounds-checked by the caller's lengths.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cusim {

using Mac = std::array<uint8_t, 6>;
using Bytes = std::vector<uint8_t>;

// ---- big-endian access ----------------------------------------------------------------------
inline uint16_t get_be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline uint32_t get_be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline void put_be16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v >> 8); p[1] = uint8_t(v); }
inline void put_be32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24); p[1] = uint8_t(v >> 16); p[2] = uint8_t(v >> 8); p[3] = uint8_t(v);
}
inline void put_le16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void put_le32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}
inline uint16_t get_le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t get_le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// ---- constants of the CU protocol ------------------------------------------------------------
constexpr uint16_t kEtherIPv4 = 0x0800;
constexpr uint16_t kProtoWired = 0x5555;     // protocol word on eth0 (and of every raw command)
constexpr uint16_t kProtoWireless = 0x5557;  // protocol word on wlan0
constexpr uint16_t kLinkTag = 0x5501;
constexpr uint16_t kUdpPort = 1365;
constexpr size_t kEthHeader = 14;
constexpr size_t kUdpShift = 40;           // every CU field lies 40 bytes later in UDP framing
constexpr size_t kCommandFrameLen = 150;
constexpr size_t kBlockPayload = 512;      // a measurement block: 16-byte head + 496 data bytes
constexpr size_t kBlockHead = 16;
constexpr size_t kBlockData = 496;

// Frame kinds sent by the CU (byte 16 raw / 56 UDP).
enum FrameKind : uint8_t { kAnswer = 1, kDataBlock = 2, kErrorReport = 3, kData = 4 };

// ---- checksums -------------------------------------------------------------------------------
// RFC 791 header checksum of the 20 bytes at hdr (its checksum word taken as zero).
uint16_t ipv4_header_checksum(const uint8_t* hdr);
// UDP checksum of a whole Ethernet frame as the monitor computes it: pseudo-header from the IPv4
// addresses (26..33), protocol 17 and the UDP length at 38; the UDP header words at 34..39; every
// word from offset 42 to len (odd byte padded); the checksum field 40..41 skipped. 0 stays 0.
uint16_t udp_frame_checksum(const uint8_t* frame, size_t len);
// CRC-16/XMODEM (poly 0x1021, init 0), the check of the HEX bootloader records.
uint16_t crc16_xmodem(const uint8_t* data, size_t len);

// ---- addresses -------------------------------------------------------------------------------
bool parse_mac(const std::string& text, Mac& out);   // "aa:bb:cc:dd:ee:ff", any case
std::string mac_text(const Mac& m);
bool parse_ipv4(const std::string& text, uint32_t& out);
constexpr Mac kBroadcastMac{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// ---- a command frame as received by the CU ---------------------------------------------------
struct Command {
    bool udp = false;          // arrived in UDP framing
    Mac src{};                 // the monitor's MAC
    Mac dst{};
    uint16_t protocol = 0;     // protocol word (raw 12 / UDP 42)
    uint32_t src_ip = 0, dst_ip = 0;
    uint16_t src_port = 0;
    uint32_t word_a = 0, word_b = 0;   // UDP link words
    uint16_t packet = 0;       // the monitor's packet number
    uint16_t code = 0;
    uint16_t sub = 0;
    uint32_t arg[8] = {};
    const uint8_t* body = nullptr;     // first byte after the sub-code (text or chunk data)
    size_t body_len = 0;               // bytes from body to the end of the frame
    const uint8_t* frame = nullptr;
    size_t frame_len = 0;
};

enum class ParseResult { Ok, NotOurs, BadIpChecksum, BadUdpChecksum, Short };
// Decodes a frame captured by the CU. NotOurs covers foreign traffic (other ethertypes, ports,
// protocol words); the checksum results are frames of ours that must be rejected.
ParseResult parse_command(const uint8_t* frame, size_t len, Command& out);

// ---- frames sent by the CU -------------------------------------------------------------------
// The addressing of one reply: who we are, who asked, in which framing.
struct Route {
    bool udp = false;
    Mac own{}, peer{};
    uint32_t own_ip = 0, peer_ip = 0;
    uint16_t peer_port = kUdpPort;
    uint16_t protocol = kProtoWired;   // protocol word the monitor expects from us
    uint32_t word_a = 0, word_b = 0;
};

// Offset of the CU fields (packet number) in a frame of the given framing.
inline size_t cu_base(bool udp) { return udp ? 14 + kUdpShift : 14; }
inline size_t payload_offset(bool udp) { return cu_base(udp) + 6; }

// Writes the link headers (Ethernet, and in UDP framing IPv4/UDP/protocol word/tag/link words)
// of a frame of total length len into f, and the CU head: packet number, kind, channel and the
// answered packet number. The caller fills the payload and trailer and then calls finish_frame.
void write_cu_head(uint8_t* f, size_t len, const Route& r, uint16_t packet, uint8_t kind,
                   uint8_t channel, uint16_t answered);
// Writes the ordinary 4-byte trailer (pad count, last flag, frame number).
void write_trailer(uint8_t* f, size_t len, uint8_t pad, uint8_t last, uint16_t frame_no);
// Computes the UDP checksum (UDP framing only) into offset 40.
void finish_frame(uint8_t* f, size_t len, const Route& r);

}  // namespace cusim
