#include "cu_peer.h"

#include "link/ethernet.h"
#include "patient_transport.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

const uint8_t CuPeer::kCuMac[6] = {0x02, 0xC0, 0xFF, 0xEE, 0x00, 0x07};

namespace {

uint16_t be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// RFC 1071 sum of a byte string, not yet complemented.
uint32_t sum16(const uint8_t* p, size_t n, uint32_t s = 0)
{
    for (size_t i = 0; i + 1 < n; i += 2)
        s += uint32_t(p[i] << 8 | p[i + 1]);
    if (n & 1)
        s += uint32_t(p[n - 1] << 8);
    return s;
}

uint16_t fold(uint32_t s)
{
    while (s >> 16)
        s = (s & 0xFFFF) + (s >> 16);
    return uint16_t(~s);
}

constexpr uint32_t kCuIp = 0xC0A8014D; // 192.168.1.77

} // namespace

void put32(Bytes& b, size_t at, uint32_t v)
{
    if (b.size() < at + 4)
        b.resize(at + 4);
    b[at] = uint8_t(v >> 24);
    b[at + 1] = uint8_t(v >> 16);
    b[at + 2] = uint8_t(v >> 8);
    b[at + 3] = uint8_t(v);
}

void put16(Bytes& b, size_t at, uint16_t v)
{
    if (b.size() < at + 2)
        b.resize(at + 2);
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}

Bytes words32(std::initializer_list<uint32_t> v)
{
    Bytes b;
    size_t at = 0;
    for (uint32_t w : v) {
        put32(b, at, w);
        at += 4;
    }
    return b;
}

CuPeer::CuPeer(const std::string& socket_path) : path_(socket_path)
{
    unlink(path_.c_str());
    fd_ = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    snprintf(a.sun_path, sizeof a.sun_path, "%s", path_.c_str());
    if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    int size = 4 << 20;
    setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    thread_ = std::thread([this] { run(); });
}

CuPeer::~CuPeer()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (fd_ >= 0)
        close(fd_);
    unlink(path_.c_str());
}

void CuPeer::answer(uint16_t cmd, const Bytes& payload)
{
    std::lock_guard<std::mutex> g(m_);
    answers_[cmd] = payload;
}

void CuPeer::forget_answers()
{
    std::lock_guard<std::mutex> g(m_);
    answers_.clear();
}

void CuPeer::set_script(Script s)
{
    std::lock_guard<std::mutex> g(m_);
    script_ = std::move(s);
}

void CuPeer::set_discovery(Discovery d)
{
    std::lock_guard<std::mutex> g(m_);
    discovery_ = std::move(d);
}

std::vector<PeerCommand> CuPeer::commands()
{
    std::lock_guard<std::mutex> g(m_);
    return got_;
}

std::vector<PeerCommand> CuPeer::commands(uint16_t cmd)
{
    std::vector<PeerCommand> out;
    for (const PeerCommand& c : commands())
        if (c.cmd == cmd)
            out.push_back(c);
    return out;
}

void CuPeer::clear()
{
    std::lock_guard<std::mutex> g(m_);
    got_.clear();
}

void CuPeer::run()
{
    uint8_t buf[65536];
    while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0)
            continue;
        sockaddr_un from{};
        socklen_t from_len = sizeof from;
        ssize_t n = recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &from_len);
        if (n > 0)
            handle(buf, size_t(n), &from, from_len);
    }
}


bool CuPeer::decode(const uint8_t* f, size_t n, PeerCommand& c)
{
    if (n < 150)
        return false;
    c.udp = be16(f + 12) == 0x0800;
    const size_t base = c.udp ? 40 : 0;
    c.packet = be16(f + base + 14);
    c.cmd = be16(f + base + 16);
    c.sub = be16(f + base + 18);
    for (int i = 0; i < 8; i++)
        c.args[i] = be32(f + base + 20 + 4 * i);
    const char* t = reinterpret_cast<const char*>(f + base + 20);
    c.text.assign(t, strnlen(t, 146 - base - 20));
    return true;
}

bool CuPeer::would_answer(const uint8_t* f, size_t n)
{
    PeerCommand c;
    if (!decode(f, n, c))
        return false;
    Script script;
    Discovery discovery;
    {
        std::lock_guard<std::mutex> g(m_);
        script = script_;
        discovery = discovery_;
    }
    if (c.cmd == 0xFFFF)
        return !discovery || discovery(c);
    PeerReply reply;
    if (script)
        script(c, reply);
    return reply.answer;
}

void CuPeer::handle(const uint8_t* f, size_t n, const void* from, unsigned from_len)
{
    PeerCommand c;
    if (!decode(f, n, c))
        return;
    // The time-out the monitor waits with for this command.
    PatientTransport* const patient = link;
    c.timeout = patient ? patient->timeout_of(c.packet) : int32_t(eth.answer_timeout);
    const uint8_t* monitor_mac = f + 6;

    PeerReply reply;
    Script script;
    Discovery discovery;
    {
        std::lock_guard<std::mutex> g(m_);
        got_.push_back(c);
        script = script_;
        discovery = discovery_;
        auto it = answers_.find(c.cmd);
        if (it != answers_.end())
            reply.payload = it->second;
    }
    if (c.cmd == 0xFFFF) {
        if (discovery && !discovery(c))
            return;
        Bytes p = {0xFF, 0xFF};
        p.resize(80, 0); // a frame of at least the Ethernet minimum
        send_to(frame(c.udp, monitor_mac, 1, c.packet, p, 0, 1, 1), from, from_len);
        return;
    }
    if (script)
        script(c, reply);
    for (const Bytes& data : reply.before) {
        // Short packets are padded to a frame the capture accepts, the pad count says so.
        Bytes d = data;
        uint8_t pad = 0;
        if (d.size() < 60) {
            pad = uint8_t(60 - d.size());
            d.resize(60, 0);
        }
        send_to(frame(c.udp, monitor_mac, 2, 0, d, pad, 1, 1), from, from_len);
    }
    if (reply.error_code >= 0) {
        // The error report comes first: the monitor looks for it once the answer is there.
        // Its answered packet number is written little-endian, as the CU does.
        Bytes p;
        put16(p, 0, 1);
        put16(p, 2, uint16_t(reply.error_code));
        p.resize(80, 0);
        uint16_t swapped = uint16_t(c.packet << 8 | c.packet >> 8);
        send_to(frame(c.udp, monitor_mac, 3, swapped, p, 0, 1, 1), from, from_len);
    }
    if (reply.answer) {
        Bytes p = reply.payload;
        p.resize(80, 0);
        send_to(frame(c.udp, monitor_mac, 1, c.packet, p, 0, 1, 1), from, from_len);
    }
}

Bytes CuPeer::frame(bool udp, const uint8_t* dst, uint8_t kind, uint16_t answered,
                    const Bytes& payload, uint8_t pad, uint8_t last, uint16_t frame_num)
{
    const size_t base = udp ? 40 : 0;
    Bytes f(base + 20 + payload.size() + 4, 0);
    memcpy(&f[0], dst, 6);
    memcpy(&f[6], kCuMac, 6);
    if (udp) {
        put16(f, 12, 0x0800);
        f[14] = 0x45;
        put16(f, 16, uint16_t(f.size() - 14));
        f[22] = 64;
        f[23] = 17;
        put32(f, 26, kCuIp);
        put32(f, 30, 0xC0A80101);
        put16(f, 24, fold(sum16(&f[14], 20)));
        put16(f, 34, 1365);
        put16(f, 36, 1365);
        put16(f, 38, uint16_t(f.size() - 34));
        put16(f, 42, 0x5555);
        put16(f, 44, 0x5501);
        put32(f, 50, 0xA1B2C3D4);
    } else {
        put16(f, 12, 0x5555);
    }
    put16(f, base + 14, cu_packet_++);
    f[base + 16] = kind;
    f[base + 17] = 0;
    put16(f, base + 18, answered);
    memcpy(&f[base + 20], payload.data(), payload.size());
    f[f.size() - 4] = pad;
    f[f.size() - 3] = last;
    put16(f, f.size() - 2, frame_num);
    if (udp) {
        // Pseudo-header, UDP header without its checksum, then everything from offset 42.
        Bytes ph;
        ph.insert(ph.end(), f.begin() + 26, f.begin() + 34);
        ph.push_back(0);
        ph.push_back(17);
        ph.push_back(f[38]);
        ph.push_back(f[39]);
        ph.insert(ph.end(), f.begin() + 34, f.begin() + 40);
        ph.push_back(0);
        ph.push_back(0);
        ph.insert(ph.end(), f.begin() + 42, f.end());
        put16(f, 40, fold(sum16(ph.data(), ph.size())));
    }
    return f;
}

void CuPeer::send_to(const Bytes& f, const void* to, unsigned to_len)
{
    sendto(fd_, f.data(), f.size(), 0, static_cast<const sockaddr*>(to), to_len);
}
