// The cusim program on real links: a Unix datagram socket, and libpcap on both ends of a veth
// pair between two network namespaces. A 1000-trace block-mode measurement with 3 % block loss
// must reassemble every trace that was not hit equal to the ground truth, and every trace after
// the missed blocks were fetched again with command 212.
#include "cusim/wire_client.h"
#include "sim/cu/elements.h"
#include "sim/cu/truth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace cutest;

namespace {

struct Exchange {
    Wire& wire;
    Client client;
    Blocks blocks;
    uint32_t max_block = 0;
    size_t errors = 0;

    Exchange(Wire& w, const Client& c) : wire(w), client(c) {}
    void take(const Bytes& f)
    {
        const Reply r = decode(f);
        if (!r.ok) return;
        if (r.kind == 2 && r.payload.size() == 512) {
            blocks.add(r);
            if (r.checksum_ok) max_block = std::max(max_block, be32(&r.payload[0]));
        } else if (r.kind == 3) {
            ++errors;
        }
    }
    // Sends a command and waits for its answer, keeping every data block that comes meanwhile.
    Reply ask(uint16_t code, uint16_t sub = 0, std::array<uint32_t, 8> args = {}, int timeout_ms = 3000)
    {
        const uint16_t pn = client.packet;
        if (!wire.send(client.command(code, sub, args))) return {};
        for (int waited = 0; waited < timeout_ms;) {
            const Bytes f = wire.receive(50);
            if (f.empty()) { waited += 50; continue; }
            const Reply r = decode(f);
            if (r.kind == 1 && r.answered == pn) return r;
            take(f);
        }
        return {};
    }
};

void block_measurement(Wire& wire, Client client, const std::string& truth_path)
{
    Exchange x(wire, client);
    Reply d;
    for (int i = 0; i < 20 && d.kind != 1; ++i) {
        const uint16_t pn = x.client.packet;
        x.wire.send(x.client.command(0xFFFF));
        for (int k = 0; k < 20; ++k) {
            const Bytes f = x.wire.receive(50);
            if (f.empty()) continue;
            d = decode(f);
            if (d.kind == 1 && d.answered == pn) { x.client.learn(f); break; }
        }
    }
    ASSERT_EQ(d.kind, 1) << "no discovery answer";
    ASSERT_EQ(x.ask(0xFFFE).kind, 1);
    ASSERT_GT(x.ask(61, 0, {1}).u32(0), 0x30004FFFu);
    x.ask(5, 0xFFFF, {'W', 1});
    x.ask(8, 0xFFFF, {1});
    x.ask(22, 1, {1});
    x.ask(6, 1, {3});
    x.ask(9, 1, {1, 0});
    const size_t B = 6;   // 736 samples, no clipped values
    ASSERT_EQ(x.ask(12).u32(0), 0u);
    bool stopping = false;
    Reply stop;
    for (int idle = 0; idle < 200 && !stopping;) {
        const Bytes f = x.wire.receive(50);
        if (f.empty()) { ++idle; continue; }
        idle = 0;
        x.take(f);
        if (x.max_block >= 1000 * B) stopping = true;
    }
    ASSERT_TRUE(stopping) << "the measurement stalled at block " << x.max_block;
    stop = x.ask(13);
    ASSERT_EQ(stop.kind, 1);
    const uint32_t last_block = stop.u32(0), last_trace = stop.u32(4);
    ASSERT_GE(last_trace, 1000u);
    ASSERT_EQ(last_block, last_trace * B);
    // Blocks still on their way after the answer.
    for (Bytes f = x.wire.receive(200); !f.empty(); f = x.wire.receive(200)) x.take(f);

    std::vector<cusim::Trace> truth;
    std::string err;
    ASSERT_TRUE(cusim::read_truth(truth_path, truth, err)) << err;
    ASSERT_EQ(truth.size(), last_trace);
    auto check = [&](bool all) {
        size_t equal = 0, damaged = 0;
        for (const auto& t : truth) {
            const bool hit = t.flags & cusim::kFlagDamaged;
            damaged += hit;
            const Bytes data = x.blocks.trace_data(t.first_block, B);
            if (data.empty()) {
                EXPECT_TRUE(hit && !all) << "trace " << t.number << " missing";
                continue;
            }
            const Decoded dec = decode_elements(data.data(), data.size(), t.values());
            if (!dec.ok) { ADD_FAILURE() << dec.error; continue; }
            EXPECT_EQ(dec.trigger, t.trigger);
            EXPECT_EQ(dec.divisor, t.divisor);
            EXPECT_TRUE(std::equal(dec.words.begin(), dec.words.end(), t.w32.begin(), t.w32.end()))
                << "trace " << t.number;
            ++equal;
        }
        return std::make_pair(equal, damaged);
    };
    const auto before = check(false);
    EXPECT_GT(before.second, 50u) << "3 % of 6 blocks hits about 17 % of the traces";
    EXPECT_GE(before.first, truth.size() - before.second);

    // Fetch every gap after the measurement, at most 38 blocks a request.
    for (uint32_t b = 1; b <= last_block;) {
        if (x.blocks.blocks.count(b) && x.blocks.blocks.at(b)[7] != 0) { ++b; continue; }
        const uint32_t count = std::min<uint32_t>(38, last_block - b + 1);
        const Reply r = x.ask(212, 0, {b, count});
        ASSERT_EQ(r.kind, 1) << "212 for " << b;
        EXPECT_EQ(r.u16(0), 0);
        b += count;
    }
    const auto after = check(true);
    EXPECT_EQ(after.first, truth.size()) << "after the resend every trace is there";
}

struct TempDir {
    std::string path;
    TempDir()
    {
        char t[] = "/tmp/cusim-link-XXXXXX";
        path = mkdtemp(t);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
};

TEST(CusimLink, UnixSocketMeasurementWithBlockLossIsCompleteAfterResend)
{
    TempDir dir;
    const std::string sock = dir.path + "/cu.sock", truth = dir.path + "/truth.bin";
    CusimProcess cu({"--link", "unix:" + sock, "--truth", truth, "--flat-out", "--gps-rate", "0",
                     "--fault", "loss=0.03", "--seed", "11"});
    ASSERT_TRUE(wait_for_file(sock, 30000)) << "cusim did not bind its socket";
    std::string err;
    auto wire = unix_wire(sock, err);
    ASSERT_TRUE(wire) << err;
    Client c;
    c.udp = true;
    block_measurement(*wire, c, truth);
    EXPECT_EQ(cu.stop(), 0);
}

TEST(CusimLink, FollowsTheMonitorAcrossRestarts)
{
    TempDir dir;
    const std::string sock = dir.path + "/cu.sock", record = dir.path + "/frames.rec";
    CusimProcess cu({"--link", "unix:" + sock, "--record", record});
    ASSERT_TRUE(wait_for_file(sock, 30000));
    for (int run = 0; run < 2; ++run) {   // a new monitor socket each time
        std::string err;
        auto wire = unix_wire(sock, err);
        ASSERT_TRUE(wire) << err;
        Client c;
        Exchange x(*wire, c);
        EXPECT_EQ(x.ask(0xFFFF).kind, 1) << "run " << run;
    }
    // --record kept both discovery answers whole, each behind its 16-bit big-endian length.
    EXPECT_EQ(cu.stop(), 0);
    FILE* f = std::fopen(record.c_str(), "rb");
    ASSERT_TRUE(f);
    Bytes all(1 << 16);
    all.resize(std::fread(all.data(), 1, all.size(), f));
    std::fclose(f);
    size_t at = 0, answers = 0;
    while (at + 2 <= all.size()) {
        const size_t n = size_t(all[at]) << 8 | all[at + 1];
        ASSERT_LE(at + 2 + n, all.size()) << "a frame cut short at " << at;
        const Reply r = decode(Bytes(all.begin() + long(at) + 2, all.begin() + long(at + 2 + n)));
        answers += r.ok && r.kind == 1;
        at += 2 + n;
    }
    EXPECT_EQ(at, all.size());
    EXPECT_EQ(answers, 2u);
}

// Runs the same measurement over libpcap on both ends of a veth pair. The test starts the veth
// harness, which runs this test program again inside the monitor's namespace.
TEST(CusimVeth, MeasurementOverLibpcapOnBothEnds)
{
    if (const char* inside = std::getenv("CUSIM_VETH_INSIDE"); inside && *inside) {
        std::string err;
        auto wire = pcap_wire("eth0", err);
        ASSERT_TRUE(wire) << err;
        Client c;
        c.udp = true;
        ASSERT_TRUE(interface_mac("eth0", c.own));
        const char* truth = std::getenv("CUSIM_HARNESS_TRUTH");
        ASSERT_TRUE(truth);
        block_measurement(*wire, c, truth);
        return;
    }
    if (getuid() != 0) GTEST_SKIP() << "needs root to create network namespaces and a veth pair";
    if (std::system("ip netns list >/dev/null 2>&1") != 0) GTEST_SKIP() << "the ip tool cannot manage namespaces here";
    std::string out;
    const int status = run_in_veth_harness("CusimVeth.MeasurementOverLibpcapOnBothEnds",
                                           "--speed 3 --max-rate 5000 --gps-rate 0 --fault loss=0.03 --seed 5", out);
    if (status == 77) GTEST_SKIP() << "the harness could not run here";
    EXPECT_EQ(status, 0) << out;
}

}  // namespace
