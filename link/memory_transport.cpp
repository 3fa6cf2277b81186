#include "link/memory_transport.h"

#include <chrono>
#include <cstdio>
#include <cstring>

CMemoryTransport::CMemoryTransport()
{
    static const uint8_t e[6] = {0x02, 0x00, 0x5E, 0x10, 0x00, 0x01};
    static const uint8_t w[6] = {0x02, 0x00, 0x5E, 0x10, 0x00, 0x02};
    memcpy(eth0_mac, e, 6);
    memcpy(wlan0_mac, w, 6);
}

void CMemoryTransport::inject(const uint8_t* frame, size_t len, size_t wire_len)
{
    std::lock_guard<std::mutex> g(m_);
    in_.emplace_back(Frame(frame, frame + len), wire_len ? wire_len : len);
    cv_.notify_all();
}

std::vector<CMemoryTransport::Frame> CMemoryTransport::sent()
{
    std::lock_guard<std::mutex> g(m_);
    return sent_;
}

size_t CMemoryTransport::sent_count()
{
    std::lock_guard<std::mutex> g(m_);
    return sent_.size();
}

bool CMemoryTransport::wait_idle(int timeout_ms)
{
    std::unique_lock<std::mutex> g(m_);
    return cv_.wait_for(g, std::chrono::milliseconds(timeout_ms),
                        [&] { return in_.empty() && in_next_; });
}

bool CMemoryTransport::wait_sent(size_t n, int timeout_ms)
{
    std::unique_lock<std::mutex> g(m_);
    return cv_.wait_for(g, std::chrono::milliseconds(timeout_ms), [&] { return sent_.size() >= n; });
}

bool CMemoryTransport::is_open()
{
    std::lock_guard<std::mutex> g(m_);
    return open_;
}

int CMemoryTransport::own_mac(const char* ifname, uint8_t out[6])
{
    if (fail_mac)
        return fail_mac;
    memcpy(out, strcmp(ifname, "wlan0") == 0 ? wlan0_mac : eth0_mac, 6);
    return 0;
}

int CMemoryTransport::open(const char* ifname, char* errbuf)
{
    if (fail_open) {
        snprintf(errbuf, kLinkErrbufSize, "%s: no such device exists", ifname);
        return -1;
    }
    std::lock_guard<std::mutex> g(m_);
    open_ = true;
    return 0;
}

int CMemoryTransport::next(const uint8_t** data, uint32_t* caplen, uint32_t* wirelen)
{
    std::unique_lock<std::mutex> g(m_);
    in_next_ = true;
    cv_.notify_all();
    cv_.wait(g, [&] { return !in_.empty() || woken_; });
    if (woken_) {
        woken_ = false;
        return -2;
    }
    current_ = std::move(in_.front().first);
    current_wire_ = in_.front().second;
    in_.pop_front();
    in_next_ = false;
    *data = current_.data();
    *caplen = uint32_t(current_.size());
    *wirelen = uint32_t(current_wire_);
    return 1;
}

int CMemoryTransport::send(const uint8_t* frame, int len)
{
    Frame f(frame, frame + len);
    {
        std::lock_guard<std::mutex> g(m_);
        ++sends_;
        if (fail_send_from && sends_ >= fail_send_from)
            return -1;
        sent_.push_back(f);
        cv_.notify_all();
    }
    if (on_send)
        on_send(f);
    return 0;
}

void CMemoryTransport::wake()
{
    std::lock_guard<std::mutex> g(m_);
    woken_ = true;
    cv_.notify_all();
}

void CMemoryTransport::close()
{
    std::lock_guard<std::mutex> g(m_);
    open_ = false;
}
