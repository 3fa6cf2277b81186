// The whole program as a child process for end-to-end tests: gprmon headless in a sandbox,
// its scripted keypad on a named pipe the test writes into as the run goes on (after the
// program printed what it reached), so the keys keep pace with a loaded machine.
#pragma once

#include "support/sandbox.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// gprmon with its keypad on a named pipe and its output in a file.
class Program {
public:
    pid_t pid = -1;
    std::string out_path, fifo, shots;
    int fd = -1;

    bool start(const Sandbox& sb)
    {
        out_path = sb.root() + "/sim/gprmon.out";
        fifo = sb.root() + "/sim/keys.fifo";
        shots = sb.root() + "/sim/shots";
        mkdir(shots.c_str(), 0755);
        if (mkfifo(fifo.c_str(), 0600) != 0)
            return false;
        pid = fork();
        if (pid == 0) {
            if (chdir((sb.root() + "/work").c_str()) != 0 || !freopen(out_path.c_str(), "w", stdout))
                _exit(126);
            dup2(fileno(stdout), 2);
            setenv("GPRMON_KEYS", fifo.c_str(), 1);
            setenv("GPRMON_SHOTS", shots.c_str(), 1);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            // Line-buffered output, so that the test sees each line as it is printed (the
            // sanitizer runtime must then not insist on being loaded first).
            const char* asan = getenv("ASAN_OPTIONS");
            setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
            const std::string exe = std::string(GPRMON_BINARY_DIR) + "/gprmon";
            execlp("stdbuf", "stdbuf", "-oL", "-eL", exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // The program opens the pipe when its key script starts.
        for (int i = 0; i < 600 && fd < 0; i++) {
            fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd < 0)
                usleep(50000);
        }
        return fd >= 0;
    }
    void send(std::initializer_list<const char*> lines)
    {
        for (const char* l : lines) {
            std::string s = std::string(l) + "\n";
            for (size_t done = 0; done < s.size();) {
                const ssize_t n = write(fd, s.data() + done, s.size() - done);
                if (n > 0)
                    done += size_t(n);
                else if (errno == EAGAIN)
                    usleep(10000);
                else
                    return;
            }
        }
    }
    std::string output() const { return read_file(out_path); }
    // Position after `needle` found at or after `from`, or npos after `seconds`.
    size_t wait_out(const std::string& needle, size_t from, double seconds) const
    {
        for (int i = 0; i < int(seconds * 20); i++) {
            const std::string o = output();
            const size_t p = o.find(needle, from);
            if (p != std::string::npos)
                return p + needle.size();
            usleep(50000);
        }
        return std::string::npos;
    }
    bool wait_shot(const std::string& name, double seconds) const
    {
        const std::string p = shots + "/" + name + ".png";
        for (int i = 0; i < int(seconds * 20); i++) {
            struct stat st;
            if (stat(p.c_str(), &st) == 0 && st.st_size > 0) {
                usleep(300000); // written whole
                return true;
            }
            usleep(50000);
        }
        return false;
    }
    // Ends the run through the orderly power-off: the exit status, -1 when it had to be killed.
    int finish()
    {
        if (pid <= 0)
            return -1;
        send({"quit"});
        return wait_exit();
    }
    // The system's kill: SIGTERM, then the exit status as for finish.
    int terminate()
    {
        if (pid <= 0)
            return -1;
        kill(pid, SIGTERM);
        return wait_exit();
    }
    int wait_exit()
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
        int status = 0;
        for (int i = 0; i < 600; i++) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(50000);
        }
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        pid = -1;
        return -1;
    }
    ~Program()
    {
        if (fd >= 0)
            close(fd);
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

// Links (on) or unlinks a mount point of the sandbox to its partition folder, so a test can
// put the settings the program starts with on a partition that is not mounted yet.
inline bool link_partition(const Sandbox& sb, const char* mount_point, const char* device, bool on)
{
    const std::string m = sb.path(mount_point), d = sb.path(device);
    return system((on ? "rmdir '" + m + "' && ln -s '" + d + "' '" + m + "'"
                      : "{ [ ! -L '" + m + "' ] || rm '" + m + "'; } && { [ -d '" + m + "' ] || mkdir '" + m +
                            "'; }")
                      .c_str()) == 0;
}
