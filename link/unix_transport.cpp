// The simulated wire: one Unix datagram per Ethernet frame between the monitor (bound at
// PATH.mon) and the CU simulator (bound at PATH); wlan0 uses PATH.wlan0 (the monitor at
// PATH.wlan0.mon), which the simulator serves as its second link. A send never waits: an
// absent or busy simulator loses the frame as a busy wire would.
#include "link/transport.h"

#include "platform/host_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kSocketBuffer = 4 * 1024 * 1024;
constexpr size_t kMaxFrame = 65535;

bool fill_addr(const std::string& path, sockaddr_un* a)
{
    memset(a, 0, sizeof *a);
    a->sun_family = AF_UNIX;
    if (path.size() >= sizeof a->sun_path)
        return false;
    memcpy(a->sun_path, path.c_str(), path.size() + 1);
    return true;
}

void set_buffers(int fd)
{
    int sz = kSocketBuffer;
    // The FORCE variants pass the system limit when we may (root); else take what we get.
    if (setsockopt(fd, SOL_SOCKET, SO_SNDBUFFORCE, &sz, sizeof sz) != 0)
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sz, sizeof sz);
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &sz, sizeof sz) != 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &sz, sizeof sz);
}

class CUnixTransport : public CLinkTransport {
public:
    explicit CUnixTransport(const char* path) : peer_path_(path ? path : "") {}
    ~CUnixTransport() override
    {
        close();
        if (wake_fd_ >= 0)
            ::close(wake_fd_);
    }

    // The simulated device keeps its interfaces' addresses in the sandbox.
    int own_mac(const char* ifname, uint8_t out[6]) override
    {
        char dev[128];
        snprintf(dev, sizeof dev, "/sys/class/net/%s/address", ifname);
        FILE* f = fopen(host_path(dev).c_str(), "r");
        if (!f)
            return -1;
        char text[64] = {0};
        size_t n = fread(text, 1, sizeof text - 1, f);
        fclose(f);
        text[n] = 0;
        return parse_mac_text(text, out) ? 0 : -2;
    }

    int open(const char* ifname, char* errbuf) override
    {
        // The wireless interface reaches the simulator on a socket of its own.
        const std::string peer = strcmp(ifname, "wlan0") == 0 ? peer_path_ + ".wlan0" : peer_path_;
        std::string own = peer + ".mon";
        if (!fill_addr(peer, &peer_) || !fill_addr(own, &own_)) {
            snprintf(errbuf, kLinkErrbufSize, "%s: socket path too long", ifname);
            return -1;
        }
        fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) {
            snprintf(errbuf, kLinkErrbufSize, "%s: socket: %s", ifname, strerror(errno));
            return -1;
        }
        unlink(own.c_str());
        if (bind(fd_, reinterpret_cast<sockaddr*>(&own_), sizeof own_) != 0) {
            snprintf(errbuf, kLinkErrbufSize, "%s: bind %s: %s", ifname, own.c_str(),
                     strerror(errno));
            ::close(fd_);
            fd_ = -1;
            return -1;
        }
        set_buffers(fd_);
        if (wake_fd_ < 0)
            wake_fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        return 0;
    }

    int next(const uint8_t** data, uint32_t* caplen, uint32_t* wirelen) override
    {
        if (fd_ < 0)
            return -1;
        for (;;) {
            pollfd p[2] = {{fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
            int r = poll(p, wake_fd_ >= 0 ? 2 : 1, -1);
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            if (wake_fd_ >= 0 && (p[1].revents & POLLIN)) {
                uint64_t v;
                if (read(wake_fd_, &v, sizeof v) < 0) {
                }
                return -2;
            }
            ssize_t n = recv(fd_, buf_, sizeof buf_, MSG_TRUNC | MSG_DONTWAIT);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                return -1;
            }
            *data = buf_;
            *wirelen = uint32_t(n);
            *caplen = uint32_t(size_t(n) < sizeof buf_ ? size_t(n) : sizeof buf_);
            return 1;
        }
    }

    int send(const uint8_t* frame, int len) override
    {
        if (fd_ < 0 || len <= 0 || size_t(len) > kMaxFrame)
            return -1;
        ssize_t n = sendto(fd_, frame, size_t(len), MSG_DONTWAIT,
                           reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_);
        if (n == len)
            return 0;
        // No simulator listening, or its queue is full: the frame is lost on the wire.
        if (n < 0 && (errno == ENOENT || errno == ECONNREFUSED || errno == EAGAIN ||
                      errno == ENOBUFS))
            return 0;
        return -1;
    }

    void wake() override
    {
        if (wake_fd_ >= 0) {
            uint64_t one = 1;
            if (write(wake_fd_, &one, sizeof one) < 0) {
            }
        }
    }

    void close() override
    {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
            unlink(own_.sun_path);
        }
        if (wake_fd_ >= 0) { // a wake left over from this session must not end the next
            uint64_t v;
            while (read(wake_fd_, &v, sizeof v) > 0) {
            }
        }
    }

private:
    std::string peer_path_;
    sockaddr_un peer_{}, own_{};
    int fd_ = -1;
    int wake_fd_ = -1;
    uint8_t buf_[kMaxFrame];
};

} // namespace

CLinkTransport* new_unix_transport(const char* socket_path)
{
    return new CUnixTransport(socket_path);
}
