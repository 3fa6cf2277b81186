// A link transport for tests on a busy machine. It passes every frame to the real transport
// and, for a command the peer is known to answer, lets the monitor wait for that answer up
// to a generous deadline instead of the command's own answer time-out (100 ms by default):
// a loaded machine may take longer than that to run the peer, the receiving thread and the
// waiting caller, and the answer is certain to come. Commands the peer leaves unanswered
// keep their own time-out, so a missing answer still gives 733 exactly as the link decides.
//
// The time-out the command layer had set when each frame left is recorded, so tests can
// still check it.
#pragma once

#include "link/ethernet.h"
#include "link/transport.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

class PatientTransport : public CLinkTransport {
public:
    // The peer answers the command frame (f, len) when `answered` says so.
    using Answered = std::function<bool(const uint8_t* f, int len)>;
    static constexpr int32_t kPatience = 10000; // polls of 2 ms: 20 s at least

    PatientTransport(CLinkTransport* inner, Answered answered)
        : inner_(inner), answered_(std::move(answered))
    {
    }

    // Frame fields of a command as the monitor sends it (raw or UDP framing).
    static bool is_udp(const uint8_t* f) { return (f[12] << 8 | f[13]) == 0x0800; }
    static uint16_t packet_of(const uint8_t* f)
    {
        const uint8_t* p = f + (is_udp(f) ? 40 : 0) + 14;
        return uint16_t(p[0] << 8 | p[1]);
    }
    static uint16_t command_of(const uint8_t* f)
    {
        const uint8_t* p = f + (is_udp(f) ? 40 : 0) + 16;
        return uint16_t(p[0] << 8 | p[1]);
    }

    // The answer time-out the command layer had set when the frame numbered `packet` left;
    // -1 when no such frame was sent.
    int32_t timeout_of(uint16_t packet)
    {
        std::lock_guard<std::mutex> g(m_);
        auto it = timeouts_.find(packet);
        return it == timeouts_.end() ? -1 : it->second;
    }

    int own_mac(const char* ifname, uint8_t out[6]) override { return inner_->own_mac(ifname, out); }
    int open(const char* ifname, char* errbuf) override { return inner_->open(ifname, errbuf); }
    int next(const uint8_t** data, uint32_t* caplen, uint32_t* wirelen) override
    {
        return inner_->next(data, caplen, wirelen);
    }
    void wake() override { inner_->wake(); }
    void close() override { inner_->close(); }

    int send(const uint8_t* f, int len) override
    {
        if (len >= 150) {
            // Sends are serialised and the previous exchange is over: a deadline raised for
            // it and not reset since (a frame sent without an exchange) goes back first.
            if (raised_ && eth.answer_timeout == kPatience)
                eth.answer_timeout = before_;
            raised_ = false;
            const int32_t set = eth.answer_timeout;
            {
                std::lock_guard<std::mutex> g(m_);
                timeouts_[packet_of(f)] = set;
            }
            if (set < kPatience && answered_ && answered_(f, len)) {
                before_ = set;
                raised_ = true;
                eth.answer_timeout = kPatience;
            }
        }
        return inner_->send(f, len);
    }

private:
    CLinkTransport* inner_;
    Answered answered_;
    std::mutex m_;
    std::map<uint16_t, int32_t> timeouts_;
    bool raised_ = false;
    int32_t before_ = kDefaultAnswerTimeout;
};
