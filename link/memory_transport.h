// An in-process wire for tests and tools: frames injected here are captured by the link, and
// every frame the link sends is recorded and may be answered by a callback (a scripted CU).
#pragma once

#include "link/transport.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

class CMemoryTransport : public CLinkTransport {
public:
    using Frame = std::vector<uint8_t>;

    CMemoryTransport();

    // Own MAC addresses reported for eth0 and wlan0; fail_mac makes own_mac fail with it.
    uint8_t eth0_mac[6], wlan0_mac[6];
    int fail_mac = 0;
    // Makes open() fail with this text.
    bool fail_open = false;
    // Makes send() fail (-1) from the n-th send on (0 = never).
    int fail_send_from = 0;

    // Queues a frame for capture. wire_len (default: the frame's length) is the length
    // reported as on the wire, for truncated captures.
    void inject(const uint8_t* frame, size_t len, size_t wire_len = 0);
    void inject(const Frame& f) { inject(f.data(), f.size()); }
    // Called (on the sending thread, without any transport lock held) for every frame sent.
    std::function<void(const Frame&)> on_send;
    // Frames sent so far (copies).
    std::vector<Frame> sent();
    size_t sent_count();
    // Waits until every injected frame was taken and processed (the receiver is back in
    // next()); false after timeout_ms.
    bool wait_idle(int timeout_ms = 5000);
    // Waits until at least n frames were sent; false after timeout_ms.
    bool wait_sent(size_t n, int timeout_ms = 5000);
    bool is_open();

    int own_mac(const char* ifname, uint8_t out[6]) override;
    int open(const char* ifname, char* errbuf) override;
    int next(const uint8_t** data, uint32_t* caplen, uint32_t* wirelen) override;
    int send(const uint8_t* frame, int len) override;
    void wake() override;
    void close() override;

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::pair<Frame, size_t>> in_;
    Frame current_;
    size_t current_wire_ = 0;
    bool in_next_ = false;
    bool woken_ = false;
    bool open_ = false;
    int sends_ = 0;
    std::vector<Frame> sent_;
};
