// GetMeaData: the elements of a queued trace, decoded and handed to the acquisition sink.
// Traces are put into the ring as raw-mode packets through the wire.
#include "link_rig.h"

#include <gtest/gtest.h>

namespace {

void put16(Bytes& b, uint16_t v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
void put32(Bytes& b, uint32_t v)
{
    put16(b, uint16_t(v >> 16));
    put16(b, uint16_t(v));
}

Bytes elem(uint8_t tag, const Bytes& body, int length_field = -1)
{
    Bytes e;
    put16(e, uint16_t(length_field >= 0 ? length_field : int(body.size()) + 2));
    e.push_back(tag);
    e.push_back(0);
    e.insert(e.end(), body.begin(), body.end());
    return e;
}

Bytes trace16(uint32_t pos, const std::vector<int16_t>& clipped, const std::vector<int16_t>& s)
{
    Bytes b;
    put32(b, pos);
    for (int16_t c : clipped)
        put16(b, uint16_t(c));
    for (int16_t v : s)
        put16(b, uint16_t(v));
    return elem(102, b);
}

Bytes trace32(uint32_t pos, const std::vector<std::pair<uint16_t, uint16_t>>& s)
{
    Bytes b;
    put32(b, pos);
    for (auto& w : s) {
        put16(b, w.first);
        put16(b, w.second);
    }
    return elem(102, b);
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes r;
    for (const Bytes& p : parts)
        r.insert(r.end(), p.begin(), p.end());
    return r;
}

class Elements : public ::testing::Test {
protected:
    void SetUp() override
    {
        eep.samples = 4;
        eep.clipped = 0;
        eep.auto_stacks = 0;
        eep.auto_stack_value = 0;
        eep.trig_code = 0;
        eep.clock_freq = 1000;
        eep.gps_enabled = 0;
        rig.open();
        rig.sink.meas = true;
    }

    // Queues bytes as one trace and decodes it.
    int decode(const Bytes& trace)
    {
        CuFrame f;
        f.kind = 2;
        f.packet = pk_++;
        f.payload = trace;
        if (trace.size() < 45) { // frames below 65 bytes are not taken: pad them
            f.pad = uint8_t(45 - trace.size());
            f.payload.resize(45, 0);
        }
        rig.feed(f.build());
        uint32_t idx = (rig.link->tr_write + kDescCount - 1) % kDescCount;
        return rig.link->GetMeaData(idx);
    }

    LinkRig rig;
    uint16_t pk_ = 1;
};

} // namespace

TEST_F(Elements, SixteenBitTraceWithPositionsAndSkippedElements)
{
    eep.clipped = 1;
    eep.clock_freq = 2000;
    Bytes t = cat({trace16(1234, {0x7777}, {1, -1, 32767, -32768}), elem(58, {0, 0, 1, 0}),
                   elem(59, {0, 0, 0x0B, 0xB8}), elem(64, {0, 5}), elem(77, {1, 2, 3})});
    ASSERT_EQ(0, decode(t));
    ASSERT_EQ(1u, rig.sink.traces.size());
    EXPECT_EQ(1234, rig.sink.traces[0].position);
    EXPECT_FALSE(rig.sink.traces[0].stacked);
    EXPECT_EQ(std::vector<int32_t>({65536, -65536, 32767 * 65536, INT32_MIN}), rig.sink.samples[0]);
    EXPECT_EQ(std::vector<int32_t>({256}), rig.sink.wheel);
    EXPECT_EQ(std::vector<int32_t>({1500}), rig.sink.time) << "3000 ticks at 2000 per second";
}

TEST_F(Elements, TimeTriggerPositionIsInMilliseconds)
{
    eep.trig_code = 0x80;
    eep.clock_freq = 3000;
    ASSERT_EQ(0, decode(trace16(1000, {}, {0, 0, 0, 0})));
    EXPECT_EQ(333, rig.sink.traces[0].position);
}

TEST_F(Elements, StackedTraceIsDividedByTheFollowingDivisor)
{
    eep.auto_stacks = 1;
    eep.samples = 3;
    std::vector<std::pair<uint16_t, uint16_t>> w = {{0x8000, 0x0001}, {0x7FFF, 0xFFFF}, {3, 0}};
    for (uint16_t div : {uint16_t(3), uint16_t(0)}) {
        rig.sink.samples.clear();
        ASSERT_EQ(0, decode(cat({trace32(7, w), elem(180, {uint8_t(div >> 8), uint8_t(div)}),
                                 elem(58, {0, 0, 0, 9})})));
        int64_t d = div ? div : 1;
        std::vector<int32_t> want;
        for (auto& p : w) {
            int64_t low = int64_t(int32_t(uint32_t(p.first) << 16)) / d; // toward zero
            want.push_back(int32_t(uint32_t((int64_t(p.second) << 16) + low + 0x80000000LL)));
        }
        EXPECT_EQ(want, rig.sink.samples.at(0)) << "divisor " << div;
        EXPECT_TRUE(rig.sink.traces.back().stacked);
    }
    EXPECT_EQ(std::vector<int32_t>({9, 9}), rig.sink.wheel) << "the element after the divisor";
}

TEST_F(Elements, KeyboardTriggerAlwaysMeansSixteenBitSamples)
{
    eep.auto_stacks = 1;
    eep.trig_code = 0xFF;
    ASSERT_EQ(0, decode(trace16(0, {}, {2, 2, 2, 2})));
    EXPECT_EQ(2 * 65536, rig.sink.samples[0][0]);
}

TEST_F(Elements, ElementErrorsOfTheWalk)
{
    EXPECT_EQ(-15, decode({}));
    EXPECT_EQ(-16, decode({0, 8, 102}));
    EXPECT_EQ(-10, decode(elem(58, {0, 0, 0, 0}, 1)));
    EXPECT_EQ(-11, decode(elem(58, {0, 0, 0, 0}, 100)));
    eep.auto_stacks = 1;
    eep.samples = 1;
    EXPECT_EQ(-6, decode(trace32(0, {{1, 1}})));
    EXPECT_EQ(-9, decode(cat({trace32(0, {{1, 1}}), elem(58, {0, 0, 0, 0})})));
    eep.auto_stacks = 0;
    eep.samples = 10;
    EXPECT_EQ(-13, decode(trace16(0, {}, {1, 2, 3}))) << "fewer samples than configured";
    EXPECT_TRUE(rig.sink.traces.empty());
    eep.samples = 3;
    rig.sink.trace_result = -2; // the data file could not be written
    EXPECT_EQ(-2, decode(trace16(0, {}, {1, 2, 3})));
}

TEST_F(Elements, NextElementReportsAnOverrun)
{
    uint32_t pos = 100;
    EXPECT_EQ(-12, rig.link->next_element(pos, 110, 20));
    pos = 100;
    EXPECT_EQ(0, rig.link->next_element(pos, 110, 10));
    EXPECT_EQ(110u, pos);
    pos = kMeaRingSize - 4;
    EXPECT_EQ(1, rig.link->next_element(pos, 20, 10));
    EXPECT_EQ(6u, pos) << "positions wrap at the ring end";
}

TEST_F(Elements, TraceAcrossTheRingEndDecodes)
{
    rig.link->m_buf_end = rig.link->eth_buf_end = rig.link->eth_buf_beg = kMeaRingSize - 7;
    ASSERT_EQ(0, decode(cat({trace16(5, {}, {10, 20, 30, 40}), elem(58, {0, 0, 0, 1})})));
    EXPECT_EQ(std::vector<int32_t>({10 << 16, 20 << 16, 30 << 16, 40 << 16}), rig.sink.samples[0]);
    EXPECT_EQ(1, rig.sink.wheel.at(0));
}

TEST_F(Elements, ReadingOutsideAMeasurementReleasesTheConsumedSpace)
{
    rig.sink.meas = false;
    CuFrame f;
    f.kind = 2;
    f.payload = cat({elem(58, {0, 0, 0, 1}), elem(58, {0, 0, 0, 2})});
    f.pad = 45 - 16;
    f.payload.resize(45, 0);
    rig.feed(f.build());
    uint32_t pos = rig.link->eth_buf_beg, len = 0;
    ASSERT_EQ(0, rig.link->check_element(pos, rig.link->eth_buf_end, len));
    EXPECT_EQ(1, rig.link->next_element(pos, rig.link->eth_buf_end, len));
    EXPECT_EQ(8u, rig.link->eth_buf_beg);
    ASSERT_EQ(0, rig.link->check_element(pos, rig.link->eth_buf_end, len));
    EXPECT_EQ(0, rig.link->next_element(pos, rig.link->eth_buf_end, len));
    EXPECT_EQ(16u, rig.link->eth_buf_beg);
}

TEST_F(Elements, GpsTextAndTimeOnlyWhenGpsIsInUse)
{
    std::string nmea = "$GPGGA,1*00\r\n";
    Bytes text(nmea.begin(), nmea.end());
    // UBX NAV-TIMEGPS: iTOW 345600123 ms, week 2200, 18 leap seconds, valid flags 7.
    Bytes ubx = {0xB5, 0x62, 0x01, 0x20, 16, 0};
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; i++)
            ubx.push_back(uint8_t(v >> (8 * i)));
    };
    le(345600123, 4);
    le(0, 4);
    le(2200, 2);
    le(18, 1);
    le(7, 1);
    le(0, 4);
    Bytes t = cat({elem(132, text), elem(131, ubx)});
    ASSERT_EQ(0, decode(t));
    EXPECT_TRUE(rig.sink.gps.empty());
    EXPECT_TRUE(rig.sink.gps_times.empty());

    eep.gps_enabled = 1;
    eep.gps_source = 2;
    ASSERT_EQ(0, decode(t));
    ASSERT_EQ(1u, rig.sink.gps.size());
    EXPECT_EQ(nmea, rig.sink.gps[0]);
    ASSERT_EQ(1u, rig.sink.gps_times.size());
    EXPECT_EQ(345600u + 2200u * 604800u - 18u + 315964800u, rig.sink.gps_times[0].first);
    EXPECT_EQ(123, rig.sink.gps_times[0].second);

    ubx[6 + 11] = 3; // not valid
    eep.gps_source = 1; // NMEA text does not come through the CU
    ASSERT_EQ(0, decode(cat({elem(132, text), elem(131, ubx)})));
    EXPECT_EQ(1u, rig.sink.gps.size());
    EXPECT_EQ(0u, rig.sink.gps_times.back().first);

    eep.gps_source = 2;
    testing::internal::CaptureStdout();
    ASSERT_EQ(0, decode(elem(132, Bytes(4000, 'A'))));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStdout().find("gps_buf tries to be overflowed! (4000)"));
    EXPECT_EQ(1u, rig.sink.gps.size());
}
