#include "cusim/wire_client.h"
#include "support/waits.h"

#include <pcap/pcap.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cutest {

namespace {

class UnixWire : public Wire {
public:
    ~UnixWire() override
    {
        if (fd_ >= 0) close(fd_);
        unlink(own_.c_str());
    }
    bool open(const std::string& cu, std::string& error)
    {
        own_ = cu + ".mon";
        fd_ = socket(AF_UNIX, SOCK_DGRAM, 0);
        unlink(own_.c_str());
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, own_.c_str(), sizeof a.sun_path - 1);
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) { error = strerror(errno); return false; }
        const int size = 4 << 20;
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        peer_.sun_family = AF_UNIX;
        std::strncpy(peer_.sun_path, cu.c_str(), sizeof peer_.sun_path - 1);
        return true;
    }
    bool send(const Bytes& f) override
    {
        return sendto(fd_, f.data(), f.size(), 0, reinterpret_cast<sockaddr*>(&peer_), sizeof peer_) == ssize_t(f.size());
    }
    Bytes receive(int timeout_ms) override
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0) return {};
        Bytes b(65536);
        const ssize_t n = recv(fd_, b.data(), b.size(), MSG_DONTWAIT);
        b.resize(n > 0 ? size_t(n) : 0);
        return b;
    }

private:
    int fd_ = -1;
    std::string own_;
    sockaddr_un peer_{};
};

class PcapWire : public Wire {
public:
    ~PcapWire() override
    {
        if (p_) pcap_close(p_);
    }
    bool open(const std::string& iface, std::string& error)
    {
        char err[PCAP_ERRBUF_SIZE] = {};
        p_ = pcap_create(iface.c_str(), err);
        if (!p_) { error = err; return false; }
        pcap_set_snaplen(p_, 65535);
        pcap_set_promisc(p_, 1);
        pcap_set_immediate_mode(p_, 1);
        pcap_set_buffer_size(p_, 32 << 20);
        if (pcap_activate(p_) < 0) { error = pcap_geterr(p_); return false; }
        pcap_setdirection(p_, PCAP_D_IN);
        pcap_setnonblock(p_, 1, err);
        fd_ = pcap_get_selectable_fd(p_);
        return true;
    }
    bool send(const Bytes& f) override { return pcap_sendpacket(p_, f.data(), int(f.size())) == 0; }
    Bytes receive(int timeout_ms) override
    {
        for (int round = 0; round < 2; ++round) {
            pcap_pkthdr* h;
            const u_char* d;
            if (pcap_next_ex(p_, &h, &d) == 1) return Bytes(d, d + h->caplen);
            if (round == 1) break;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, timeout_ms) <= 0) return {};
        }
        return {};
    }

private:
    pcap_t* p_ = nullptr;
    int fd_ = -1;
};

}  // namespace

std::unique_ptr<Wire> unix_wire(const std::string& cu_path, std::string& error)
{
    auto w = std::make_unique<UnixWire>();
    if (!w->open(cu_path, error)) return nullptr;
    return w;
}

std::unique_ptr<Wire> pcap_wire(const std::string& iface, std::string& error)
{
    auto w = std::make_unique<PcapWire>();
    if (!w->open(iface, error)) return nullptr;
    return w;
}

bool interface_mac(const std::string& iface, Mac6& out)
{
    std::ifstream f("/sys/class/net/" + iface + "/address");
    unsigned v[6];
    std::string s;
    if (!(f >> s) || std::sscanf(s.c_str(), "%x:%x:%x:%x:%x:%x", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) != 6)
        return false;
    for (int i = 0; i < 6; ++i) out[size_t(i)] = uint8_t(v[i]);
    return true;
}

std::string cusim_binary() { return std::string(GPRMON_BINARY_DIR) + "/sim/cu/cusim"; }

bool wait_for_file(const std::string& path, int timeout_ms)
{
    struct stat st;
    return eventually([&] { return stat(path.c_str(), &st) == 0; }, timeout_ms / 1000.0);
}

int run_in_veth_harness(const std::string& filter, const std::string& cusim_options, std::string& out)
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return -1;
    self[n] = 0;
    const std::string tag = std::to_string(getpid());
    const std::string truth = "/tmp/cusim-veth-truth-" + tag, log = "/tmp/cusim-veth-" + tag + ".out";
    const std::string cmd = std::string("CUSIM_VETH_INSIDE=1 ") + GPRMON_SOURCE_DIR + "/sim/netns/veth-harness.sh " +
                            GPRMON_BINARY_DIR + " --truth " + truth + " --cusim '" + cusim_options + "' -- " + self +
                            " --gtest_filter=" + filter + " >" + log + " 2>&1";
    const int status = std::system(cmd.c_str());
    out.clear();
    if (FILE* f = std::fopen(log.c_str(), "r")) {
        char buf[4096];
        size_t k;
        while ((k = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, k);
        std::fclose(f);
    }
    std::remove(log.c_str());
    std::remove(truth.c_str());
    if (out.size() > 20000) out = out.substr(out.size() - 20000);   // the end tells what failed
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

CusimProcess::CusimProcess(const std::vector<std::string>& args)
{
    // Made before the fork: the child of a threaded test may not allocate.
    std::vector<char*> argv;
    std::string bin = cusim_binary();
    argv.push_back(bin.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);   // never outlive a test that died
        execv(bin.c_str(), argv.data());
        _exit(127);
    }
}

int CusimProcess::stop()
{
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

CusimProcess::~CusimProcess() { stop(); }

}  // namespace cutest
