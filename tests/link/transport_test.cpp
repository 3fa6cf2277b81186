// The same link over each transport: the built-in CU emulator on an in-memory wire, a CU
// peer on a Unix datagram socket (GPRMON_LINK=unix:PATH), and real libpcap over a veth pair
// between two network namespaces.
#include "link_rig.h"

#include "platform/globals.h"
#include "platform/host_paths.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Whether the link learnt the CU's MAC, read under its address lock as its threads do.
bool learnt_cu_mac(CEthernet& l)
{
    ::MutexLock g(l.eth_mtx4);
    return memcmp(l.out_frame.dst, kCuMac, 6) == 0;
}

uint32_t queued(CEthernet& l) { return (l.tr_write + kDescCount - l.tr_read) % kDescCount; }

// The emulated CU's ramp: each sample 10 above the last, stored offset by 0x8000.
int32_t ramp_sample(uint32_t i) { return int32_t(uint32_t(int16_t(uint16_t(0x8000 + 10 * i))) << 16); }

// Discovery, a sample count, then two emulated traces, checked sample by sample. Returns
// a description of the first failure ("" when all is well).
std::string exercise_emulated_cu(CEthernet& mon, RecordingSink& sink)
{
    eep.samples = 300;
    eep.auto_stacks = 0;
    eep.auto_stack_value = 0;
    eep.trig_code = 0;
    // Every answer comes; the emulated CU's thread may just be slow to run on a loaded machine,
    // so the time-out only guards against a fault.
    mon.answer_timeout = 30000;
    int r = mon.SendBroadcast();
    if (r != 0)
        return "discovery: " + std::to_string(r);
    if (!learnt_cu_mac(mon))
        return "the CU's MAC was not learnt";
    if ((r = mon.cmd_inject(1, 0, 300)) != 0)
        return "sample count: " + std::to_string(r);
    if ((r = mon.cmd_inject(61, 0, 1)) != 0 || CEthernet::GetSwapLong(mon.cur_answer.payload, 0) != 0x3000F001)
        return "versions: " + std::to_string(r);
    sink.meas = true;
    for (int t = 0; t < 2; t++) {
        if ((r = mon.cmd_inject(14, 0)) != 0)
            return "trace command: " + std::to_string(r);
        if (queued(mon) != uint32_t(t + 1))
            return "trace " + std::to_string(t) + " was not queued";
        r = mon.GetMeaData((mon.tr_write + kDescCount - 1) % kDescCount);
        if (r != 0)
            return "GetMeaData: " + std::to_string(r);
        const std::vector<int32_t>& s = sink.samples.back();
        if (s.size() != 300)
            return "sample count " + std::to_string(s.size());
        for (uint32_t i = 0; i < 300; i++)
            if (s[i] != ramp_sample(uint32_t(t) * 300 + i))
                return "sample " + std::to_string(i) + " of trace " + std::to_string(t);
    }
    return "";
}

} // namespace

TEST(CuEmulator, AnswersDiscoveryCommandsAndSendsTheRampTrace)
{
    LinkRig mon;
    CMemoryTransport cu_wire;
    memcpy(cu_wire.eth0_mac, kCuMac, 6);
    std::unique_ptr<CEthernet> cu(new CEthernet);
    cu->set_transport(&cu_wire);
    // One wire: what one end sends, the other captures.
    mon.wire.on_send = [&](const Bytes& f) { cu_wire.inject(f); };
    cu_wire.on_send = [&](const Bytes& f) { mon.wire.inject(f); };
    mon.open(false, false);
    cu->eth_first_Init();
    cu->eth_Init();
    cu->emulate_cu(true);

    EXPECT_EQ("", exercise_emulated_cu(*mon.link, mon.sink));

    cu->kill_thread();
    cu_wire.on_send = nullptr;
    mon.wire.on_send = nullptr;
}

TEST(CuEmulator, UnknownCommandsAndForeignFramesGetNoAnswer)
{
    LinkRig mon;
    CMemoryTransport cu_wire;
    memcpy(cu_wire.eth0_mac, kCuMac, 6);
    std::unique_ptr<CEthernet> cu(new CEthernet);
    cu->set_transport(&cu_wire);
    mon.wire.on_send = [&](const Bytes& f) { cu_wire.inject(f); };
    cu_wire.on_send = [&](const Bytes& f) { mon.wire.inject(f); };
    mon.open(false, false);
    cu->eth_first_Init();
    cu->eth_Init();
    cu->emulate_cu(true);
    // Before discovery the monitor's commands go to the broadcast address: not for this CU.
    mon.link->answer_timeout = 20;
    EXPECT_EQ(733, mon.link->cmd_inject(77, 0));
    mon.link->answer_timeout = 1000;
    ASSERT_EQ(0, mon.link->SendBroadcast());
    EXPECT_EQ(0, mon.link->cmd_inject(77, 0));
    EXPECT_EQ(385, CEthernet::GetSwapShort(mon.link->cur_answer.payload, 0));
    mon.link->answer_timeout = 20;
    EXPECT_EQ(733, mon.link->cmd_inject(9999, 0));
    cu->kill_thread();
    cu_wire.on_send = nullptr;
    mon.wire.on_send = nullptr;
}

// ---- Unix datagram socket ----

namespace {

class UnixPeer {
public:
    explicit UnixPeer(const std::string& path) : path_(path)
    {
        fd_ = socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
        unlink(path.c_str());
        bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        timeval tv{0, 100000};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        th_ = std::thread([this] { run(); });
    }
    ~UnixPeer()
    {
        stop_ = true;
        th_.join();
        close(fd_);
        unlink(path_.c_str());
    }
    bool bound() const { return bound_; }
    std::atomic<int> frames{0};
    std::atomic<int> from_mon_address{0};

private:
    void run()
    {
        uint8_t buf[70000];
        while (!stop_) {
            sockaddr_un from{};
            socklen_t fl = sizeof from;
            ssize_t n = recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fl);
            if (n <= 0)
                continue;
            frames++;
            if (std::string(from.sun_path) == path_ + ".mon")
                from_mon_address++;
            SentCommand c;
            if (!parse_command(Bytes(buf, buf + n), &c))
                continue;
            CuFrame a;
            a.kind = 1;
            a.answered = c.packet;
            a.payload = Bytes(80, 0);
            if (c.cmd == 0xFFFF)
                a.payload[0] = a.payload[1] = 0xFF;
            else
                a.payload[3] = uint8_t(c.cmd);
            Bytes f = a.build();
            sendto(fd_, f.data(), f.size(), 0, reinterpret_cast<sockaddr*>(&from), fl);
        }
    }
    std::string path_;
    int fd_ = -1;
    bool bound_ = false;
    std::atomic<bool> stop_{false};
    std::thread th_;
};

struct EnvGuard {
    explicit EnvGuard(const std::string& v) { setenv("GPRMON_LINK", v.c_str(), 1); }
    ~EnvGuard() { unsetenv("GPRMON_LINK"); }
};

} // namespace

TEST(UnixLink, ExchangesFramesWithASimulatorAndReadsTheSandboxMacs)
{
    Sandbox sb;
    sim_reload_root();
    std::string path = sb.path("/sim/cu.sock");
    EnvGuard env("unix:" + path);
    CParameters saved = prm;
    prm.udp_mode = 0;
    prm.wifi_link = 0;
    {
        std::unique_ptr<CEthernet> l(new CEthernet); // transport chosen by GPRMON_LINK
        ASSERT_EQ(0, l->eth_first_Init());
        EXPECT_EQ(0, memcmp(l->eth_mac, kEth0Mac, 6));
        EXPECT_EQ(0, memcmp(l->wlan_mac, kWlan0Mac, 6));
        ASSERT_EQ(0, l->eth_Init());
        EXPECT_EQ(-7, l->eth_Init());
        // No simulator yet: the frame is lost on the wire, not a send failure.
        l->answer_timeout = 10;
        EXPECT_EQ(733, l->cmd_inject(2, 0));
        {
            UnixPeer cu(path);
            ASSERT_TRUE(cu.bound());
            l->answer_timeout = 1000;
            EXPECT_EQ(0, l->SendBroadcast());
            EXPECT_TRUE(learnt_cu_mac(*l));
            EXPECT_EQ(0, l->cmd_inject(61, 0, 1));
            EXPECT_EQ(61, l->cur_answer.payload[3]);
            EXPECT_EQ(2, cu.from_mon_address.load()) << "the monitor sends from PATH.mon";
        }
        auto t0 = std::chrono::steady_clock::now();
        testing::internal::CaptureStdout();
        l->eth_Close();
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
        EXPECT_NE(std::string::npos, out.find("Eth thread is killed by me!"));
        EXPECT_NE(std::string::npos, out.find("PCAP is closed"));
        EXPECT_EQ(nullptr, l->handle);
        EXPECT_FALSE(file_exists(path + ".mon"));
        EXPECT_EQ(-3, l->cmd_inject(2, 0));
    }
    prm = saved;
    sim_reload_root();
}

TEST(UnixLink, MissingMacFilesAndUnusablePathsAreReported)
{
    Sandbox sb;
    sim_reload_root();
    unlink(sb.path("/sys/class/net/wlan0/address").c_str());
    std::string path = sb.path("/sim/") + std::string(120, 'x');
    EnvGuard env("unix:" + path);
    {
        std::unique_ptr<CEthernet> l(new CEthernet);
        testing::internal::CaptureStdout();
        EXPECT_EQ(-1, l->eth_first_Init());
        EXPECT_EQ(-3, l->eth_Init()) << "a socket path longer than a Unix address";
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(std::string::npos, out.find("Error:eth_init(): -1"));
        EXPECT_NE(std::string::npos, out.find("Error:pcap_open_live(): "));
        EXPECT_EQ(nullptr, l->eth_Thread);
    }
    sim_reload_root();
}

// ---- libpcap over a veth pair ----

namespace {

bool sh(const std::string& cmd) { return system((cmd + " >/dev/null 2>&1").c_str()) == 0; }

struct NetNamespaces {
    std::string mon, cu;
    bool ok = false;
    NetNamespaces()
    {
        std::string id = std::to_string(getpid());
        mon = "gprmon_mon_" + id;
        cu = "gprmon_cu_" + id;
        std::string vm = "gpm" + id, vc = "gpc" + id;
        ok = sh("ip netns add " + mon) && sh("ip netns add " + cu) &&
             sh("ip link add " + vm + " type veth peer name " + vc) &&
             sh("ip link set " + vm + " netns " + mon) && sh("ip link set " + vc + " netns " + cu) &&
             sh("ip -n " + mon + " link set " + vm + " name eth0") &&
             sh("ip -n " + cu + " link set " + vc + " name eth0") &&
             sh("ip -n " + cu + " link set eth0 address 02:c0:ff:ee:00:07") &&
             sh("ip -n " + mon + " link set eth0 up") && sh("ip -n " + cu + " link set eth0 up");
        if (!ok)
            sh("ip link del " + vm);
    }
    ~NetNamespaces()
    {
        sh("ip netns del " + mon);
        sh("ip netns del " + cu);
    }
};

bool enter_netns(const std::string& name)
{
    int fd = open(("/var/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = setns(fd, CLONE_NEWNET) == 0;
    close(fd);
    return ok;
}

// Waits for a child up to timeout; kills it when it takes longer. Its exit status or -1.
int wait_child(pid_t pid, int timeout_ms)
{
    int st = 0;
    if (eventually([&] { return waitpid(pid, &st, WNOHANG) == pid; }, timeout_ms / 1000.0))
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

} // namespace

TEST(PcapLink, RealLibpcapOverAVethPairBetweenNetworkNamespaces)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "network namespaces need root";
    if (getenv("GPRMON_LINK"))
        GTEST_SKIP() << "GPRMON_LINK selects another transport";
    NetNamespaces ns;
    if (!ns.ok)
        GTEST_SKIP() << "cannot create network namespaces and a veth pair here";
    fflush(stdout);

    // The CU says on this pipe when its capture is open.
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    pid_t cu = fork();
    ASSERT_GE(cu, 0);
    if (cu == 0) { // the CU: the link's own emulator on the other namespace's eth0
        setvbuf(stdout, nullptr, _IOLBF, 0);
        if (!enter_netns(ns.cu))
            _exit(2);
        prm.udp_mode = 0;
        prm.wifi_link = 0;
        CEthernet* e = new CEthernet;
        e->eth_first_Init(); // there is no wlan0 here
        if (e->eth_Init() != 0)
            _exit(3);
        e->emulate_cu(true);
        if (write(ready[1], "r", 1) != 1)
            _exit(4);
        for (;;)
            pause(); // until killed
    }
    close(ready[1]);
    pid_t mon = fork();
    ASSERT_GE(mon, 0);
    if (mon == 0) {
        if (!enter_netns(ns.mon))
            _exit(2);
        prm.udp_mode = 0;
        prm.wifi_link = 0;
        CEthernet* e = new CEthernet;
        RecordingSink sink;
        e->set_sink(&sink);
        e->eth_first_Init();
        if (e->eth_Init() != 0)
            _exit(3);
        char c;
        if (read(ready[0], &c, 1) != 1) // the CU has opened its capture (or ended)
            _exit(2);
        std::string err = exercise_emulated_cu(*e, sink);
        if (!err.empty()) {
            printf("pcap link: %s all %d good %d\n", err.c_str(), e->all_packets.load(), e->good_packets.load());
            fflush(stdout);
            _exit(4);
        }
        e->eth_Close(); // the receiving thread waits in pcap_next_ex: it must be woken
        if (e->handle || e->eth_Thread)
            _exit(5);
        fflush(stdout);
        _exit(0);
    }
    close(ready[0]);
    int mon_status = wait_child(mon, 60000);
    kill(cu, SIGKILL);
    waitpid(cu, nullptr, 0);
    EXPECT_EQ(0, mon_status) << "2 netns, 3 open, 4 exchange, 5 close, -1 hung or crashed";
}
