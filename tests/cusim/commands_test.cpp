// The CU's answers, decoded at the offsets the monitor's command layer reads them.
#include "cusim/bench_cu.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace cutest;

namespace {

TEST(CusimDiscovery, RawAnswerTeachesTheMacAndIsAddressedToTheAsker)
{
    CuBench b(false);
    auto replies = b.send(b.client.command(0xFFFF));
    ASSERT_EQ(replies.size(), 1u);
    const Reply& r = replies[0];
    EXPECT_EQ(r.kind, 1);
    EXPECT_EQ(r.answered, 1);
    EXPECT_EQ(r.protocol, 0x5555);
    EXPECT_EQ(r.payload[0], 0xFF);
    EXPECT_EQ(r.payload[1], 0xFF);
    EXPECT_EQ(r.last, 1);
    EXPECT_EQ(r.frame_no, 1);
    EXPECT_GE(r.payload.size(), 80u) << "the monitor copies 80 payload bytes of every answer";
    b.discover();
    EXPECT_EQ(b.client.cu, b.cfg.mac);
    // After discovery commands go to the CU's own MAC; a frame for another MAC is not answered.
    EXPECT_EQ(b.ask(0xFFFE).kind, 1);
    Client stranger = b.client;
    stranger.cu = {0x02, 0, 0, 0, 0, 0x99};
    EXPECT_TRUE(b.send(stranger.command(0xFFFE)).empty());
}

TEST(CusimDiscovery, UdpAnswerCarriesIpWordBAndValidChecksums)
{
    cusim::DeviceConfig c;
    c.ip = 0xC0A8014D;   // 192.168.1.77: differs from the monitor's default guess
    c.word_b = 0xCAFE0042;
    CuBench b(true, c);
    b.client.protocol = 0x5557;
    auto replies = b.send(b.client.command(0xFFFF));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_TRUE(replies[0].udp);
    EXPECT_TRUE(replies[0].checksum_ok);
    EXPECT_EQ(replies[0].protocol, 0x5557) << "answers carry the protocol word the monitor expects";
    b.discover();
    EXPECT_EQ(b.client.cu_ip, 0xC0A8014Du);
    EXPECT_EQ(b.client.word_b, 0xCAFE0042u);
    EXPECT_EQ(b.ask(0xFFFE).kind, 1);
}

TEST(CusimDiscovery, FramesWithBadChecksumsAreRejected)
{
    CuBench b(true);
    Bytes f = b.client.command(0xFFFF);
    Bytes bad_udp = f;
    bad_udp[60] ^= 1;   // payload changed, checksum left
    EXPECT_TRUE(b.send(bad_udp).empty());
    Bytes bad_ip = f;
    bad_ip[24] ^= 0x40;   // IPv4 header checksum
    EXPECT_TRUE(b.send(bad_ip).empty());
    EXPECT_EQ(b.dev->stats().rejected, 2u);
    EXPECT_EQ(b.send(f).size(), 1u);
}

TEST(CusimCommands, VersionsAntennaClocksAndTestsAtTheirOffsets)
{
    CuBench b(true);
    b.discover();
    const Reply v = b.ask(61, 0, {1});
    ASSERT_EQ(v.kind, 1);
    const uint32_t program = v.u32(0);
    EXPECT_GE(program, 0x30000000u);
    EXPECT_LE(program, 0x4FFFFFFFu);
    EXPECT_GT(program, 0x30004FFFu) << "new protocol: the monitor switches to UDP blocks";
    EXPECT_EQ(v.u32(20), 12u) << "the device check wants a sixth version word of 12";
    EXPECT_EQ(b.ask(61, 0, {60}).u32(0), b.cfg.usa_fpga_version);
    EXPECT_EQ(b.ask(61, 0, {70}).u32(0), b.cfg.usa_pic_version);
    EXPECT_EQ(b.ask(61, 0, {90}).u32(0), b.cfg.cu_fpga_version);

    const Reply id = b.ask(76);
    EXPECT_EQ(id.u32(0), b.cfg.antenna_id);
    EXPECT_EQ(id.u32(4), b.cfg.antenna_serial);
    b.ask(43, 0, {3, 46, 777});
    EXPECT_EQ(b.ask(76).u32(0), 46u);
    EXPECT_EQ(b.ask(76).u32(4), 777u);

    EXPECT_EQ(b.ask(59).u32(8), b.cfg.clock_hz);
    EXPECT_EQ(b.ask(120).u32(8), b.cfg.adc_hz);
    const Reply adc = b.ask(51);
    EXPECT_EQ(adc.u16(0), b.cfg.adc_values[0]);
    EXPECT_EQ(adc.u16(2), b.cfg.adc_values[1]);
    const Reply init = b.ask(160);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(init.u16(2 * size_t(i)), 0) << i;

    EXPECT_EQ(b.ask(65, 0, {11, 0x2080000, 0x80000, 0x55, 1}).u32(0), 0u) << "SRAM test passes";
    EXPECT_EQ(b.ask(65, 0, {11, 0x2080000, 0x80000, 0xAA, 1}).u32(4) & 0xFF, 0xAAu);
    EXPECT_EQ(b.ask(65, 0, {70}).u16(0), 0);
    EXPECT_EQ(b.ask(65, 0, {104, 9500, 100}).u16(0), 0);
    const Reply fpga = b.ask(65, 0, {105, 100});
    EXPECT_EQ(fpga.u32(0), 0u);
    const double ms = double(fpga.u32(12)) / b.cfg.clock_hz * 1000;
    EXPECT_GE(ms, 512);
    EXPECT_LE(ms, 640) << "the FPGA test's trigger time lies in the accepted window";
    EXPECT_EQ(b.ask(65, 0, {304}).u32(0), 1u) << "WiFi switch";
    EXPECT_EQ(b.ask(221, 0, {1}).u32(0), 0u) << "SD card enabled";
    EXPECT_EQ(b.ask(43, 0, {10, 1, 1, 0}).u16(0), 0) << "GPS connected";
}

TEST(CusimCommands, ParametersSetByCommandsAreReportedByCommand125)
{
    CuBench b(true);
    b.discover();
    const Reply d = b.ask(125, 0, {1});
    EXPECT_EQ(d.u32(0), b.cfg.params.runs);
    EXPECT_EQ(uint16_t(~d.u32(4)), b.cfg.params.signal_position) << "signal position is sent complemented";
    EXPECT_EQ(d.u32(8), 312500u) << "one of the monitor's transmitter frequencies";
    EXPECT_EQ(d.u32(24), b.cfg.params.cu_samples);
    EXPECT_LE(d.u32(40) + d.u32(12), d.u32(24)) << "file samples fit the CU samples";

    b.ask(104, 0, {20});           // runs
    b.ask(3, 0, {0xFFFF - 300});   // signal position
    b.ask(129, 0, {200});          // frequency divider
    b.ask(192, 0, {12});           // clipped
    b.ask(190, 0, {330});          // separation, mm
    b.ask(194, 0, {40});           // zero level
    b.ask(65, 0, {52, 512});       // CU samples
    b.ask(40, 0, {1, 8});          // auto stacks
    b.ask(1, 0, {500});            // file samples
    const Reply r = b.ask(125, 0, {1});
    EXPECT_EQ(r.u32(0), 20u);
    EXPECT_EQ(uint16_t(~r.u32(4)), 0xFFFF - 300);
    EXPECT_EQ(r.u32(8), 400000u);
    EXPECT_EQ(r.u32(12), 12u);
    EXPECT_EQ(r.u32(16), 330u);
    EXPECT_EQ(r.u32(20), 40u);
    EXPECT_EQ(r.u32(24), 512u);
    EXPECT_EQ(r.u32(28), 8u);
    EXPECT_EQ(r.u32(40), 500u);

    // A switch-off without WriteParameters forgets them; with it they survive.
    b.ask(124, 0, {0});
    b.ask(104, 0, {7});
    EXPECT_EQ(b.ask(16, 0, {1}).kind, 1) << "reset is answered before the CU restarts";
    EXPECT_EQ(b.ask(0xFFFE).kind, 0) << "restarting";
    b.now += 2;
    EXPECT_EQ(b.ask(125, 0, {1}).u32(0), 20u);
}

TEST(CusimCommands, WheelAndTimePositionsFollowTheirSetters)
{
    CuBench b(true);
    b.discover();
    b.ask(9, 2, {1, 1234});
    EXPECT_EQ(b.ask(58, 2).u32(0), 1234u);
    b.ask(9, 2, {1, uint32_t(-50)});
    EXPECT_EQ(int32_t(b.ask(58, 2).u32(0)), -50);
    b.ask(10, 0, {1, 0});
    b.now += 2.5;
    const Reply t = b.ask(59);
    EXPECT_NEAR(double(t.u32(0)) / t.u32(8), 2.5, 0.01) << "time position in CU clock ticks";
}

TEST(CusimCommands, WifiCommandsAnswerWhatTheWifiScreenChecks)
{
    CuBench b(false);
    b.discover();
    const uint16_t pn = b.client.packet;
    auto rs = b.send(b.client.text(195, 0, "<DO>"));
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_EQ(rs[0].answered, pn);
    EXPECT_EQ(rs[0].payload[1], 'S');
    const Reply w = b.ask(220, 0, {0x534F524C, 0x414E5F31, 0, 0, 0, 0, 6, 0xC0A80102});
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w.u32(4 * size_t(i)), 0x3C533E00u);
}

TEST(CusimFaults, ErrorReportPrecedesItsAnswerWithTheSwappedPacketNumber)
{
    cusim::DeviceConfig c;
    std::string err;
    ASSERT_TRUE(c.faults.add("error=0x2200@cmd:58", err)) << err;
    CuBench b(true, c);
    b.discover();
    b.client.packet = 0x0102;
    auto rs = b.send(b.client.command(58));
    ASSERT_EQ(rs.size(), 2u);
    EXPECT_EQ(rs[0].kind, 3);
    EXPECT_EQ(rs[0].u16(2), 0x2200);
    // The monitor exchanges the two bytes of this field before comparing with its packet number.
    EXPECT_EQ(rs[0].answered, 0x0201);
    EXPECT_EQ(rs[1].kind, 1);
    EXPECT_EQ(rs[1].answered, 0x0102);
}

TEST(CusimFaults, UnansweredCommandsStayUnansweredTheGivenNumberOfTimes)
{
    cusim::DeviceConfig c;
    std::string err;
    ASSERT_TRUE(c.faults.add("noanswer=61:2", err)) << err;
    CuBench b(true, c);
    b.discover();
    EXPECT_EQ(b.ask(61, 0, {1}).kind, 0);
    EXPECT_EQ(b.ask(61, 0, {1}).kind, 0);
    EXPECT_EQ(b.ask(61, 0, {1}).kind, 1);
    EXPECT_EQ(b.dev->stats().unanswered, 2u);
}

TEST(CusimFaults, SilenceSendsNothingUntilItEnds)
{
    cusim::DeviceConfig c;
    std::string err;
    ASSERT_TRUE(c.faults.add("silence=2@cmd:76", err)) << err;
    CuBench b(true, c);
    b.discover();
    EXPECT_EQ(b.ask(76).kind, 0);
    b.now += 1;
    EXPECT_EQ(b.ask(0xFFFE).kind, 0);
    b.now += 1.5;
    EXPECT_EQ(b.ask(0xFFFE).kind, 1);
    EXPECT_EQ(b.ask(76).kind, 1) << "the silence is one-shot";
}

TEST(CusimFaults, FaultSpecificationsAreCheckedAndBadOnesRefused)
{
    cusim::FaultConfig f;
    std::string err;
    EXPECT_TRUE(f.add("loss=0.03,burst=0.001:20,dup=0.01,reorder=0.02,badsum=0.01,drop=17.2", err)) << err;
    EXPECT_DOUBLE_EQ(f.loss, 0.03);
    EXPECT_EQ(f.burst_length, 20);
    EXPECT_TRUE(f.drops.count({17, 2}));
    EXPECT_FALSE(f.add("loss=1.5", err));
    EXPECT_FALSE(f.add("burst=0.1", err));
    EXPECT_FALSE(f.add("error=0x2200", err)) << "needs a place";
    EXPECT_FALSE(f.add("silence=-1@trace:3", err));
    EXPECT_FALSE(f.add("explode=1", err));
}

// ---- firmware upload ------------------------------------------------------------------------

Bytes hex_framing(const std::vector<std::string>& lines, bool close = true)
{
    auto crc = [](const Bytes& d) { return cusim::crc16_xmodem(d.data(), d.size()); };
    Bytes out;
    auto frame = [&](Bytes rec) {
        const uint16_t c = crc(rec);
        rec.push_back(uint8_t(c));
        rec.push_back(uint8_t(c >> 8));
        out.push_back(0x01);
        for (uint8_t x : rec) {
            if (x == 0x01 || x == 0x04 || x == 0x10) out.push_back(0x10);
            out.push_back(x);
        }
        out.push_back(0x04);
    };
    for (const std::string& l : lines) {
        Bytes rec{0x03};
        for (size_t i = 1; i + 1 < l.size(); i += 2) rec.push_back(uint8_t(std::stoi(l.substr(i, 2), nullptr, 16)));
        frame(rec);
    }
    if (close) frame(Bytes{0x05});
    return out;
}

struct Upload {
    std::vector<Reply> replies;
    uint16_t last_packet = 0;
};

Upload upload(CuBench& b, const Bytes& stream, uint16_t type, int skip_chunk = -1)
{
    Upload u;
    uint16_t frame_no = 1;
    for (size_t at = 0; at < stream.size(); at += 1020, ++frame_no) {
        const size_t n = std::min<size_t>(1020, stream.size() - at);
        const bool last = stream.size() - at <= 1020;
        u.last_packet = b.client.packet;
        const Bytes f = b.client.chunk(stream.data() + at, n, type, last, frame_no);
        if (int(frame_no) - 1 == skip_chunk) continue;
        for (auto& r : b.send(f)) u.replies.push_back(r);
    }
    return u;
}

TEST(CusimFirmware, UploadIsAnsweredOnceWithTheByteSumsAndCommitted)
{
    CuBench b(true);
    b.discover();
    Bytes image(3 * 1020);   // a multiple of the chunk size: the last full chunk ends it
    uint32_t sum = 0;
    for (size_t i = 0; i < image.size(); ++i) { image[i] = uint8_t(i * 7 + 3); sum += image[i]; }
    const Upload u = upload(b, image, 0);
    ASSERT_EQ(u.replies.size(), 1u) << "only the last chunk is answered";
    EXPECT_EQ(u.replies[0].answered, u.last_packet);
    EXPECT_EQ(u.replies[0].u32(0), sum);
    EXPECT_EQ(u.replies[0].u32(4), sum);
    auto commit = b.send(b.client.command(65, 0, {310}));
    ASSERT_EQ(commit.size(), 1u);
    EXPECT_EQ(commit[0].kind, 1);
}

TEST(CusimFirmware, HexUploadFramingIsChecked)
{
    CuBench b(true);
    b.discover();
    const std::vector<std::string> hex = {":10010000214601360121470136007EFE09D2190140", ":0400100010040101D6",
                                         ":00000001FF"};
    // The second line's 0x10, 0x04, 0x01 data bytes are escaped in the framing.
    const Bytes good = hex_framing(hex);
    Upload u = upload(b, good, 15);
    ASSERT_EQ(u.replies.size(), 1u);
    EXPECT_EQ(u.replies[0].kind, 1);
    EXPECT_EQ(b.send(b.client.command(65, 15, {310})).size(), 1u);

    Bytes bad = good;
    bad[5] ^= 0x20;   // a data byte: its CRC no longer matches
    u = upload(b, bad, 15);
    ASSERT_EQ(u.replies.size(), 2u);
    EXPECT_EQ(u.replies[0].kind, 3) << "the error report comes before the answer";
    EXPECT_EQ(u.replies[0].u16(2), 0x3902);
    auto commit = b.send(b.client.command(65, 15, {310}));
    ASSERT_EQ(commit.size(), 2u) << "nothing sound to commit";
    EXPECT_EQ(commit[0].kind, 3);
}

TEST(CusimFirmware, MissingChunkIsReported)
{
    CuBench b(true);
    b.discover();
    Bytes image(2500, 0x5A);
    const Upload u = upload(b, image, 11, 1);
    ASSERT_EQ(u.replies.size(), 2u);
    EXPECT_EQ(u.replies[0].u16(2), 0x3901);
}

TEST(CusimFirmware, HexFramingCheckFindsEachKindOfDamage)
{
    const Bytes good = hex_framing({":0300300002337A1E", ":00000001FF"});
    EXPECT_EQ(cusim::check_hex_framing(good), "");
    Bytes no_end(good.begin(), good.end() - 1);
    EXPECT_NE(cusim::check_hex_framing(no_end), "");
    EXPECT_NE(cusim::check_hex_framing(hex_framing({":0300300002337A1E"}, false)), "") << "no closing record";
    const Bytes bad_line = hex_framing({":0300300002337A1F", ":00000001FF"});
    EXPECT_NE(cusim::check_hex_framing(bad_line), "") << "HEX line checksum";
}

}  // namespace
