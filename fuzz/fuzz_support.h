// What every fuzz target shares: a private simulated device for the file readers, the link
// objects of the frame targets, and a CU-side frame builder so that inputs only choose the
// fields a CU may get wrong.
#pragma once

#include "link/ethernet.h"
#include "link/memory_transport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// An input read front to back, so that a seed file is simply its fields in order (records of
// the program and cusim can be laid out by hand). Past the end every read gives zeros.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : p_(data), n_(size) {}
    size_t remaining() const { return n_ - at_; }
    uint8_t u8() { return at_ < n_ ? p_[at_++] : 0; }
    uint16_t u16() { uint16_t hi = u8(); return uint16_t(hi << 8 | u8()); }
    // Up to n bytes (fewer at the end).
    std::vector<uint8_t> bytes(size_t n)
    {
        n = n < remaining() ? n : remaining();
        std::vector<uint8_t> v(p_ + at_, p_ + at_ + n);
        at_ += n;
        return v;
    }
    // A 16-bit length, then that many bytes.
    std::vector<uint8_t> chunk() { return bytes(u16()); }
    std::vector<uint8_t> rest() { return bytes(remaining()); }

private:
    const uint8_t* p_;
    size_t n_, at_ = 0;
};

// Lays out a fresh sandbox device under /tmp (once per process) and points GPRMON_ROOT at it;
// it is removed when the process exits normally.
void fuzz_sandbox();
// Host path of a device path inside the sandbox.
std::string fuzz_path(const char* device_path);
// Writes bytes to a device path inside the sandbox (replacing the file).
void fuzz_write_file(const char* device_path, const uint8_t* data, size_t size);

// Sink of the frame targets: decoded GPS texts run through the GPS reader and the GGA parser
// as the periodic timer does with the antenna's texts.
struct FuzzSink : CMeaSink {
    bool meas = true, done = false;
    int traces = 0;
    bool measuring() override { return meas; }
    bool finished() override { return done; }
    int trace(const CMeaTrace& t) override;
    void gps_text(const char* text, size_t len) override;
};

// The link of the frame targets: one CEthernet (its rings are large, so it is made once) on
// an in-memory wire, reset before every input. The receiving thread does not run; frames
// are handed to receive_frame directly.
struct FuzzLink {
    CEthernet& e;
    CMemoryTransport& wire;
    FuzzSink& sink;
    bool fix_up;
    // Modes and antenna block chosen by the input; the link's state back to a fresh start.
    static FuzzLink& reset(FuzzInput& in);
    // Frames built from the rest of the input, each through acceptance and reassembly, then
    // every queued trace decoded and the answer and error rings read out.
    void feed_frames(FuzzInput& in);
};
