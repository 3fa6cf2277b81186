// The monitor's end of a real link for the tests: a Unix datagram socket bound at PATH.mon that
// sends to PATH, or libpcap on an interface; plus the cusim program run as a child process.
#pragma once

#include "cusim/cu_client.h"

#include <memory>
#include <string>
#include <vector>

namespace cutest {

class Wire {
public:
    virtual ~Wire() = default;
    virtual bool send(const Bytes& frame) = 0;
    // One frame, or an empty one after timeout_ms.
    virtual Bytes receive(int timeout_ms) = 0;
};

std::unique_ptr<Wire> unix_wire(const std::string& cu_path, std::string& error);
std::unique_ptr<Wire> pcap_wire(const std::string& iface, std::string& error);
bool interface_mac(const std::string& iface, Mac6& out);

// cusim as a child process; killed (SIGTERM) and reaped by the destructor.
class CusimProcess {
public:
    CusimProcess(const std::vector<std::string>& args);
    ~CusimProcess();
    bool running() const { return pid_ > 0; }
    int stop();   // SIGTERM, wait; the exit status
private:
    int pid_ = -1;
};

std::string cusim_binary();
// Runs this test program again inside the veth harness (sim/netns/veth-harness.sh), limited to
// the test `filter`, with CUSIM_VETH_INSIDE=1; cusim runs on the far end with `cusim_options`.
// Returns the exit status (77: the harness cannot run here) and the output in out.
int run_in_veth_harness(const std::string& filter, const std::string& cusim_options, std::string& out);

// Waits until path exists (a socket being bound); false after timeout_ms.
bool wait_for_file(const std::string& path, int timeout_ms);

}  // namespace cutest
