// The subsurface model: events where the physics puts them, determinism, stacking, the scene
// file, the wire checksums and the ground-truth file.
#include "sim/cu/scene.h"
#include "sim/cu/truth.h"
#include "sim/cu/wire.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

size_t peak(const std::vector<double>& v, size_t from = 0)
{
    size_t best = from;
    for (size_t i = from; i < v.size(); ++i) if (std::fabs(v[i]) > std::fabs(v[best])) best = i;
    return best;
}

cusim::Scene bare()
{
    cusim::Scene s;
    s.direct = 0; s.ringing = 0; s.noise = 0; s.clutter_count = 0; s.attenuation = 0;
    return s;
}

TEST(CusimScene, DirectWaveSitsAtTimeZero)
{
    cusim::Scene s = cusim::Scene::standard();
    s.noise = 0;
    std::vector<double> v;
    s.render(3.0, 0, 0.1, 400, 1, 1, v);
    EXPECT_NEAR(double(peak(v)) * 0.1, s.timezero, 0.15);
    std::vector<double> later;
    s.render(3.0, 5.0, 0.1, 400, 1, 1, later);   // a window opened 5 ns later
    EXPECT_NEAR(double(peak(later)) * 0.1 + 5.0, s.timezero, 0.15);
}

TEST(CusimScene, PointTargetDrawsADiffractionHyperbolaForTheSoilVelocity)
{
    cusim::Scene s = bare();
    s.layers.clear();
    s.points = {{10.0, 1.0, 0.5}};
    const double dt = 0.05;
    std::vector<double> v;
    for (double dx : {0.0, 0.5, 1.0}) {
        s.render(10.0 + dx, 0, dt, 2000, 1, 1, v);
        const double t = s.timezero + 2 * std::sqrt(1.0 + dx * dx) / s.velocity;
        EXPECT_NEAR(double(peak(v)) * dt, t, 0.1) << dx;
    }
    s.render(16.0, 0, dt, 2000, 1, 1, v);
    EXPECT_LT(std::fabs(v[peak(v)]), 1.0) << "a target far to the side is out of the beam";
}

TEST(CusimScene, LayerEchoesComeAtTwoWayTimeAndFadeWithDepth)
{
    cusim::Scene s = bare();
    s.points.clear();
    s.attenuation = 0.1;
    s.layers = {{1.0, 0.0, 0.3, 0, 20}};
    std::vector<double> v;
    s.render(0.0, 0, 0.05, 3000, 1, 1, v);
    EXPECT_NEAR(double(peak(v)) * 0.05, s.timezero + 2 * 1.0 / s.velocity, 0.3);
    const double shallow = std::fabs(v[peak(v)]);
    s.layers = {{3.0, 0.0, 0.3, 0, 20}};
    s.render(0.0, 0, 0.05, 3000, 1, 1, v);
    EXPECT_LT(std::fabs(v[peak(v)]), shallow / 3);
}

TEST(CusimScene, NoiseIsSeededAndStackingReducesIt)
{
    cusim::Scene s = bare();
    s.layers.clear(); s.points.clear();
    s.noise = 0.01;
    std::vector<double> a, b, c, d;
    s.render(0, 0, 0.1, 4000, 7, 1, a);
    s.render(0, 0, 0.1, 4000, 7, 1, b);
    s.render(0, 0, 0.1, 4000, 8, 1, c);
    s.render(0, 0, 0.1, 4000, 7, 16, d);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    auto rms = [](const std::vector<double>& v) { double s2 = 0; for (double x : v) s2 += x * x; return std::sqrt(s2 / double(v.size())); };
    EXPECT_NEAR(rms(a), 0.01 * 32767, 0.01 * 32767 * 0.05);
    EXPECT_NEAR(rms(d) / rms(a), 0.25, 0.02);
}

TEST(CusimScene, SceneFileReplacesListsAndReportsBadLines)
{
    cusim::Scene s = cusim::Scene::standard();
    std::string err;
    ASSERT_TRUE(s.parse("# test\nvelocity 0.12\nlayer 0.8 0.2\nlayer 2.0 -0.3 0.01\npoint 5 1.2 0.4\nclutter 0 0\n", err)) << err;
    EXPECT_DOUBLE_EQ(s.velocity, 0.12);
    ASSERT_EQ(s.layers.size(), 2u);
    EXPECT_DOUBLE_EQ(s.layers[1].dip, 0.01);
    ASSERT_EQ(s.points.size(), 1u);
    EXPECT_FALSE(s.parse("velocity 0.1\nlayer -1\n", err));
    EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    EXPECT_FALSE(s.parse("depth 3\n", err));
    EXPECT_FALSE(s.parse("velocity fast\n", err));
}

TEST(CusimWire, ChecksumsMatchKnownValues)
{
    // The IPv4 header example of RFC 1071 practice: checksum 0xB861.
    const uint8_t ip[20] = {0x45, 0x00, 0x00, 0x73, 0x00, 0x00, 0x40, 0x00, 0x40, 0x11,
                            0x00, 0x00, 0xC0, 0xA8, 0x00, 0x01, 0xC0, 0xA8, 0x00, 0xC7};
    EXPECT_EQ(cusim::ipv4_header_checksum(ip), 0xB861);
    const uint8_t abc[3] = {'a', 'b', 'c'};
    EXPECT_EQ(cusim::crc16_xmodem(abc, 3), 0x9DD6);
    const uint8_t digits[9] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(cusim::crc16_xmodem(digits, 9), 0x31C3);
    cusim::Mac m;
    EXPECT_TRUE(cusim::parse_mac("02:c5:00:0a:FF:01", m));
    EXPECT_EQ(cusim::mac_text(m), "02:C5:00:0A:FF:01");
    EXPECT_FALSE(cusim::parse_mac("02:c5:00:0a:FF", m));
    uint32_t a;
    EXPECT_FALSE(cusim::parse_ipv4("192.168.1.300", a));
}

TEST(CusimWire, CommandParserIgnoresForeignTrafficAndShortFrames)
{
    std::vector<uint8_t> arp(60, 0);
    arp[12] = 0x08; arp[13] = 0x06;
    cusim::Command c;
    EXPECT_EQ(cusim::parse_command(arp.data(), arp.size(), c), cusim::ParseResult::NotOurs);
    std::vector<uint8_t> raw(150, 0);
    raw[12] = 0x55; raw[13] = 0x55;
    raw[16] = 0x00; raw[17] = 61; raw[23] = 1;
    ASSERT_EQ(cusim::parse_command(raw.data(), raw.size(), c), cusim::ParseResult::Ok);
    EXPECT_EQ(c.code, 61);
    EXPECT_EQ(c.arg[0], 1u);
    EXPECT_EQ(cusim::parse_command(raw.data(), 12, c), cusim::ParseResult::Short);
    // A truncated frame still decodes what it holds; missing arguments read as 0.
    ASSERT_EQ(cusim::parse_command(raw.data(), 26, c), cusim::ParseResult::Ok);
    EXPECT_EQ(c.arg[1], 0u);
}

TEST(CusimTruth, RecordsRoundTripAndDamageIsDetected)
{
    const std::string path = "/tmp/cusim-truth-" + std::to_string(getpid());
    cusim::Trace a;
    a.measurement = 2; a.number = 7; a.trigger = -35; a.wheel = -40; a.time = 123456; a.first_block = 37;
    a.clipped = 2; a.samples = 3; a.format = 16; a.source = 'W'; a.flags = 3;
    a.s16 = {-1, 2, -32768, 32767, 5};
    cusim::Trace b = a;
    b.format = 32; b.divisor = 9; b.s16.clear(); b.w32 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    {
        cusim::TruthWriter w;
        std::string err;
        ASSERT_TRUE(w.open(path, err));
        w.write(a);
        w.write(b);
    }
    std::vector<cusim::Trace> got;
    std::string err;
    ASSERT_TRUE(cusim::read_truth(path, got, err)) << err;
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].trigger, -35);
    EXPECT_EQ(got[0].s16, a.s16);
    EXPECT_EQ(got[0].flags, 3);
    EXPECT_EQ(got[1].w32, b.w32);
    EXPECT_EQ(got[1].divisor, 9);
    EXPECT_EQ(got[1].first_block, 37u);
    // A cut file is refused, not misread.
    FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_TRUE(f);
    ASSERT_EQ(ftruncate(fileno(f), 16 + 40 + 10 + 20), 0);
    std::fclose(f);
    EXPECT_FALSE(cusim::read_truth(path, got, err));
    std::remove(path.c_str());
}

}  // namespace
