// Measurements: block and raw framing, the trace elements, triggers, resends and faults, each
// checked against the ground truth the CU wrote.
#include "cusim/bench_cu.h"
#include "sim/cu/truth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

using namespace cutest;

namespace {

cusim::DeviceConfig quiet(bool flat = true)
{
    cusim::DeviceConfig c;
    c.flat_out = flat;
    c.gps_rate = 0;
    return c;
}

struct Measured {
    CuBench b;
    std::string truth;
    explicit Measured(bool udp, cusim::DeviceConfig c = quiet()) : b(udp, c), truth(temp_path("truth.bin"))
    {
        std::string err;
        EXPECT_TRUE(b.dev->open_truth(truth, err)) << err;
        b.discover();
    }
    ~Measured() { std::remove(truth.c_str()); }
    void wheel(uint32_t step)
    {
        b.ask(5, 0xFFFF, {'W', 1});
        b.ask(8, 0xFFFF, {1});
        b.ask(22, 1, {1});
        b.ask(6, 1, {step});
        b.ask(9, 1, {1, 0});
    }
    Reply start() { return b.ask(12); }
    Reply stop() { return b.ask(13); }
    std::vector<cusim::Trace> ground_truth()
    {
        b.dev->flush_truth();
        std::vector<cusim::Trace> t;
        std::string err;
        EXPECT_TRUE(cusim::read_truth(truth, t, err)) << err;
        return t;
    }
};

void expect_equal(const Decoded& d, const cusim::Trace& t)
{
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.trigger, t.trigger);
    EXPECT_EQ(d.wheel, t.wheel);
    EXPECT_EQ(d.time, t.time);
    EXPECT_EQ(d.wide, t.format == 32);
    if (t.format == 32) {
        EXPECT_EQ(d.divisor, t.divisor);
        EXPECT_TRUE(std::equal(d.words.begin(), d.words.end(), t.w32.begin(), t.w32.end()));
    } else {
        ASSERT_EQ(d.words.size(), t.s16.size());
        for (size_t i = 0; i < d.words.size(); ++i) ASSERT_EQ(int16_t(d.words[i]), t.s16[i]) << i;
    }
}

TEST(CusimBlocks, TracesAreNumberedBlocksOfTheMonitorsSizeEqualToTheTruth)
{
    Measured m(true);
    m.wheel(10);
    const Reply s = m.start();
    ASSERT_EQ(s.kind, 1);
    EXPECT_EQ(s.u32(0), 0u) << "started";
    const auto frames = m.b.produce(20);
    const Reply e = m.stop();
    const auto truth = m.ground_truth();
    ASSERT_EQ(truth.size(), 20u);

    const size_t N = m.b.cfg.params.file_samples, X = m.b.cfg.params.clipped;
    const size_t B = (4 * (N + X) + 30) / 496 + 1;
    ASSERT_EQ(frames.size(), 20 * B);
    Blocks blocks;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].size(), 575u) << "512-byte payload and a 3-byte trailer";
        const Reply r = decode(frames[i]);
        ASSERT_TRUE(r.checksum_ok);
        EXPECT_EQ(r.kind, 2);
        EXPECT_EQ(be32(&r.payload[0]), i + 1) << "block numbers count up from 1";
        EXPECT_EQ(be32(&r.payload[8]), i / B + 1) << "trace number";
        EXPECT_EQ(be16(&r.payload[14]), i % B + 1) << "part";
        EXPECT_EQ(be16(&r.payload[12]), i % B + 1 == B ? 496 - (4 * (N + X) + 30) % 496 : 0) << "pad count";
        EXPECT_EQ(r.last, 1);
        blocks.add(r);
    }
    for (const auto& t : truth) {
        EXPECT_EQ(t.first_block, (t.number - 1) * B + 1);
        EXPECT_EQ(t.trigger, int32_t(10 * t.number)) << "one trace per wheel step";
        const Bytes data = blocks.trace_data(t.first_block, B);
        ASSERT_EQ(data.size(), 4 * (N + X) + 30);
        expect_equal(decode_elements(data.data(), data.size(), N + X), t);
    }
    EXPECT_EQ(e.u32(0), 20 * B) << "stop reports the last block";
    EXPECT_EQ(e.u32(4), 20u) << "and the last trace";
}

TEST(CusimBlocks, SixteenBitTracesKeepTheBlockCountAndStackedSamplesRebuild)
{
    Measured m(true);
    m.wheel(5);
    m.b.ask(40, 0, {0, 0});   // no stacking: 16-bit samples
    m.b.ask(192, 0, {8});     // 8 clipped values precede the samples
    m.start();
    auto frames = m.b.produce(3);
    m.b.ask(40, 0, {1, 16});   // stacking by 16: 32-bit samples with a divisor element
    frames.clear();
    for (auto& f : m.b.produce(3)) frames.push_back(f);
    m.stop();
    const auto truth = m.ground_truth();
    ASSERT_EQ(truth.size(), 6u);
    EXPECT_EQ(truth[0].format, 16);
    EXPECT_EQ(truth[0].clipped, 8);
    EXPECT_EQ(truth[3].format, 32);
    EXPECT_EQ(truth[3].divisor, 16);
    // The monitor rebuilds the same value from both formats (value x 65536); stacking keeps the
    // fraction of the average that 16-bit samples lose.
    for (size_t i = 0; i < truth[3].values(); ++i) {
        const cusim::Trace& t = truth[3];
        const int64_t sum = int64_t(int16_t(t.w32[2 * i + 1] ^ 0x8000)) * 16 + t.w32[2 * i];
        EXPECT_EQ(int32_t(t.sample32(i)), int32_t(sum * 65536 / 16)) << i;
    }
    Blocks blocks;
    for (auto& f : frames) blocks.add(decode(f));
    const size_t B = (4 * (736 + 8) + 30) / 496 + 1;
    expect_equal(decode_elements(blocks.trace_data(truth[3].first_block, B).data(),
                                 blocks.trace_data(truth[3].first_block, B).size(), 744),
                 truth[3]);
}

TEST(CusimBlocks, MissedBlocksAreResentDuringAndAfterTheMeasurement)
{
    cusim::DeviceConfig c = quiet();
    std::string err;
    ASSERT_TRUE(c.faults.add("loss=0.05", err));
    Measured m(true, c);
    m.wheel(3);
    m.start();
    Blocks blocks;
    for (auto& f : m.b.produce(200)) blocks.add(decode(f));
    const size_t B = 6;
    const uint32_t last = 200 * B;
    std::vector<uint32_t> missing;
    for (uint32_t b = 1; b <= last; ++b) if (!blocks.blocks.count(b)) missing.push_back(b);
    ASSERT_GT(missing.size(), 20u);
    // 210 during the measurement: first and last block of a gap, no answer.
    auto rs = m.b.send(m.b.client.command(210, 0, {missing[0], missing[0]}));
    ASSERT_EQ(rs.size(), 1u);
    blocks.add(rs[0]);
    const Reply e = m.stop();
    EXPECT_EQ(e.u32(0), last);
    // 212 after it: first block and a count of at most 38; data first, then the answer.
    for (uint32_t first = 1; first <= last; first += 38) {
        const uint32_t count = std::min<uint32_t>(38, last - first + 1);
        const uint16_t pn = m.b.client.packet;
        rs = m.b.send(m.b.client.command(212, 0, {first, count}));
        ASSERT_EQ(rs.size(), count + 1);
        EXPECT_EQ(rs.back().kind, 1);
        EXPECT_EQ(rs.back().answered, pn);
        EXPECT_EQ(rs.back().u16(0), 0);
        for (size_t i = 0; i + 1 < rs.size(); ++i) blocks.add(rs[i]);
    }
    const auto truth = m.ground_truth();
    size_t damaged = 0;
    for (const auto& t : truth) {
        damaged += (t.flags & cusim::kFlagDamaged) != 0;
        const Bytes d = blocks.trace_data(t.first_block, B);
        expect_equal(decode_elements(d.data(), d.size(), 736), t);
    }
    EXPECT_GT(damaged, 10u) << "the truth marks the traces the faults hit";
    const Reply beyond = m.b.ask(212, 0, {last - 1, 5});
    EXPECT_EQ(beyond.u16(0), 1) << "blocks beyond the card are reported missing";
}

TEST(CusimRaw, TracesArePacketsOfNumberedFramesAndALostFrameSpoilsOnlyItsTrace)
{
    cusim::DeviceConfig c = quiet();
    c.frame_payload = 400;
    std::string err;
    ASSERT_TRUE(c.faults.add("drop=3.2", err));
    Measured m(false, c);
    m.wheel(7);
    m.start();
    const auto frames = m.b.produce(5);
    m.stop();
    const auto truth = m.ground_truth();
    ASSERT_EQ(truth.size(), 5u);
    const size_t bytes = 8 + 8 + 8 + 4 * 736 + 6;
    const size_t per = (bytes + 399) / 400;
    ASSERT_EQ(frames.size(), 5 * per - 1);
    std::vector<Bytes> packets;
    Bytes cur;
    uint16_t pn = 0, expect_frame = 1;
    bool valid = true;
    for (const Bytes& f : frames) {
        const Reply r = decode(f);
        EXPECT_FALSE(r.udp);
        EXPECT_EQ(r.kind, 2);
        if (r.frame_no == 1) { cur.clear(); valid = true; pn = r.packet; expect_frame = 1; }
        if (r.frame_no != expect_frame || r.packet != pn) valid = false;
        ++expect_frame;
        cur.insert(cur.end(), r.payload.begin(), r.payload.end() - (r.last ? r.pad : 0));
        if (r.last) {
            if (valid) packets.push_back(cur);
            EXPECT_GE(f.size(), 65u);
        }
    }
    ASSERT_EQ(packets.size(), 4u) << "the packet that lost its second frame is discarded";
    const size_t order[] = {0, 1, 3, 4};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(packets[i].size(), bytes);
        expect_equal(decode_elements(packets[i].data(), packets[i].size(), 736), truth[order[i]]);
        EXPECT_EQ(truth[order[i]].number, 0u) << "raw mode has no trace numbers";
    }
    EXPECT_TRUE(truth[2].flags & cusim::kFlagDamaged);
    EXPECT_FALSE(truth[1].flags & cusim::kFlagDamaged);
}

TEST(CusimTriggers, KeyTriggerSendsOneSixteenBitTraceBeforeItsAnswer)
{
    Measured m(true);
    m.b.ask(100, 0, {2, 0});   // simulation mode 2: the Ethernet test's ramp
    const uint16_t pn = m.b.client.packet;
    auto rs = m.b.send(m.b.client.command(14));
    ASSERT_GE(rs.size(), 2u);
    EXPECT_EQ(rs.back().kind, 1);
    EXPECT_EQ(rs.back().answered, pn);
    EXPECT_EQ(rs.back().u16(0), 0);
    Bytes data;
    for (size_t i = 0; i + 1 < rs.size(); ++i) {
        EXPECT_EQ(rs[i].kind, 2);
        EXPECT_EQ(rs[i].frame_no, i + 1);
        data.insert(data.end(), rs[i].payload.begin(), rs[i].payload.end() - (rs[i].last ? rs[i].pad : 0));
    }
    const Decoded d = decode_elements(data.data(), data.size(), 736);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_FALSE(d.wide);
    for (size_t k = 0; k < 736; ++k) ASSERT_EQ(int16_t(d.words[k]), int16_t(10 * int(k) - 32768)) << k;
}

TEST(CusimTriggers, TimeTriggerFiresEveryStepInClockTicks)
{
    Measured m(true, quiet(false));
    m.b.ask(5, 0xFFFF, {'W', 16});
    m.b.ask(5, 0xFFFF, {'T', 0});
    m.b.ask(6, 1, {100});
    m.b.ask(10, 1, {1, 0});
    m.start();
    m.b.run(1.05);
    m.stop();
    const auto truth = m.ground_truth();
    ASSERT_EQ(truth.size(), 10u);
    for (size_t i = 0; i < truth.size(); ++i) {
        EXPECT_EQ(truth[i].source, 'T');
        EXPECT_NEAR(double(truth[i].trigger) / m.b.cfg.clock_hz, 0.1 * double(i + 1), 0.002);
    }
}

TEST(CusimTriggers, WheelTriggersOnlyAheadAndResumesAfterBackingUp)
{
    cusim::DeviceConfig c = quiet(false);
    c.cart_path = {1.0, -0.5, 1.0};   // 500 pulses per metre: 50 pulses = 0.1 m per trace
    Measured m(true, c);
    m.wheel(50);
    m.start();
    m.b.run(2.6);
    m.stop();
    const auto truth = m.ground_truth();
    ASSERT_EQ(truth.size(), 15u) << "10 going ahead, none backing up, 5 past the turning point";
    for (size_t i = 0; i < truth.size(); ++i) EXPECT_EQ(truth[i].trigger, int32_t(50 * (i + 1)));
    EXPECT_EQ(m.b.ask(58).u32(0), 750u) << "the wheel ends 1.5 m ahead";
}

TEST(CusimTriggers, TriggersBeyondTheSamplersRateAreMissedAndCounted)
{
    cusim::DeviceConfig c = quiet(false);
    c.max_rate = 20;
    Measured m(true, c);
    m.wheel(5);   // 100 triggers per second at 1 m/s
    m.start();
    m.b.run(1.0);
    const Reply e = m.stop();
    const auto truth = m.ground_truth();
    EXPECT_NEAR(double(truth.size()), 20, 2);
    EXPECT_NEAR(double(e.u32(8)), 80, 3) << "the CU's own count of missed traces";
}

TEST(CusimFaults, DuplicatesReorderingAndBadChecksumsReachTheWire)
{
    cusim::DeviceConfig c = quiet();
    std::string err;
    ASSERT_TRUE(c.faults.add("dup=0.05,reorder=0.05,badsum=0.05", err));
    Measured m(true, c);
    m.wheel(3);
    m.start();
    const auto frames = m.b.produce(100);
    m.stop();
    size_t bad = 0, backwards = 0;
    uint32_t prev = 0;
    Blocks blocks;
    for (auto& f : frames) {
        const Reply r = decode(f);
        if (!r.checksum_ok) { ++bad; continue; }
        const uint32_t b = be32(&r.payload[0]);
        backwards += b < prev;
        prev = b;
        blocks.add(r);
    }
    EXPECT_GT(bad, 10u);
    EXPECT_GT(backwards, 10u);
    EXPECT_GT(blocks.duplicates, 10u);
}

TEST(CusimFaults, ErrorReportAndSilenceAtATrace)
{
    cusim::DeviceConfig c = quiet(false);
    std::string err;
    ASSERT_TRUE(c.faults.add("error=0x2200@trace:3,silence=0.45@trace:5", err));
    Measured m(true, c);
    m.wheel(50);   // 10 traces per second
    const uint16_t start_pn = m.b.client.packet;
    m.start();
    const auto frames = m.b.run(1.2);
    size_t errors = 0;
    for (auto& f : frames) {
        const Reply r = decode(f);
        if (r.kind != 3) continue;
        ++errors;
        EXPECT_EQ(r.u16(2), 0x2200);
        EXPECT_EQ(uint16_t(r.answered >> 8 | r.answered << 8), start_pn);
    }
    EXPECT_EQ(errors, 1u);
    m.stop();
    const auto truth = m.ground_truth();
    ASSERT_GE(truth.size(), 11u);
    for (const auto& t : truth)   // traces 6..9 fall into the 0.45 s of silence
        EXPECT_EQ(bool(t.flags & cusim::kFlagDamaged), t.number >= 6 && t.number <= 9) << t.number;
}

TEST(CusimGps, MeasurementCarriesGgaAndUbxBlocksAndCommand130AnswersWithText)
{
    cusim::DeviceConfig c = quiet(false);
    c.gps_rate = 5;
    Measured m(true, c);
    m.wheel(100);
    m.start();
    const auto frames = m.b.run(1.0);
    m.stop();
    size_t gps = 0;
    for (auto& f : frames) {
        const Reply r = decode(f);
        if (r.kind != 2 || r.payload[7] == 2) continue;
        ++gps;
        const size_t len = 496 - be16(&r.payload[12]);
        const Decoded d = decode_elements(&r.payload[16], len, 0);
        ASSERT_TRUE(d.ok) << d.error;
        ASSERT_EQ(d.gps_text.size(), 1u);
        const std::string& s = d.gps_text[0];
        EXPECT_EQ(s.rfind("$GPGGA,", 0), 0u);
        uint8_t cs = 0;
        const size_t star = s.find('*');
        for (size_t i = 1; i < star; ++i) cs ^= uint8_t(s[i]);
        EXPECT_EQ(std::stoi(s.substr(star + 1, 2), nullptr, 16), cs);
        EXPECT_EQ(d.ubx_messages, 1u);
    }
    EXPECT_NEAR(double(gps), 5, 1);

    const uint16_t pn = m.b.client.packet;
    auto rs = m.b.send(m.b.client.command(130));
    ASSERT_EQ(rs.size(), 2u);
    EXPECT_EQ(rs[0].kind, 2);
    const Decoded d = decode_elements(rs[0].payload.data(), rs[0].payload.size() - rs[0].pad, 0);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.gps_text.size(), 1u);
    EXPECT_EQ(rs[1].answered, pn);
}

}  // namespace
