#include "sim/cu/port.h"

#include <pcap/pcap.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace cusim {

namespace {

// Unix datagram socket bound at PATH. Frames go to the source of the most recent datagram, so
// a restarted monitor is picked up by its first command. Sends use the bound socket itself
// (also when the monitor connected its socket to PATH) with a send time-out as the patience.
class UnixPort : public Port {
public:
    ~UnixPort() override
    {
        if (fd_ >= 0) close(fd_);
        if (!path_.empty()) unlink(path_.c_str());
    }

    bool open(const std::string& path, std::string& error)
    {
        sockaddr_un a{};
        if (path.size() >= sizeof a.sun_path) { error = "socket path too long: " + path; return false; }
        fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) { error = std::string("socket: ") + strerror(errno); return false; }
        unlink(path.c_str());   // a stale socket file of an earlier run
        a.sun_family = AF_UNIX;
        std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            error = "bind " + path + ": " + strerror(errno);
            return false;
        }
        path_ = path;
        const int size = 4 << 20;
        setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        set_send_patience(20);
        return true;
    }

    bool send(const uint8_t* frame, size_t len) override
    {
        if (peer_len_ == 0) return false;
        for (;;) {
            const ssize_t n = sendto(fd_, frame, len, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&peer_), peer_len_);
            if (n == ssize_t(len)) return true;
            if (n < 0 && errno == EINTR) continue;
            return false;   // ENOENT/ECONNREFUSED: monitor gone; EAGAIN: its queue stayed full
        }
    }

    int receive(uint8_t* buf, size_t cap, int timeout_ms) override
    {
        pollfd p{fd_, POLLIN, 0};
        const int r = poll(&p, 1, timeout_ms);
        if (r < 0) return errno == EINTR ? 0 : -1;
        if (r == 0) return 0;
        sockaddr_un from{};
        socklen_t from_len = sizeof from;
        const ssize_t n = recvfrom(fd_, buf, cap, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &from_len);
        if (n < 0) return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
        if (from_len > sizeof(sa_family_t)) {   // an unnamed sender cannot be answered
            peer_ = from;
            peer_len_ = from_len;
        }
        return int(n);
    }

    void set_send_patience(int ms) override
    {
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    }

private:
    int fd_ = -1;
    std::string path_;
    sockaddr_un peer_{};
    socklen_t peer_len_ = 0;
};

class PcapPort : public Port {
public:
    ~PcapPort() override
    {
        if (p_) pcap_close(p_);
    }

    bool open(const std::string& iface, std::string& error)
    {
        char err[PCAP_ERRBUF_SIZE] = {};
        p_ = pcap_create(iface.c_str(), err);
        if (!p_) { error = std::string("pcap_create: ") + err; return false; }
        pcap_set_snaplen(p_, 65535);
        pcap_set_promisc(p_, 1);
        pcap_set_timeout(p_, 1);
        pcap_set_immediate_mode(p_, 1);
        pcap_set_buffer_size(p_, 8 << 20);
        if (pcap_activate(p_) < 0) { error = std::string("pcap_activate: ") + pcap_geterr(p_); return false; }
        pcap_setdirection(p_, PCAP_D_IN);   // never read our own frames back
        if (pcap_setnonblock(p_, 1, err) != 0) { error = std::string("pcap_setnonblock: ") + err; return false; }
        fd_ = pcap_get_selectable_fd(p_);
        std::ifstream mac("/sys/class/net/" + iface + "/address");
        std::string text;
        has_mac_ = (mac >> text) && parse_mac(text, mac_);
        return true;
    }

    bool send(const uint8_t* frame, size_t len) override
    {
        return pcap_sendpacket(p_, frame, int(len)) == 0;
    }

    int receive(uint8_t* buf, size_t cap, int timeout_ms) override
    {
        for (int round = 0; round < 2; ++round) {
            pcap_pkthdr* h;
            const u_char* data;
            const int r = pcap_next_ex(p_, &h, &data);
            if (r == 1) {
                if (h->caplen != h->len) return 0;   // truncated by the capture
                const size_t n = h->caplen < cap ? h->caplen : cap;
                std::memcpy(buf, data, n);
                return int(n);
            }
            if (r < 0) return -1;
            if (round == 1 || fd_ < 0) return 0;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, timeout_ms) <= 0) return 0;
        }
        return 0;
    }

    bool own_mac(Mac& out) const override
    {
        if (has_mac_) out = mac_;
        return has_mac_;
    }

private:
    pcap_t* p_ = nullptr;
    int fd_ = -1;
    Mac mac_{};
    bool has_mac_ = false;
};

}  // namespace

std::unique_ptr<Port> open_port(const std::string& link, std::string& error)
{
    if (link.rfind("unix:", 0) == 0) {
        auto p = std::make_unique<UnixPort>();
        if (!p->open(link.substr(5), error)) return nullptr;
        return p;
    }
    if (link.rfind("pcap:", 0) == 0) {
        auto p = std::make_unique<PcapPort>();
        if (!p->open(link.substr(5), error)) return nullptr;
        return p;
    }
    error = "link must be unix:PATH or pcap:IFACE, not " + link;
    return nullptr;
}

}  // namespace cusim
