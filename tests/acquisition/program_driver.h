// The whole program as a child process: gprmon headless in a sandbox, its keypad on a named
// pipe that the test writes into as the run goes on (after the program printed what it
// reached), so the keys keep pace with a loaded machine; its output in a file.
#pragma once

#include "support/sandbox.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <sys/types.h>
#include <vector>

class Program {
public:
    pid_t pid = -1;
    std::string out_path, fifo, shots;
    int fd = -1;

    // Starts gprmon in the sandbox; its output goes to ROOT/sim/RUN.out. `wrapper` is a
    // command the program is started through (its arguments end with the program's).
    bool start(const Sandbox& sb, const std::string& run = "gprmon", const std::vector<std::string>& wrapper = {});
    void send(std::initializer_list<const char*> lines);
    std::string output() const;
    // Position after `needle` found at or after `from`, or npos after `seconds`.
    size_t wait_out(const std::string& needle, size_t from, double seconds) const;
    bool wait_shot(const std::string& name, double seconds) const;
    // Ends the run through the orderly power-off: the exit status, -1 when it had to be killed.
    int finish();
    // Sends `sig` and waits for the end: the exit status, 128 + signal when ended by one.
    int end_with(int sig);
    ~Program();
};

// Links (on) or unlinks a mount point of the sandbox to its partition folder, so a test can
// put the settings the program starts with on a partition that is not mounted yet.
bool link_partition(const Sandbox& sb, const char* mount_point, const char* device, bool on);

// Puts the settings the program starts with on the settings partition (its folder, as the
// partition is not mounted yet): the stored (or default) ones, in the given units (1 SI, 0
// imperial), the wheel trigger, 1000 pulses per metre and a trace every centimetre (0.3937
// inch). `more` changes them further (xml_pars) before they are written.
bool store_settings(const Sandbox& sb, int units, const std::function<void()>& more = {});
// For `more`: the current wheel counts up as the cart runs forward, and so do the profiles.
void forward_wheel();
// cusim's cart for those settings: a wheel of 1000 pulses per metre running `path` at `speed`
// metres a second, the CU taking up to `max_rate` traces a second.
std::vector<std::string> cart_args(const std::string& path, const std::string& speed = "0.5",
                                   const std::string& max_rate = "100000");
