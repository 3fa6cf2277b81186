// The whole program as a child process for end-to-end tests: gprmon headless in the test's
// sandbox, its keypad a named pipe the test writes into as the run goes on (after the program
// printed what it reached, or saved a screenshot asked for), its output in a file. And the
// screenshots it saves, read back as RGB pixels.
#pragma once

#include "support/sandbox.h"

#include <png.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct Png {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    bool load(const std::string& path)
    {
        png_image img{};
        img.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&img, path.c_str()))
            return false;
        img.format = PNG_FORMAT_RGB;
        rgb.resize(PNG_IMAGE_SIZE(img));
        if (!png_image_finish_read(&img, nullptr, rgb.data(), 0, nullptr))
            return false;
        w = int(img.width);
        h = int(img.height);
        return true;
    }
    int lum(int x, int y) const
    {
        const uint8_t* p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
        return (p[0] + p[1] + p[2]) / 3;
    }
    bool is(int x, int y, int r, int g, int b, int tol = 12) const
    {
        const uint8_t* p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
        return std::abs(p[0] - r) <= tol && std::abs(p[1] - g) <= tol && std::abs(p[2] - b) <= tol;
    }
};

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
        unlink(fifo.c_str()); // a program run before this one left its pipe
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
