// A device stand-in (sim/devices) run as a child for one test, ended when the holder goes.
#pragma once

#include "support/waits.h"

#include <chrono>
#include <csignal>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class StandinProcess {
public:
    // Starts BINARY_DIR/sim/devices/<name> with the arguments and waits (up to 30 s: a busy
    // machine may start a sanitized program slowly) until `ready_path` exists.
    StandinProcess(const std::string& name, std::vector<std::string> args, const std::string& ready_path)
    {
        std::string exe = std::string(GPRMON_BINARY_DIR) + "/sim/devices/" + name;
        // Made before the fork: the child of a threaded test may not allocate.
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(exe.c_str()));
        for (std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        struct stat st;
        eventually([&] { return lstat(ready_path.c_str(), &st) == 0 || !alive(); }, 30);
        ready_ = lstat(ready_path.c_str(), &st) == 0;
    }
    ~StandinProcess() { stop(); }
    StandinProcess(const StandinProcess&) = delete;
    StandinProcess& operator=(const StandinProcess&) = delete;

    bool ready() const { return ready_; }
    void stop()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    bool alive() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
    pid_t pid_ = -1;
    bool ready_ = false;
};
