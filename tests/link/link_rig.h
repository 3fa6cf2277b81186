// Test rig for the link: a CEthernet of its own on an in-memory wire, a scripted CU on the
// other end, and builders for the frames a CU sends. Checksums here are computed by a plain
// RFC 1071 sum over a separately assembled pseudo-header, independent of the link's code.
#pragma once

#include "config/parameters.h"
#include "cu/eep.h"
#include "link/ethernet.h"
#include "link/memory_transport.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

extern const uint8_t kEth0Mac[6];   // 02:00:5E:10:00:01
extern const uint8_t kWlan0Mac[6];  // 02:00:5E:10:00:02
extern const uint8_t kCuMac[6];     // 02:C0:FF:EE:00:07

// RFC 1071 one's-complement checksum of a byte string (odd length padded with zero).
uint16_t rfc1071(const Bytes& b);
// UDP checksum of a wire frame, assembled as pseudo-header + UDP segment with a zero
// checksum field.
uint16_t reference_udp_checksum(const Bytes& frame);

struct CuFrame {
    bool udp = false;
    uint8_t kind = 1;
    uint8_t channel = 0;
    uint16_t packet = 1;      // CU's own packet number
    uint16_t answered = 0;    // answered packet number, as written at raw 18..19 (big-endian)
    Bytes payload;
    uint8_t pad = 0;
    uint8_t last = 1;
    uint16_t frame = 1;
    bool block = false;       // block-mode data block: pad count in the payload, 3-byte trailer
    uint16_t protocol = 0x5555;
    const uint8_t* dst = kEth0Mac;
    const uint8_t* src = kCuMac;
    uint32_t cu_ip = 0xC0A8014D; // 192.168.1.77
    uint32_t link_b = 0xA1B2C3D4;
    bool bad_checksum = false;
    Bytes build() const;
};

// A measurement block payload (512 bytes): block number, type, trace number, pad count,
// part, then 496 data bytes (data, zero-filled).
Bytes block_payload(uint32_t block, uint8_t type, uint32_t trace, uint16_t pad, uint16_t part,
                    const Bytes& data);

// Fields of a command frame the monitor sent.
struct SentCommand {
    bool udp;
    uint16_t packet, cmd, sub;
    uint32_t args[8];
};
bool parse_command(const Bytes& f, SentCommand* out);

// Sink recording everything GetMeaData hands on.
struct RecordingSink : CMeaSink {
    std::atomic<bool> meas{false}, latched{false}, done{false}; // read by the receiving thread
    std::vector<CMeaTrace> traces;
    std::vector<std::vector<int32_t>> samples;
    std::vector<int32_t> wheel, time;
    std::vector<std::string> gps;
    std::vector<std::pair<uint32_t, uint16_t>> gps_times;
    int trace_result = 0;
    bool measuring() override { return meas; }
    bool errors_latched() override { return latched; }
    bool finished() override { return done; }
    int trace(const CMeaTrace& t) override;
    void wheel_position(int32_t p) override { wheel.push_back(p); }
    void time_position(int32_t ms) override { time.push_back(ms); }
    void gps_text(const char* s, size_t n) override { gps.emplace_back(s, n); }
    void gps_time(uint32_t s, uint16_t ms) override { gps_times.emplace_back(s, ms); }
};

// A CEthernet on a memory wire; answers commands through `respond` when set.
class LinkRig {
public:
    LinkRig();
    ~LinkRig();
    // Sets the modes, reads the own MACs and opens the link (the receiving thread runs).
    void open(bool udp = false, bool wifi = false);
    // Injects a frame and waits until the receiving thread has processed it.
    void feed(const Bytes& f);
    // Sent frames from index `from` on.
    std::vector<Bytes> sent(size_t from = 0) { return slice(wire.sent(), from); }
    // Called for every command frame sent; return the frames the CU answers with.
    std::function<std::vector<Bytes>(const SentCommand&, const Bytes&)> respond;

    CMemoryTransport wire;
    std::unique_ptr<CEthernet> link;
    RecordingSink sink;
    CParameters saved_prm;
    CEEP saved_eep;

private:
    static std::vector<Bytes> slice(const std::vector<Bytes>& v, size_t from);
};
