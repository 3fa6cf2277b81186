// gprmon-usbgps ROOT [MODE]: a USB GPS receiver on a pseudo-terminal, for the sandbox ROOT.
//
// ROOT/dev/ttyUSB0 is made a symbolic link to the terminal's slave side, so the monitor's
// own termios code opens and reads it. Once a second the receiver writes, by MODE:
//   fix      a GGA sentence with a position fix (and an RMC sentence, as receivers do)
//   nofix    a GGA sentence without a fix (empty position and quality fields)
//   garbage  line noise: random bytes, broken and checksum-less sentences
//   silent   nothing (a receiver that stopped talking)
// MODE comes from the command line (default: GPRMON_USBGPS_MODE, else fix); the file
// ROOT/sim/usbgps/mode, when present, overrides it and is read again every second, so a
// test can switch modes while the monitor runs. Lines written go to ROOT/sim/usbgps.log
// only when the mode changes. Runs until SIGTERM or SIGINT.
#include "sim/devices/standin_common.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::string with_checksum(const std::string& body)
{
    unsigned cs = 0;
    for (char c : body)
        cs ^= static_cast<unsigned char>(c);
    char tail[8];
    snprintf(tail, sizeof tail, "*%02X\r\n", cs);
    return "$" + body + tail;
}

std::string utc_time_field()
{
    time_t now = time(nullptr);
    struct tm tm;
    gmtime_r(&now, &tm);
    char buf[16];
    snprintf(buf, sizeof buf, "%02d%02d%02d.00", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::string sentences_for(const std::string& mode, unsigned tick)
{
    std::string t = utc_time_field();
    if (mode == "fix") {
        // A slow walk north-east, so successive fixes differ.
        char body[128];
        snprintf(body, sizeof body, "GPGGA,%s,5740.%04u,N,01158.%04u,E,1,08,0.9,45.3,M,38.2,M,,",
                 t.c_str(), 1234 + tick % 8000, 5678 + tick % 4000);
        char rmc[128];
        snprintf(rmc, sizeof rmc, "GPRMC,%s,A,5740.%04u,N,01158.%04u,E,0.5,45.0,,,", t.c_str(),
                 1234 + tick % 8000, 5678 + tick % 4000);
        return with_checksum(body) + with_checksum(rmc);
    }
    if (mode == "nofix")
        return with_checksum("GPGGA," + t + ",,,,,,00,99.9,,M,,M,,");
    if (mode == "garbage") {
        std::string s;
        for (int i = 0; i < 60; i++)
            s += static_cast<char>(rand() & 0xFF);
        s += "\r\n$GPGG*\r\n$GPGGA,12\xff\x01\r\n#%&!\r\n";
        return s;
    }
    return "";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: gprmon-usbgps ROOT [fix|nofix|garbage|silent]\n");
        return 2;
    }
    std::string root = argv[1];
    std::string mode = argc > 2 ? argv[2] : (getenv("GPRMON_USBGPS_MODE") ? getenv("GPRMON_USBGPS_MODE") : "fix");
    std::string dir = root + "/sim/usbgps", link = root + "/dev/ttyUSB0", log = root + "/sim/usbgps.log";
    mkdir((root + "/dev").c_str(), 0755);
    mkdir((root + "/sim").c_str(), 0755);
    mkdir(dir.c_str(), 0755);
    standin::install_stop_handlers();
    srand(static_cast<unsigned>(getpid()));

    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        fprintf(stderr, "gprmon-usbgps: no pseudo-terminal: %s\n", strerror(errno));
        return 1;
    }
    std::string slave_name = ptsname(master);
    // Holding the slave open keeps the terminal alive while the monitor closes and reopens
    // it, as a plugged-in receiver stays present.
    int slave = open(slave_name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) {
        struct termios t;
        if (tcgetattr(slave, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(slave, TCSANOW, &t);
        }
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    unlink(link.c_str());
    if (symlink(slave_name.c_str(), link.c_str()) != 0) {
        fprintf(stderr, "gprmon-usbgps: cannot link %s: %s\n", link.c_str(), strerror(errno));
        return 1;
    }
    standin::log_line(log, "pty " + slave_name);

    std::string shown;
    unsigned tick = 0;
    while (!standin::stop_requested) {
        std::string m = standin::read_line(dir + "/mode");
        if (m.empty())
            m = mode;
        if (m != shown) {
            standin::log_line(log, "mode " + m);
            shown = m;
        }
        std::string out = sentences_for(m, tick++);
        // A full terminal queue (nobody reading) drops the second's output, as a serial
        // line would.
        if (!out.empty() && write(master, out.data(), out.size()) < 0 && errno != EAGAIN)
            standin::log_line(log, std::string("write failed: ") + strerror(errno));
        // Drain what the terminal echoes back (before the monitor turns echo off).
        for (int waited = 0; waited < 1000 && !standin::stop_requested; waited += 100) {
            struct pollfd p = {master, POLLIN, 0};
            if (poll(&p, 1, 100) == 1 && (p.revents & POLLIN)) {
                char sink[512];
                if (read(master, sink, sizeof sink) < 0 && errno != EAGAIN)
                    break;
            }
        }
    }
    unlink(link.c_str());
    if (slave >= 0)
        close(slave);
    close(master);
    return 0;
}
