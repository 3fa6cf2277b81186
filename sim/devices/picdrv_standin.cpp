// gprmon-picdrv ROOT: the monitor's power controller, for the sandbox ROOT.
//
// Serves the power controller's requests (cu/dev_wire.h) on the Unix socket ROOT/dev/picdrv,
// where the monitor's device path "/dev/picdrv" leads in simulation.
//   ROOT/sim/picdrv/battery     battery level answered to {202, 10} (0..255; tests write it;
//                               250 when missing; "180 200" answers 180 once, then 200)
//   ROOT/sim/picdrv/backlight   the last backlight level set ({200, level})
//   ROOT/sim/picdrv/shutdown    the last switch-off mode requested ({201, mode})
//   ROOT/sim/picdrv.log         one line per backlight or switch-off request
// Runs until SIGTERM or SIGINT.
#include "cu/dev_wire.h"
#include "sim/devices/standin_common.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t kDevRequest = 0x40016C1B;
constexpr int kDefaultBattery = 250;

struct Paths {
    std::string socket, dir, log;
};

// The battery file holds one level, or several separated by blanks: each query then takes
// the first and leaves the rest for the next ones (the last level stays), so tests can
// script the readings the monitor takes within one second.
int battery_level(const Paths& p)
{
    const std::string path = p.dir + "/battery";
    std::string s = standin::read_line(path);
    if (s.empty())
        return kDefaultBattery;
    size_t sp = s.find(' ');
    if (sp != std::string::npos) {
        size_t rest = s.find_first_not_of(' ', sp);
        if (rest != std::string::npos)
            standin::write_text(path, s.substr(rest));
    }
    int v = atoi(s.c_str());
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

// Answers one request packet; returns the reply length.
size_t answer(const Paths& p, const uint8_t* req, size_t len, uint8_t* reply)
{
    int32_t result = 0;
    size_t out = 0;
    if (len < kDevWireHeader + 2 || dev_wire_get_u32(req) != kDevRequest) {
        result = -1; // the real driver refuses unknown requests
    } else {
        uint8_t cmd = req[kDevWireHeader], value = req[kDevWireHeader + 1];
        switch (cmd) {
        case 200:
            standin::write_text(p.dir + "/backlight", std::to_string(value));
            standin::log_line(p.log, "backlight " + std::to_string(value));
            break;
        case 201:
            standin::write_text(p.dir + "/shutdown", std::to_string(value));
            standin::log_line(p.log, "shutdown " + std::to_string(value));
            break;
        case 202:
            reply[kDevWireHeader] = static_cast<uint8_t>(battery_level(p));
            out = 1;
            break;
        default:
            break;
        }
    }
    dev_wire_put_u32(reply, static_cast<uint32_t>(result));
    return kDevWireHeader + out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: gprmon-picdrv ROOT\n");
        return 2;
    }
    std::string root = argv[1];
    Paths p{root + "/dev/picdrv", root + "/sim/picdrv", root + "/sim/picdrv.log"};
    mkdir((root + "/dev").c_str(), 0755);
    mkdir((root + "/sim").c_str(), 0755);
    mkdir(p.dir.c_str(), 0755);
    standin::install_stop_handlers();

    int lfd = standin::listen_seqpacket(p.socket);
    if (lfd < 0)
        return 1;

    std::vector<pollfd> fds{{lfd, POLLIN, 0}};
    while (!standin::stop_requested) {
        if (poll(fds.data(), fds.size(), 500) < 0 && errno != EINTR)
            break;
        for (size_t i = fds.size(); i-- > 1;) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            uint8_t req[kDevWireHeader + kDevWireMaxBuf], reply[kDevWireHeader + kDevWireMaxBuf];
            ssize_t n = recv(fds[i].fd, req, sizeof req, 0);
            if (n <= 0) {
                close(fds[i].fd);
                fds.erase(fds.begin() + static_cast<long>(i));
                continue;
            }
            size_t r = answer(p, req, static_cast<size_t>(n), reply);
            send(fds[i].fd, reply, r, MSG_NOSIGNAL);
        }
        if (fds[0].revents & POLLIN) {
            int c = accept4(lfd, nullptr, nullptr, SOCK_CLOEXEC);
            if (c >= 0)
                fds.push_back({c, POLLIN, 0});
        }
    }
    for (pollfd& f : fds)
        close(f.fd);
    unlink(p.socket.c_str());
    return 0;
}
