// The link against the simulated CU program (cusim, built in sim/cu/) over the Unix-socket
// wire: a block-mode measurement with lost blocks, reassembled, requested again and decoded.
#include "link_rig.h"
#include "support/waits.h"

#include "platform/globals.h"
#include "platform/host_paths.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <set>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class CusimChild {
public:
    explicit CusimChild(std::vector<std::string> args)
    {
        std::string bin = std::string(GPRMON_BINARY_DIR) + "/sim/cu/cusim";
        args.insert(args.begin(), bin);
        // Made before the fork: the child of a threaded test may not allocate.
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive the test
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execv(bin.c_str(), argv.data());
            _exit(127);
        }
    }
    ~CusimChild()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = -1;
};

bool wait_for_file(const std::string& p, int ms)
{
    return eventually([&] { return access(p.c_str(), F_OK) == 0; }, ms / 1000.0);
}

} // namespace

TEST(LinkWithCusim, BlockMeasurementWithLostBlocksIsReassembledAndDecoded)
{
    if (access((std::string(GPRMON_BINARY_DIR) + "/sim/cu/cusim").c_str(), X_OK) != 0)
        GTEST_SKIP() << "cusim is not built";
    Sandbox sb;
    sim_reload_root();
    std::string sock = sb.path("/sim/cu.sock");
    CusimChild cu({"--link", "unix:" + sock, "--samples", "300", "--max-rate", "1500",
                   "--gps-rate", "0", "--seed", "11", "--fault", "loss=0.02"});
    ASSERT_TRUE(wait_for_file(sock, 30000));

    std::unique_ptr<CLinkTransport> wire(new_unix_transport(sock.c_str()));
    LinkRig rig; // closes the link before the transport goes
    rig.link->set_transport(wire.get());
    eep.samples = 300;
    eep.clipped = 0;
    eep.auto_stacks = 0;
    eep.auto_stack_value = 0;
    eep.trig_code = 0x80;
    eep.clock_freq = 100000;
    rig.open(true);
    CEthernet& l = *rig.link;
    l.answer_timeout = 1000;
    prm.restore_missed = 1;
    prm.request_missed = 1;
    ASSERT_EQ(0, l.SendBroadcast());
    ASSERT_EQ(0, l.cmd_inject(1, 0, 300));
    ASSERT_EQ(0, l.cmd_inject(65, 0, 211, 1)); // record on the card, resend on request

    l.init_buffers(1);
    l.prev_good_block = 0;
    l.set_block_mode(true);
    rig.sink.meas = true;
    ASSERT_EQ(0, l.cmd_inject(12, 0));
    ASSERT_EQ(0, CEthernet::GetSwapLong(l.cur_answer.payload, 0));

    // Take the traces as the acquisition does, for a while.
    std::set<int32_t> numbers;
    int restored = 0, bad = 0;
    uint32_t read = 0;
    auto drain = [&] {
        uint32_t w;
        {
            ::MutexLock g(l.eth_mtx1);
            w = l.tr_write;
        }
        while (read != w) {
            const CTraceDesc d = l.tr_desc[read];
            size_t before = rig.sink.traces.size();
            if (d.kind == 2) {
                if (l.GetMeaData(read) != 0 || rig.sink.traces.size() != before + 1 ||
                    rig.sink.samples.back().size() != 300)
                    bad++;
                else if (!numbers.insert(d.trace).second)
                    bad++; // a trace queued twice
                restored += d.restored;
            }
            read = (read + 1) % kDescCount;
        }
        rig.sink.traces.clear();
        rig.sink.samples.clear();
    };
    // Traces until 1200 came: enough for losses and their resends to come together.
    ASSERT_TRUE(eventually([&] {
        drain();
        return numbers.size() >= 1200;
    })) << numbers.size() << " traces";
    rig.sink.meas = false;
    ASSERT_EQ(0, l.cmd_inject(13, 0));
    int32_t last_trace = CEthernet::GetSwapLong(l.cur_answer.payload, 4);
    // One more exchange: once it is answered, the receiving thread has taken every frame the
    // CU sent before, the resends of the last requests among them.
    ASSERT_EQ(0, l.cmd_inject(61, 0, 1));
    drain();

    EXPECT_EQ(0, bad);
    ASSERT_GT(last_trace, 300) << "the CU measured";
    EXPECT_GT(l.tot_missed_blocks, 0) << "blocks were lost on the way";
    EXPECT_GT(restored, 0) << "resent blocks completed traces";
    // Most traces hit by a loss come back through the resend requests.
    int missing = 0;
    for (int32_t t = 1; t <= last_trace; t++)
        missing += numbers.count(t) == 0;
    EXPECT_LT(missing, last_trace / 20) << missing << " of " << last_trace << " traces missing";
    sim_reload_root();
}
