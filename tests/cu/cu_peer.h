// A scripted CU on the other end of the Unix datagram link: it binds the simulator's socket,
// decodes every command frame the monitor sends (raw or UDP layout, built here from the
// byte offsets of the protocol, independently of the link's code) and answers per script.
//
// By default every command is answered with one answer frame (kind 1) whose payload is the
// 80 bytes set with answer(); discovery is answered with FF FF as the CU does. Scripts can
// silence commands, add error reports or data packets before the answer.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<uint8_t>;

class PatientTransport;

struct PeerCommand {
    bool udp = false;
    uint16_t packet = 0, cmd = 0, sub = 0;
    uint32_t args[8] = {};
    std::string text;        // the zero-terminated text of a string command
    int32_t timeout = 0;     // the monitor's answer time-out while this command was pending
};

// What the CU does for one command.
struct PeerReply {
    bool answer = true;
    Bytes payload;            // answer payload (padded to 80 bytes)
    std::vector<Bytes> before; // kind-2 data packets (payloads) sent before the answer
    int error_code = -1;      // >= 0: an error report for the command after the answer
};

class CuPeer {
public:
    // Binds `socket_path` (the monitor's own socket is socket_path + ".mon").
    explicit CuPeer(const std::string& socket_path);
    ~CuPeer();

    // Payload of the answers to `cmd` (sub-code and first argument not considered).
    void answer(uint16_t cmd, const Bytes& payload);
    void forget_answers();
    // Full control: called for every command (after discovery handling); the default
    // reply holds the payload set with answer(). Set from the test's thread while the peer's
    // thread answers, so both go through the peer's mutex; null restores the default.
    using Script = std::function<void(const PeerCommand&, PeerReply&)>;
    void set_script(Script s);
    // Discovery is answered only when this returns true (default, or null: always).
    using Discovery = std::function<bool(const PeerCommand&)>;
    void set_discovery(Discovery d);

    // Whether the command frame (f, n) the monitor is sending will be answered, by the
    // same rules as handle(); for the patient transport.
    bool would_answer(const uint8_t* f, size_t n);
    // When set, the answer time-out of each command is the one recorded as it left.
    // (Set by the test while the peer's thread answers.)
    std::atomic<PatientTransport*> link{nullptr};

    std::vector<PeerCommand> commands();   // every command received, in order
    std::vector<PeerCommand> commands(uint16_t cmd);
    void clear();

    static const uint8_t kCuMac[6];

private:
    void run();
    void handle(const uint8_t* f, size_t n, const void* from, unsigned from_len);
    static bool decode(const uint8_t* f, size_t n, PeerCommand& c);
    Bytes frame(bool udp, const uint8_t* dst, uint8_t kind, uint16_t answered,
                const Bytes& payload, uint8_t pad, uint8_t last, uint16_t frame_num);
    void send_to(const Bytes& f, const void* to, unsigned to_len);

    std::string path_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex m_;
    std::map<uint16_t, Bytes> answers_;
    Script script_;
    Discovery discovery_;
    std::vector<PeerCommand> got_;
    uint16_t cu_packet_ = 1;
};

// Big-endian helpers for building answer payloads.
void put32(Bytes& b, size_t at, uint32_t v);
void put16(Bytes& b, size_t at, uint16_t v);
Bytes words32(std::initializer_list<uint32_t> v);
