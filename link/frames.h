// CU frame layouts, the two address templates and the checksums of UDP mode.
//
// Every CU frame starts with a 14-byte Ethernet II header. In raw mode the CU protocol
// follows at offset 12 (protocol word) / 14 (packet number); in UDP mode an IPv4 and a UDP
// header, the protocol word, a link tag and two link words come first, so every CU field
// lies 40 bytes later. All fields are big-endian on the wire.
//
// Command frame (monitor -> CU), 150 bytes in both modes (raw offsets; UDP = raw + 40):
//   0 dst MAC | 6 src MAC | 12 protocol 0x5555 | 14 packet number | 16 command | 18 sub-code
//   20 eight 32-bit arguments (or a zero-terminated text) | zero to 145
//   146 pad count 0 | 147 last-frame flag 1 | 148 frame number 1
// UDP mode: 12 ethertype 0x0800 | 14 IPv4 header (total length 136) | 34 UDP header
//   (1365 -> 1365, length 116, checksum at 40) | 42 protocol word | 44 link tag 0x5501 |
//   46 link word A | 50 link word B | 54 packet number ...
//
// Frame from the CU (raw offsets): 14 CU packet number | 16 kind | 17 channel |
//   18 answered packet number | 20 payload | end-4 pad | end-3 last flag | end-2 frame number
// A measurement block of block mode: 512-byte payload carrying its own pad count, then only
// the 3-byte trailer (last flag, frame number).
//
// Measurement block (the 512-byte payload of a kind-2/kind-4 frame in block mode):
//
//    0               4           7    8               12      14      16                512
//   +---------------+-----------+----+---------------+-------+-------+------ ... ------+
//   | block number  | (unused)  |type| trace number  | pad   | part  | data, 496 bytes  |
//   +---------------+-----------+----+---------------+-------+-------+------ ... ------+
//
//   block number  32-bit, counted from 1 through the measurement (GPS blocks included)
//   type          2 trace data; other values additional data (3 GPS)
//   trace number  32-bit CU trace number, from 1 (signed on the monitor's side)
//   pad           unused bytes at the end of the data (the last part of a trace)
//   part          1 .. B, the block's place in its trace (B = blocks per trace)
#pragma once

#include <cstddef>
#include <cstdint>

namespace link_frame {
constexpr int kCommandLen = 150;   // every command frame
constexpr int kUdpShift = 40;      // UDP-mode offsets = raw offsets + 40
constexpr int kProtoRaw = 12, kProtoUdp = 42;
constexpr int kPacket = 14;        // packet number (raw)
constexpr int kCommand = 16;       // command code (monitor -> CU) / frame kind (CU -> monitor)
constexpr int kChannel = 17;
constexpr int kSubCode = 18;       // sub-code (monitor -> CU) / answered packet (CU -> monitor)
constexpr int kArgs = 20;          // arguments / payload (raw)
constexpr int kPadCount = 146, kLastFlag = 147, kFrameNum = 148;
constexpr int kHeaderRaw = 20, kHeaderUdp = 60;   // bytes before the payload
constexpr int kMinFrame = 65;      // shorter captures are ignored
// Measurement block fields (offsets in the block payload, see the diagram above).
constexpr int kBlockNumber = 0, kBlockType = 7, kBlockTrace = 8, kBlockPad = 12, kBlockPart = 14;
constexpr int kBlockHead = 16, kBlockLen = 512, kBlockDataLen = kBlockLen - kBlockHead;
constexpr int kIpHeader = 14, kUdpHeader = 34, kUdpChecksum = 40;
constexpr int kIpTotalLength = 136, kUdpLength = 116;
constexpr uint16_t kWiredProtocol = 0x5555, kWirelessProtocol = 0x5557;
constexpr uint16_t kLinkTag = 0x5501;
constexpr uint16_t kUdpPort = 1365;

// Frame kinds sent by the CU.
constexpr uint8_t kKindAnswer = 1, kKindData = 2, kKindError = 3, kKindData4 = 4;

inline int cu_base(bool udp) { return udp ? kUdpShift : 0; }
} // namespace link_frame

// The header of a measurement block, read from its payload.
struct CBlockHeader {
    uint32_t number;
    uint8_t type;
    int32_t trace;
    uint16_t pad;
    uint16_t part;
};
// Reads the header of a block payload of len bytes: false when it is shorter than the header.
bool read_block_header(const uint8_t* payload, size_t len, CBlockHeader* h);

#pragma pack(push, 1)
// The raw-mode address template: the CU's MAC (broadcast until discovered) and the own MAC,
// followed by the rest of the legacy frame image that the senders do not use.
struct COut_Frame {
    uint8_t dst[6];
    uint8_t src[6];
    uint16_t type;
    uint16_t w[3];
    uint32_t l[20];
    uint8_t b0, b1;
    uint16_t w_last;

    COut_Frame();
};

// The UDP-mode template. Fields are host-order values; the senders write them big-endian.
struct COut_IP_Frame {
    uint8_t dst[6];          // the CU's MAC (B4:99:BA:E1:33:D1 until discovered)
    uint8_t src[6];          // own MAC (copied in by eth_Init)
    uint16_t ethertype;      // 0x0800
    uint8_t ver_ihl;         // 0x45
    uint8_t tos;
    uint16_t total_length;   // 136 at each send
    uint16_t ident;
    uint16_t frag;
    uint8_t ttl;             // 128
    uint8_t protocol;        // 17 (UDP)
    uint16_t hcs;            // header checksum, refreshed by Count_IP_HCS
    uint32_t src_ip;         // 192.168.1.1
    uint32_t dst_ip;         // 192.168.1.2 until discovered
    uint16_t src_port;       // 1365
    uint16_t dst_port;       // 1365
    uint16_t udp_length;     // 116 at each send
    uint16_t udp_cs;
    uint16_t protocol_word;  // current_protocol
    uint16_t link_tag;       // 0x5501
    uint32_t link_word_a;    // first field of the parameter store, copied by p_read
    uint32_t link_word_b;    // learnt from the CU at discovery

    COut_IP_Frame();
    // RFC 791 header checksum of the ten header words as they will stand on the wire.
    void Count_IP_HCS();
    // Writes ethertype, IPv4 and UDP headers (checksum 0), protocol word, link tag and link
    // words at frame offsets 12..53 (the MACs are written by the caller).
    void write_headers(uint8_t* frame) const;
};
#pragma pack(pop)

static_assert(sizeof(COut_Frame) == 12 + 2 + 6 + 80 + 4, "legacy raw template image");
static_assert(sizeof(COut_IP_Frame) == 54, "UDP template covers frame offsets 0..53");

// The UDP checksum of a wire frame of len bytes: pseudo-header (addresses at 26..33,
// protocol 17, UDP length at 38..39), UDP header words at 34..39, then every 16-bit word
// from offset 42 to len (odd last byte padded with zero). Returns 0 for frames too short to
// hold the headers.
uint16_t udp_checksum(const uint8_t* frame, size_t len);
