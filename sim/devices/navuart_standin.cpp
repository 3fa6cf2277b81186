// gprmon-navuart ROOT [MODE]: the serial-port GPS receiver behind the navuart driver, for
// the sandbox ROOT.
//
// Serves the driver's device requests (cu/dev_wire.h) on the Unix socket ROOT/dev/navuart
// with the driver's own ring and sentence logic (kmod/navuart/navuart_nmea.c), into which
// a simulated receiver writes one second of sentences every second. MODE is as for
// gprmon-usbgps (fix, nofix, garbage, badcs, silent; ROOT/sim/navuart/mode overrides it
// while running). Speed and checksum commands are recorded in ROOT/sim/navuart.log.
// Runs until SIGTERM or SIGINT.
#include "cu/dev_wire.h"
#include "kmod/navuart/navuart_nmea.h"
#include "sim/devices/gps_sentences.h"
#include "sim/devices/standin_common.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t kDevRequest = 0x40016C1B;

struct Driver {
    std::vector<unsigned char> mem = std::vector<unsigned char>(NAV_BUF_SIZE);
    nav_ring ring;
    int cs_check = 1; // as at module load
    int speed_index = 2;
    std::string log;

    Driver() { nav_ring_init(&ring, mem.data()); }

    // Answers one request packet as the driver's ioctl; returns the reply length.
    size_t answer(const uint8_t* req, size_t len, uint8_t* reply)
    {
        dev_wire_put_u32(reply, 0);
        if (len < kDevWireHeader + 2 || dev_wire_get_u32(req) != kDevRequest)
            return kDevWireHeader; // other requests do nothing
        unsigned char cmd = req[kDevWireHeader], value = req[kDevWireHeader + 1];
        int speed = -1;
        unsigned n = nav_command(&ring, &cs_check, cmd, value, reply + kDevWireHeader, &speed);
        if (speed >= 0) {
            speed_index = speed;
            standin::log_line(log, "speed " + std::to_string(speed));
        }
        if (cmd == NAV_CMD_CHECKSUM)
            standin::log_line(log, "checksum " + std::to_string(cs_check));
        return kDevWireHeader + n;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: gprmon-navuart ROOT [fix|nofix|garbage|badcs|silent]\n");
        return 2;
    }
    std::string root = argv[1];
    std::string mode = argc > 2 ? argv[2] : "fix";
    std::string sock = root + "/dev/navuart", dir = root + "/sim/navuart";
    mkdir((root + "/dev").c_str(), 0755);
    mkdir((root + "/sim").c_str(), 0755);
    mkdir(dir.c_str(), 0755);
    standin::install_stop_handlers();
    Driver drv;
    drv.log = root + "/sim/navuart.log";

    int lfd = standin::listen_seqpacket(sock);
    if (lfd < 0)
        return 1;

    std::vector<pollfd> fds{{lfd, POLLIN, 0}};
    unsigned tick = 0;
    time_t last = 0;
    std::string shown;
    while (!standin::stop_requested) {
        time_t now = time(nullptr);
        if (now != last) {
            last = now;
            std::string m = standin::read_line(dir + "/mode");
            if (m.empty())
                m = mode;
            if (m != shown) {
                standin::log_line(drv.log, "mode " + m);
                shown = m;
            }
            for (char c : gps_sentences_for(m, tick++))
                nav_ring_put(&drv.ring, static_cast<unsigned char>(c));
        }
        if (poll(fds.data(), fds.size(), 200) < 0 && errno != EINTR)
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
            size_t r = drv.answer(req, static_cast<size_t>(n), reply);
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
    unlink(sock.c_str());
    return 0;
}
