#include "cu/dev_request.h"

#include "cu/dev_wire.h"
#include "platform/host_paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A stand-in that does not answer within this time counts as a failed request, so the
// timer thread never hangs on a simulated device (a busy host may hold the stand-in back
// for a while; one that has ended is noticed at once).
constexpr int kReplyTimeoutMs = 3000;

// Requests on one socket must not interleave their packets: the battery poll (timer thread)
// and the backlight (GUI thread) share the power controller's descriptor.
std::mutex wire_mutex;

bool is_socket(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode);
}

int connect_socket(const std::string& path)
{
    struct sockaddr_un addr;
    memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return -1;
    memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int wire_request(int fd, unsigned long request, void* buf, size_t buf_len)
{
    uint8_t pkt[kDevWireHeader + kDevWireMaxBuf];
    size_t n = buf_len < kDevWireMaxBuf ? buf_len : kDevWireMaxBuf;

    std::lock_guard<std::mutex> g(wire_mutex);
    // The late reply to a request that timed out must not pass for the answer to this one
    // (and every later answer for the one before it).
    while (recv(fd, pkt, sizeof pkt, MSG_DONTWAIT) > 0) {
    }
    dev_wire_put_u32(pkt, static_cast<uint32_t>(request));
    memcpy(pkt + kDevWireHeader, buf, n);
    if (send(fd, pkt, kDevWireHeader + n, MSG_NOSIGNAL) != static_cast<ssize_t>(kDevWireHeader + n))
        return -1;
    struct pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, kReplyTimeoutMs) != 1)
        return -1;
    ssize_t got = recv(fd, pkt, sizeof pkt, 0);
    if (got < static_cast<ssize_t>(kDevWireHeader))
        return -1;
    size_t reply = static_cast<size_t>(got) - kDevWireHeader;
    memcpy(buf, pkt + kDevWireHeader, reply < buf_len ? reply : buf_len);
    return static_cast<int32_t>(dev_wire_get_u32(pkt));
}

} // namespace

int dev_open(const char* device_path)
{
    std::string path = host_path(device_path);
    if (sim_active()) {
        // The stand-ins start beside the monitor; give a node that is about to appear a
        // moment instead of failing the start-up open.
        struct stat st;
        for (int i = 0; i < 25 && lstat(path.c_str(), &st) != 0; i++)
            usleep(20000);
        if (stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            return connect_socket(path);
    }
    return open(path.c_str(), O_RDWR | O_CLOEXEC);
}

int dev_request(int fd, unsigned long request, void* buf, size_t buf_len)
{
    if (fd < 0 || !buf)
        return -1;
    if (sim_active() && is_socket(fd))
        return wire_request(fd, request, buf, buf_len);
    return ioctl(fd, request, buf);
}

int dev_io_control(int fd, unsigned int request, void* in, unsigned int in_len, void* out,
                   unsigned int out_len, unsigned int* ret)
{
    int result = -1;
    if (fd >= 0) {
        void* buf = in;
        unsigned int len = in_len;
        if (out) {
            memcpy(out, in, in_len < out_len ? in_len : out_len);
            buf = out;
            len = out_len;
        }
        result = dev_request(fd, request, buf, len);
    }
    if (ret)
        *ret = static_cast<unsigned int>(result);
    return result;
}

void dev_close(int fd)
{
    if (fd >= 0)
        close(fd);
}
