// gprmon-usbgps ROOT [MODE]: a USB GPS receiver on a pseudo-terminal, for the sandbox ROOT.
//
// ROOT/dev/ttyUSB0 is made a symbolic link to the terminal's slave side, so the monitor's
// own termios code opens and reads it. Once a second the receiver writes, by MODE:
//   fix      a GGA sentence with a position fix (and an RMC sentence, as receivers do)
//   nofix    a GGA sentence without a fix (empty position and quality fields)
//   garbage  line noise: random bytes, broken and checksum-less sentences
//   badcs    a GGA sentence with a fix but a wrong checksum
//   silent   nothing (a receiver that stopped talking)
// MODE comes from the command line (default: GPRMON_USBGPS_MODE, else fix); the file
// ROOT/sim/usbgps/mode, when present, overrides it and is read again every second, so a
// test can switch modes while the monitor runs. Lines written go to ROOT/sim/usbgps.log
// only when the mode changes. Runs until SIGTERM or SIGINT.
#include "sim/devices/gps_sentences.h"
#include "sim/devices/standin_common.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>


int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: gprmon-usbgps ROOT [fix|nofix|garbage|badcs|silent]\n");
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
        std::string out = gps_sentences_for(m, tick++);
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
