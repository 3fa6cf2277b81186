// cusim through the monitor's own link code (CEthernet): discovery in both framings, commands
// decoded as the command layer decodes them, a 1000-trace block-mode measurement with 3 % block
// loss restored with command 212, and a raw-mode measurement that loses a frame.
#include "config/parameters.h"
#include "cu/eep.h"
#include "cusim/wire_client.h"
#include "link/ethernet.h"
#include "link/transport.h"
#include "sim/cu/truth.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <unistd.h>

using namespace cutest;

namespace {

// The acquisition side as the link sees it: measuring or not, and every decoded trace.
struct CollectingSink : CMeaSink {
    std::atomic<bool> meas{false}, done{false}; // read by the receiving thread
    std::map<int32_t, std::vector<int32_t>> by_number;   // block mode
    std::vector<std::vector<int32_t>> in_order;          // raw mode
    std::vector<int32_t> positions;
    std::map<int32_t, bool> restored;
    bool measuring() override { return meas; }
    bool finished() override { return done; }
    int trace(const CMeaTrace& t) override
    {
        std::vector<int32_t> s(t.samples, t.samples + t.count);
        if (t.cu_trace_number) {
            by_number[t.cu_trace_number] = s;
            restored[t.cu_trace_number] = t.restored;
        }
        in_order.push_back(s);
        positions.push_back(t.position);
        return 0;
    }
};

bool same(const std::vector<int32_t>& got, const cusim::Trace& t)
{
    if (got.size() != t.samples) return false;
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != int32_t(t.sample32(t.clipped + i))) return false;
    return true;
}

// Runs every new trace descriptor through GetMeaData, as the acquisition thread does.
size_t drain_descriptors(CEthernet* e)
{
    SDL_mutexP(e->eth_mtx1);
    const uint32_t w = e->tr_write;
    SDL_mutexV(e->eth_mtx1);
    size_t n = 0;
    for (uint32_t r = e->tr_read; r != w; r = (r + 1) % kDescCount, ++n)
        if (e->tr_desc[r].kind != 0) {
            EXPECT_EQ(e->GetMeaData(r), 0) << "descriptor " << r;
        }
    e->tr_read = w;
    return n;
}

// The stored settings the link reads: framing, card recording, and the trace format of the
// antenna parameter block (cusim's defaults: 736 samples, stacked 32-bit).
void prepare_monitor(bool udp)
{
    prm.udp_mode = udp ? 1 : 0;
    prm.wifi_link = 0;
    prm.restore_missed = 1;
    prm.request_missed = 0;
    eep.samples = 736;
    eep.clipped = 0;
    eep.auto_stacks = 1;
    eep.auto_stack_value = 4;
    eep.trig_code = 0;
}

class MonitorLink : public ::testing::Test {
protected:
    Sandbox sandbox;
    std::string sock = sandbox.root() + "/sim/cu.sock";
    std::string truth = sandbox.root() + "/sim/truth.bin";
    std::unique_ptr<CusimProcess> cu;
    std::unique_ptr<CLinkTransport> transport;
    std::unique_ptr<CEthernet> e = std::make_unique<CEthernet>();
    CollectingSink sink;

    void start(bool udp, std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--link", "unix:" + sock, "--truth", truth, "--gps-rate", "0"});
        cu = std::make_unique<CusimProcess>(args);
        ASSERT_TRUE(wait_for_file(sock, 30000));
        prepare_monitor(udp);
        transport.reset(new_unix_transport(sock.c_str()));
        e->set_transport(transport.get());
        e->set_sink(&sink);
        e->set_link_word_a(0x17);
        e->eth_first_Init();
        ASSERT_EQ(e->eth_Init(), 0);
    }
    void TearDown() override
    {
        e->eth_Close();
        e->set_transport(nullptr);
        if (cu) cu->stop();
    }
    size_t drain() { return drain_descriptors(e.get()); }
    void wheel(uint32_t step)
    {
        ASSERT_EQ(e->cmd_inject(5, 0xFFFF, 'W', 1), 0);
        ASSERT_EQ(e->cmd_inject(8, 0xFFFF, 1), 0);
        ASSERT_EQ(e->cmd_inject(22, 1, 1), 0);
        ASSERT_EQ(e->cmd_inject(6, 1, step), 0);
        ASSERT_EQ(e->cmd_inject(9, 1, 1, 0), 0);
    }
    uint32_t u32(int at) { return uint32_t(CEthernet::GetSwapLong(e->cur_answer.payload, at)); }
    uint16_t u16(int at) { return uint16_t(CEthernet::GetSwapShort(e->cur_answer.payload, at)); }
    std::vector<cusim::Trace> ground_truth()
    {
        std::vector<cusim::Trace> t;
        std::string err;
        EXPECT_TRUE(cusim::read_truth(truth, t, err)) << err;
        return t;
    }
};

TEST_F(MonitorLink, DiscoveryInUdpModeTeachesMacIpAndLinkWordB)
{
    start(true, {"--mac", "02:C5:00:00:00:2A", "--ip", "192.168.1.77", "--word-b", "0xA1B2C3D4"});
    ASSERT_EQ(e->SendBroadcast(), 0);
    const uint8_t mac[6] = {0x02, 0xC5, 0x00, 0x00, 0x00, 0x2A};
    EXPECT_EQ(memcmp(e->ip_frame.dst, mac, 6), 0);
    EXPECT_EQ(memcmp(e->out_frame.dst, mac, 6), 0);
    const uint32_t ip = e->ip_frame.dst_ip, word_b = e->ip_frame.link_word_b;   // packed fields
    EXPECT_EQ(ip, 0xC0A8014Du);
    EXPECT_EQ(word_b, 0xA1B2C3D4u);
    EXPECT_EQ(e->cmd_inject(0xFFFE, 0), 0) << "the probe reaches the learnt address";
    EXPECT_EQ(e->checksum_packets, 0);
}

TEST_F(MonitorLink, DiscoveryInRawMode)
{
    start(false, {"--mac", "02:C5:00:00:00:2B"});
    ASSERT_EQ(e->SendBroadcast(), 0);
    const uint8_t mac[6] = {0x02, 0xC5, 0x00, 0x00, 0x00, 0x2B};
    EXPECT_EQ(memcmp(e->out_frame.dst, mac, 6), 0);
    EXPECT_EQ(e->cmd_inject(0xFFFE, 0), 0);
}

TEST_F(MonitorLink, CommandsAreAnsweredWhereTheCommandLayerReadsThem)
{
    start(true, {"--fault", "error=0x2200@cmd:58"});
    ASSERT_EQ(e->SendBroadcast(), 0);
    ASSERT_EQ(e->cmd_inject(61, 0, 1), 0);
    EXPECT_GT(u32(0), 0x30004FFFu);
    EXPECT_EQ(u32(20), 12u);
    ASSERT_EQ(e->cmd_inject(125, 0, 1), 0);
    EXPECT_EQ(u32(24), 1536u);
    EXPECT_EQ(u32(40), 736u);
    ASSERT_EQ(e->cmd_inject(59, 0), 0);
    EXPECT_EQ(u32(8), 100000u);
    ASSERT_EQ(e->cmd_inject(76, 0), 0);
    EXPECT_EQ(u32(0), 44u);
    ASSERT_EQ(e->cmd_inject(65, 0, 105, 100), 0);
    EXPECT_EQ(u32(0), 0u);
    char reply[8] = {};
    ASSERT_EQ(e->SendStrCommand(195, 0, "<DO>", true), 0);
    memcpy(reply, e->cur_answer.payload, 5);
    EXPECT_EQ(reply[1], 'S');
    EXPECT_EQ(e->cmd_inject(58, 0), 200 + 0x2200) << "an error report for the awaited packet";
    EXPECT_EQ(e->cmd_inject(58, 0), 200 + 0x2200) << "also for packet numbers with unequal bytes";
}

// The lossy block-mode measurement, on whatever wire e uses: 1000 traces in block mode while 3 % of
// the blocks are lost, then the restore with command 212.
// On a real wire (lossless_wire false) frames may also be dropped by the capture when the
// receiver falls behind; such traces count as lost too, and the resend must still bring them.
void block_measurement(CEthernet* e, CollectingSink& sink, const std::string& truth_path, bool lossless_wire = true)
{
    ASSERT_EQ(e->SendBroadcast(), 0)
        << "no discovery answer; over libpcap on Linux a capture opened with a read time-out of 0 "
           "(no immediate mode) may never hand frames to pcap_next_ex";
    ASSERT_EQ(e->cmd_inject(5, 0xFFFF, 'W', 1), 0);
    ASSERT_EQ(e->cmd_inject(8, 0xFFFF, 1), 0);
    ASSERT_EQ(e->cmd_inject(22, 1, 1), 0);
    ASSERT_EQ(e->cmd_inject(6, 1, 3), 0);
    ASSERT_EQ(e->cmd_inject(9, 1, 1, 0), 0);
    auto u32 = [&](int at) { return uint32_t(CEthernet::GetSwapLong(e->cur_answer.payload, at)); };
    auto drain = [&]() { drain_descriptors(e); };
    sink.meas = true;
    e->init_buffers(1);
    e->prev_good_block = 0;
    e->last_block_addr = 0;
    e->set_block_mode(true);
    ASSERT_EQ(e->cmd_inject(12, 0), 0);
    ASSERT_EQ(u32(0), 0u);
    const int B = CEthernet::blocks_per_trace();
    ASSERT_EQ(B, 6);
    eventually([&] {
        drain();
        return e->last_block_addr >= 1000 * B;
    });
    e->answer_timeout = 2000;
    ASSERT_EQ(e->cmd_inject(13, 0), 0);
    const uint32_t last_block = u32(0), last_trace = u32(4);
    ASSERT_GE(last_trace, 1000u);
    // Once a further command is answered, the receiving thread has taken every frame the CU
    // sent before it.
    ASSERT_EQ(e->cmd_inject(61, 0, 1), 0);
    e->answer_timeout = kDefaultAnswerTimeout;
    drain();
    sink.meas = false;

    std::vector<cusim::Trace> truth;
    std::string err;
    ASSERT_TRUE(cusim::read_truth(truth_path, truth, err)) << err;
    ASSERT_EQ(truth.size(), last_trace);
    size_t damaged = 0, wire_lost = 0;
    for (const auto& t : truth) {
        auto it = sink.by_number.find(int32_t(t.number));
        if (t.flags & cusim::kFlagDamaged) {
            ++damaged;
        } else if (it == sink.by_number.end()) {
            ++wire_lost;
            ASSERT_FALSE(lossless_wire) << "undamaged trace " << t.number << " missing";
        }
        if (it != sink.by_number.end()) {
            EXPECT_TRUE(same(it->second, t)) << "trace " << t.number;
        }
    }
    if (wire_lost) std::printf("traces lost on the wire besides the injected faults: %zu\n", wire_lost);
    EXPECT_GT(damaged, 50u);
    EXPECT_GT(e->tot_missed_blocks, 0);

    // The restore after the measurement: every recorded interval with a margin of one trace,
    // 38 blocks a request.
    std::vector<std::pair<int32_t, int32_t>> intervals;
    for (int i = 0; i < kMissedCount; ++i)
        if (const int32_t first = e->mb_buf[i].first; first != -1) {
            const int32_t last = e->mb_buf[i].last;
            intervals.emplace_back(first, last);
        }
    ASSERT_FALSE(intervals.empty());
    for (auto [first, last] : intervals) {
        e->init_buf();
        e->prev_good_block = 0;
        const int32_t to = std::min<int32_t>(last + B, int32_t(last_block));
        for (int32_t from = std::max(1, first - B); from <= to; from += 38) {
            const int32_t count = std::min<int32_t>(38, to - from + 1);
            // A real wire may drop resent blocks too: ask again, as the restore does.
            for (int attempt = 0; attempt < (lossless_wire ? 1 : 5); ++attempt) {
                if (attempt) {
                    e->init_buf();
                    e->prev_good_block = from - 1;
                }
                e->reset_resent_count();
                e->answer_timeout = 1000;
                ASSERT_EQ(e->cmd_inject(212, 0, uint32_t(from), uint32_t(count)), 0);
                e->answer_timeout = kDefaultAnswerTimeout;
                EXPECT_EQ(uint16_t(CEthernet::GetSwapShort(e->cur_answer.payload, 0)), 0);
                drain();
                if (e->resent_blocks() >= count) break;
            }
            EXPECT_EQ(e->resent_blocks(), count) << "every requested block arrived before the answer";
        }
    }
    size_t restored = 0;
    for (const auto& t : truth) {
        auto it = sink.by_number.find(int32_t(t.number));
        ASSERT_NE(it, sink.by_number.end()) << "trace " << t.number << " still missing after the resend";
        EXPECT_TRUE(same(it->second, t)) << "trace " << t.number;
        restored += sink.restored[int32_t(t.number)];
    }
    EXPECT_EQ(restored, damaged + wire_lost);
}

TEST_F(MonitorLink, BlockMeasurementWithLossIsCompleteAfterTheResend)
{
    start(true, {"--flat-out", "--fault", "loss=0.03", "--seed", "3"});
    block_measurement(e.get(), sink, truth);
}

// The same over libpcap on both ends of a veth pair: the test runs the veth harness, which
// runs this test again inside the monitor's namespace, where the link uses libpcap on eth0.
TEST(MonitorLinkVeth, BlockMeasurementOverLibpcapOnBothEnds)
{
    if (const char* inside = std::getenv("CUSIM_VETH_INSIDE"); inside && *inside) {
        const char* truth = std::getenv("CUSIM_HARNESS_TRUTH");
        ASSERT_TRUE(truth);
        prepare_monitor(true);
        std::unique_ptr<CLinkTransport> pcap(new_pcap_transport());
        auto e = std::make_unique<CEthernet>();
        CollectingSink sink;
        e->set_transport(pcap.get());
        e->set_sink(&sink);
        ASSERT_EQ(e->eth_first_Init(), 0) << "own MAC of eth0";
        ASSERT_EQ(e->eth_Init(), 0);
        block_measurement(e.get(), sink, truth, false);
        e->eth_Close();
        e->set_transport(nullptr);
        return;
    }
    if (getuid() != 0) GTEST_SKIP() << "needs root to create network namespaces and a veth pair";
    if (std::system("ip netns list >/dev/null 2>&1") != 0) GTEST_SKIP() << "the ip tool cannot manage namespaces here";
    std::string out;
    const int status = run_in_veth_harness("MonitorLinkVeth.BlockMeasurementOverLibpcapOnBothEnds",
                                           "--speed 3 --max-rate 5000 --gps-rate 0 --fault loss=0.03 --seed 5", out);
    if (status == 77) GTEST_SKIP() << "the harness could not run here";
    EXPECT_EQ(status, 0) << out;
}

TEST_F(MonitorLink, RawMeasurementLosesOnlyThePacketOfTheLostFrame)
{
    start(false, {"--flat-out", "--frame-payload", "400", "--fault", "drop=3.2"});
    ASSERT_EQ(e->SendBroadcast(), 0);
    wheel(7);
    sink.meas = true;
    e->init_buffers(1);
    e->set_block_mode(false);
    ASSERT_EQ(e->cmd_inject(12, 0), 0);
    size_t got = 0;
    eventually([&] {
        got += drain();
        return got >= 20;
    });
    e->answer_timeout = 2000;
    ASSERT_EQ(e->cmd_inject(13, 0), 0);
    ASSERT_EQ(e->cmd_inject(61, 0, 1), 0) << "every frame sent before this answer is taken";
    e->answer_timeout = kDefaultAnswerTimeout;
    drain();
    sink.meas = false;
    const auto truth = ground_truth();
    std::vector<const cusim::Trace*> sent;
    for (const auto& t : truth)
        if (!(t.flags & cusim::kFlagDamaged)) sent.push_back(&t);
    ASSERT_EQ(truth.size(), sent.size() + 1) << "exactly one trace lost its frame";
    EXPECT_TRUE(truth[2].flags & cusim::kFlagDamaged);
    ASSERT_EQ(sink.in_order.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sink.positions[i], sent[i]->trigger);
        EXPECT_TRUE(same(sink.in_order[i], *sent[i])) << i;
    }
}

}  // namespace
