// A private simulated device for one test: a fresh folder laid out by sim/make-sandbox.sh,
// named by GPRMON_ROOT while the object lives, removed afterwards.
#pragma once

#include <string>

class Sandbox {
public:
    // A new device is laid out as shut down cleanly (the clean-shutdown marker in place);
    // NeverShutDown leaves the marker out, as on a device that lost its power before its
    // first orderly end.
    enum Layout { ShutDownCleanly, NeverShutDown };
    explicit Sandbox(Layout layout = ShutDownCleanly);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::string& root() const { return root_; }
    // Host path of a device path inside this sandbox.
    std::string path(const std::string& device_path) const { return root_ + device_path; }
    // Lines the stand-ins and run_shell recorded.
    std::string commands_log() const;
    std::string standins_log() const;

private:
    std::string root_;
    std::string old_root_;
    bool had_old_root_ = false;
};

// Whole contents of a file ("" when missing).
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

// sim/small-partition.sh can give the program a small file system (a user and mount namespace
// of its own). Not where such namespaces are refused, as inside a chroot (the 32-bit root).
bool small_partitions_possible();
