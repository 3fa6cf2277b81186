// Small helpers shared by the device stand-ins: sandbox paths, log lines, signal-driven end.
#pragma once

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace standin {

inline volatile sig_atomic_t stop_requested = 0;

inline void on_signal(int) { stop_requested = 1; }

inline void install_stop_handlers()
{
    struct sigaction sa = {};
    sa.sa_handler = on_signal; // no SA_RESTART: poll() returns so the loop can end
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Appends one line to a log file in the sandbox's records.
inline void log_line(const std::string& path, const std::string& line)
{
    if (FILE* f = fopen(path.c_str(), "a")) {
        fprintf(f, "%s\n", line.c_str());
        fclose(f);
    }
}

// Whole first line of a small text file, "" when missing.
inline std::string read_line(const std::string& path)
{
    std::string s;
    if (FILE* f = fopen(path.c_str(), "r")) {
        char buf[128];
        if (fgets(buf, sizeof buf, f))
            s = buf;
        fclose(f);
    }
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

inline void write_text(const std::string& path, const std::string& text)
{
    std::string tmp = path + ".tmp";
    if (FILE* f = fopen(tmp.c_str(), "w")) {
        fprintf(f, "%s\n", text.c_str());
        fclose(f);
        rename(tmp.c_str(), path.c_str());
    }
}

// A listening Unix sequenced-packet socket at `path`. It is bound under a temporary name and
// renamed into place once it listens, so a client that sees the path can connect at once.
inline int listen_seqpacket(const std::string& path)
{
    std::string tmp = path + ".new";
    struct sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    if (tmp.size() >= sizeof addr.sun_path) {
        fprintf(stderr, "socket path too long: %s\n", path.c_str());
        return -1;
    }
    memcpy(addr.sun_path, tmp.c_str(), tmp.size() + 1);
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    unlink(tmp.c_str());
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0 ||
        rename(tmp.c_str(), path.c_str()) != 0) {
        fprintf(stderr, "cannot listen on %s: %s\n", path.c_str(), strerror(errno));
        if (fd >= 0)
            close(fd);
        return -1;
    }
    return fd;
}

} // namespace standin
