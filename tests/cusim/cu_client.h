// A minimal monitor-side client of the CU protocol, written independently of cusim's own frame
// code, so the tests check cusim against the frame layouts rather than against itself.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace cutest {

using Bytes = std::vector<uint8_t>;
using Mac6 = std::array<uint8_t, 6>;

uint16_t be16(const uint8_t* p);
uint32_t be32(const uint8_t* p);
uint16_t inet_sum(const uint8_t* p, size_t len, uint32_t start = 0);   // one's-complement fold
uint16_t udp_checksum(const Bytes& frame);                              // as the monitor computes it

// Builds the monitor's command frames.
struct Client {
    bool udp = false;
    Mac6 own{0x02, 0x00, 0x5E, 0x10, 0x00, 0x01};
    Mac6 cu{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    uint32_t own_ip = 0xC0A80101, cu_ip = 0xC0A80102;
    uint32_t word_a = 0x00000017, word_b = 0;
    uint16_t protocol = 0x5555;
    uint16_t packet = 1;

    Bytes command(uint16_t code, uint16_t sub = 0, std::array<uint32_t, 8> args = {});
    Bytes text(uint16_t code, uint16_t sub, const std::string& text);
    // One chunk of a file upload (always raw framing).
    Bytes chunk(const uint8_t* data, size_t count, uint16_t type, bool last, uint16_t frame_no);
    // Learns the CU's addresses from a discovery answer, as the monitor does.
    void learn(const Bytes& answer);
};

// A frame from the CU, decoded with the monitor's offsets.
struct Reply {
    bool ok = false;
    bool udp = false;
    uint8_t kind = 0, channel = 0;
    uint16_t protocol = 0, packet = 0, answered = 0;
    Bytes payload;                 // captured length - 24 (raw) / - 64 (UDP); 512 for a block
    uint8_t pad = 0, last = 0;
    uint16_t frame_no = 0;
    bool checksum_ok = true;       // UDP framing: UDP and IPv4 header checksums

    uint32_t u32(size_t at) const { return at + 4 <= payload.size() ? be32(&payload[at]) : 0xDEADBEEF; }
    uint16_t u16(size_t at) const { return at + 2 <= payload.size() ? be16(&payload[at]) : 0xDEAD; }
};
// A UDP data frame of 575 bytes is a measurement block (the client measures in block mode).
Reply decode(const Bytes& frame);

// A trace decoded from its elements.
struct Decoded {
    bool ok = false;
    std::string error;
    int32_t trigger = 0, wheel = 0;
    uint32_t time = 0;
    bool wide = false;
    uint16_t divisor = 1;
    std::vector<uint16_t> words;   // 16-bit values, or W1, W2 pairs
    std::vector<std::string> gps_text;
    size_t ubx_messages = 0;
};
Decoded decode_elements(const uint8_t* data, size_t len, size_t values);

// Block-mode reassembly: blocks by number, traces by trace number.
struct Blocks {
    std::map<uint32_t, Bytes> blocks;   // block number -> 512-byte payload
    size_t duplicates = 0, bad = 0;
    void add(const Reply& r);
    // Data of trace t (B blocks starting at first_block) or empty when a block is missing.
    Bytes trace_data(uint32_t first_block, size_t blocks_per_trace) const;
};

}  // namespace cutest
