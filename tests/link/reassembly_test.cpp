// The receiving thread's reassembly, driven through the wire: acceptance, raw-mode packets,
// block mode with gaps, filler, the missed-block table, resend requests and late blocks.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Bytes ring_bytes(CEthernet& l, const CTraceDesc& d)
{
    uint32_t n = d.end >= d.start ? d.end - d.start : d.end + kMeaRingSize - d.start;
    Bytes b(n);
    l.ring_read(d.start, b.data(), n);
    return b;
}

uint32_t queued(CEthernet& l) { return (l.tr_write + kDescCount - l.tr_read) % kDescCount; }

Bytes raw_data_frame(uint16_t pk, uint16_t frame, bool last, const Bytes& payload, uint8_t pad = 0)
{
    CuFrame f;
    f.kind = 2;
    f.packet = pk;
    f.frame = frame;
    f.last = last;
    f.payload = payload;
    f.pad = pad;
    return f.build();
}

Bytes pattern(size_t n, int seed)
{
    Bytes b(n);
    for (size_t i = 0; i < n; i++)
        b[i] = uint8_t(seed * 31 + i * 7 + 1);
    return b;
}

} // namespace

TEST(Acceptance, ShortTruncatedForeignAndOtherProtocolFramesAreDropped)
{
    LinkRig rig;
    rig.open();
    CuFrame a;
    a.kind = 1;
    a.payload = Bytes(40, 0); // 20 + 40 + 4 = 64 bytes: too short, silently
    testing::internal::CaptureStdout();
    rig.feed(a.build());
    a.payload = Bytes(80, 0);
    Bytes ok = a.build();
    rig.wire.inject(ok.data(), ok.size(), ok.size() + 10); // truncated by the capture
    rig.wire.wait_idle();
    a.dst = kWlan0Mac;
    rig.feed(a.build());
    a.dst = kEth0Mac;
    a.protocol = 0x5557;
    rig.feed(a.build());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(0, rig.link->good_packets);
    EXPECT_EQ(4, rig.link->all_packets);
    EXPECT_EQ(0, rig.link->read_answ());
    EXPECT_NE(std::string::npos, out.find("This packet has not destined for us, we will block it."));
    EXPECT_NE(std::string::npos, out.find("This is not our protocol, we will block it."));
    a.protocol = 0x5555;
    rig.feed(a.build()); // 65 bytes and all right
    EXPECT_EQ(1, rig.link->good_packets);
    EXPECT_EQ(1, rig.link->read_answ());
}

TEST(Acceptance, UdpChecksumErrorsDropAnswersAndCountDataFrames)
{
    LinkRig rig;
    rig.open(true);
    CuFrame a;
    a.udp = true;
    a.kind = 1;
    a.payload = Bytes(80, 0);
    a.bad_checksum = true;
    testing::internal::CaptureStdout();
    rig.feed(a.build());
    a.kind = 2;
    rig.feed(a.build());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("checksums: "));
    EXPECT_NE(std::string::npos, out.find("checksum error: "));
    EXPECT_EQ(1, rig.link->checksum_packets);
    EXPECT_EQ(0, rig.link->read_answ());
    a.kind = 1;
    a.bad_checksum = false;
    rig.feed(a.build());
    EXPECT_EQ(1, rig.link->read_answ());
}

TEST(RawMode, PacketWhoseSecondFrameIsLostIsDiscardedAndTheNextOneTaken)
{
    LinkRig rig;
    rig.open();
    rig.sink.meas = true;
    Bytes a1 = pattern(200, 1), a3 = pattern(200, 3), b1 = pattern(200, 4), b2 = pattern(120, 5);
    testing::internal::CaptureStdout();
    rig.feed(raw_data_frame(10, 1, false, a1));
    // frame 2 of packet 10 never arrives
    rig.feed(raw_data_frame(10, 3, true, a3));
    rig.feed(raw_data_frame(11, 1, false, b1));
    rig.feed(raw_data_frame(11, 2, true, b2, 20)); // the last 20 bytes are padding
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("eth_err: some frames dissapeared"));
    ASSERT_EQ(1u, queued(*rig.link));
    const CTraceDesc& d = rig.link->tr_desc[rig.link->tr_read];
    Bytes want = b1;
    want.insert(want.end(), b2.begin(), b2.end() - 20);
    EXPECT_EQ(want, ring_bytes(*rig.link, d));
    EXPECT_EQ(1, d.kind);
    EXPECT_EQ(0, d.restored);
    EXPECT_EQ(-4, rig.link->rec_error_2);
}

TEST(RawMode, UnfinishedPacketIsDroppedWhenTheNextBegins)
{
    LinkRig rig;
    rig.open();
    rig.sink.meas = true;
    testing::internal::CaptureStdout();
    rig.feed(raw_data_frame(1, 1, false, pattern(100, 1)));
    rig.feed(raw_data_frame(2, 1, true, pattern(100, 2)));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("eth_err: prev pk was not finished"));
    ASSERT_EQ(1u, queued(*rig.link));
    EXPECT_EQ(pattern(100, 2), ring_bytes(*rig.link, rig.link->tr_desc[0]));
}

TEST(RawMode, OutsideAMeasurementDataIsCommittedButNotQueued)
{
    LinkRig rig;
    rig.open();
    rig.feed(raw_data_frame(1, 1, true, pattern(100, 1)));
    EXPECT_EQ(0u, queued(*rig.link));
    EXPECT_EQ(100u, rig.link->eth_buf_end);
    EXPECT_EQ(0u, rig.link->eth_buf_beg);
}

TEST(RawMode, FullRingDropsThePacketAndCountsIt)
{
    LinkRig rig;
    rig.open();
    rig.sink.meas = true;
    // The reader still holds everything from position 100 on: only 99 bytes are free.
    rig.link->eth_buf_beg = 100;
    rig.link->m_buf_end = rig.link->eth_buf_end = 0;
    testing::internal::CaptureStdout();
    rig.feed(raw_data_frame(1, 1, true, pattern(100, 1)));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("norm.mode: eth buf is full"));
    EXPECT_EQ(1, rig.link->buf_over);
    EXPECT_EQ(0u, queued(*rig.link));
    EXPECT_EQ(0u, rig.link->m_buf_end);
    rig.feed(raw_data_frame(2, 1, true, pattern(99, 2)));
    EXPECT_EQ(1u, queued(*rig.link));
}

TEST(RingPrimitives, WritesAcrossTheEndWrapAndKeepTheMirror)
{
    LinkRig rig;
    rig.link->m_buf_end = rig.link->eth_buf_end = rig.link->eth_buf_beg = kMeaRingSize - 4;
    Bytes p = pattern(12, 9);
    ASSERT_EQ(0, rig.link->add_bytes(p.data(), 12));
    EXPECT_EQ(8u, rig.link->m_buf_end);
    Bytes back(12);
    rig.link->ring_read(kMeaRingSize - 4, back.data(), 12);
    EXPECT_EQ(p, back);
    // A reader may run past the end into the mirror.
    EXPECT_EQ(0, memcmp(rig.link->m_buf + kMeaRingSize, p.data() + 4, 8));
    EXPECT_EQ(uint32_t(p[2]) << 24 | uint32_t(p[3]) << 16 | uint32_t(p[4]) << 8 | p[5],
              rig.link->ring_be32(kMeaRingSize - 2));
}

// ---- Block mode ----

namespace {

// 300 samples: B = (4 * 300 + 30) / 496 + 1 = 3 blocks per trace, the last holding 238 bytes.
constexpr int kTraceBytes = 1230;

class BlockMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        eep.samples = 300;
        eep.clipped = 0;
        rig.open(true);
        prm.restore_missed = 1;
        prm.request_missed = 1;
        rig.link->set_block_mode(true);
        rig.link->prev_good_block = 0;
        rig.sink.meas = true;
    }

    static Bytes trace_data(int t) { return pattern(kTraceBytes, t); }

    Bytes block(uint32_t b, int t, int part, uint8_t type = 2)
    {
        Bytes all = trace_data(t);
        size_t from = size_t(part - 1) * 496;
        size_t n = all.size() - from < 496 ? all.size() - from : 496;
        Bytes data(all.begin() + long(from), all.begin() + long(from + n));
        CuFrame f;
        f.udp = true;
        f.kind = 2;
        f.block = true;
        f.packet = uint16_t(b);
        f.payload = block_payload(b, type, uint32_t(t), uint16_t(496 - n), uint16_t(part), data);
        return f.build();
    }

    // Blocks of trace t start at 3 * (t - 1) + 1.
    void send_trace(int t, int skip_part = 0)
    {
        for (int p = 1; p <= 3; p++)
            if (p != skip_part)
                rig.feed(block(uint32_t(3 * (t - 1) + p), t, p));
    }

    std::vector<SentCommand> commands(uint16_t code)
    {
        std::vector<SentCommand> v;
        for (const Bytes& f : rig.sent()) {
            SentCommand c;
            if (parse_command(f, &c) && c.cmd == code)
                v.push_back(c);
        }
        return v;
    }

    LinkRig rig;
};

} // namespace

TEST_F(BlockMode, CompleteTracesAreQueuedWithTheirBlockAndTraceNumbers)
{
    send_trace(1);
    send_trace(2);
    ASSERT_EQ(2u, queued(*rig.link));
    for (int t = 1; t <= 2; t++) {
        const CTraceDesc& d = rig.link->tr_desc[t - 1];
        EXPECT_EQ(trace_data(t), ring_bytes(*rig.link, d));
        EXPECT_EQ(3 * t, d.block);
        EXPECT_EQ(t, d.trace);
        EXPECT_EQ(2, d.kind);
        EXPECT_EQ(0, d.restored);
        EXPECT_EQ(1, rig.link->tr_restored[t]);
    }
    EXPECT_EQ(6, rig.link->last_block_addr);
    EXPECT_EQ(0, rig.link->tot_missed_blocks);
}

TEST_F(BlockMode, WrongBlockLengthIsRefused)
{
    Bytes f = block(1, 1, 1);
    f.push_back(0); // 513-byte payload
    testing::internal::CaptureStdout();
    rig.feed(f);
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStdout().find("Frame length of a block is not correct!"));
    EXPECT_EQ(0, rig.link->prev_good_block);
}

TEST_F(BlockMode, GapOf5000BlocksFillsTheLast1062AndRecordsTheWholeInterval)
{
    send_trace(1); // blocks 1..3
    uint32_t after_trace = rig.link->m_buf_end;
    testing::internal::CaptureStdout();
    rig.feed(block(5004, 1668, 1)); // blocks 4..5003 lost
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(5000, rig.link->tot_missed_blocks);
    EXPECT_EQ(1, rig.link->tot_missed_blocks_intervals);
    const CMissedBlock& e = rig.link->mb_buf[0];
    EXPECT_EQ(4, e.first);
    EXPECT_EQ(5003, e.last);
    EXPECT_EQ(after_trace + 1062u * 496u, e.position);
    EXPECT_EQ(1u, rig.link->mb_write);
    Bytes filler(1062 * 496);
    rig.link->ring_read(after_trace, filler.data(), uint32_t(filler.size()));
    EXPECT_EQ(Bytes(filler.size(), 0x88), filler);
    // The resend request names the filled part of the interval.
    auto req = commands(210);
    ASSERT_EQ(1u, req.size());
    EXPECT_EQ(5004u - 1062u, req[0].args[0]);
    EXPECT_EQ(5003u, req[0].args[1]);
    EXPECT_EQ(0, rig.link->MBCommand_is_allowed);
    // A second gap soon after does not ask again.
    rig.feed(block(5010, 1670, 1));
    EXPECT_EQ(1u, commands(210).size());
    EXPECT_EQ(2u, rig.link->mb_write);
}

TEST_F(BlockMode, LateBlockThatCompletesATraceQueuesItAsRestored)
{
    send_trace(1);
    send_trace(2, 2); // block 5 lost
    send_trace(3);
    EXPECT_EQ(2u, queued(*rig.link));
    EXPECT_EQ(1, rig.link->not_block_test_ok);
    EXPECT_EQ(0, rig.link->tr_restored[2]);
    rig.feed(block(5, 2, 2)); // resent by the CU
    ASSERT_EQ(3u, queued(*rig.link));
    const CTraceDesc& d = rig.link->tr_desc[2];
    EXPECT_EQ(1, d.restored);
    EXPECT_EQ(2, d.trace);
    EXPECT_EQ(6, d.block);
    EXPECT_EQ(trace_data(2), ring_bytes(*rig.link, d));
    EXPECT_EQ(1, rig.link->tr_restored[2]);
    EXPECT_EQ(1, rig.link->meas_resended_blocks);
    // Sent once more, it is ignored.
    rig.feed(block(5, 2, 2));
    EXPECT_EQ(3u, queued(*rig.link));
}

TEST_F(BlockMode, LateBlockDoesNotQueueWhileFillerRemainsInItsTrace)
{
    send_trace(1);
    rig.feed(block(6, 2, 3)); // blocks 4 and 5 lost
    send_trace(3);
    rig.feed(block(5, 2, 2));
    EXPECT_EQ(2u, queued(*rig.link)) << "block 4 still holds filler";
    rig.feed(block(4, 2, 1));
    ASSERT_EQ(3u, queued(*rig.link));
    const CTraceDesc& d = rig.link->tr_desc[2];
    EXPECT_EQ(1, d.restored);
    EXPECT_EQ(trace_data(2), ring_bytes(*rig.link, d));
}

TEST_F(BlockMode, LateBlockOfAnUnknownIntervalIsIgnored)
{
    send_trace(1);
    send_trace(2);
    testing::internal::CaptureStdout();
    rig.feed(block(2, 1, 2)); // its trace was queued already: dropped without a search
    EXPECT_EQ(std::string::npos, testing::internal::GetCapturedStdout().find("missed block"));
    rig.link->tr_restored[1] = 0; // even when its trace was never queued
    testing::internal::CaptureStdout();
    rig.feed(block(2, 1, 2));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("missed block is not found"));
    EXPECT_EQ(2u, queued(*rig.link));
}

TEST_F(BlockMode, ProgressNoteEvery50Traces)
{
    for (int t = 1; t <= 50; t++)
        send_trace(t);
    auto notes = commands(6666);
    ASSERT_EQ(1u, notes.size());
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(uint32_t(i + 1), notes[0].args[i]);
    EXPECT_EQ(50u, queued(*rig.link));
}

TEST_F(BlockMode, AdditionalDataAfterATraceGetsItsOwnDescriptor)
{
    send_trace(1);
    Bytes extra = pattern(100, 77);
    CuFrame f;
    f.udp = true;
    f.kind = 2;
    f.block = true;
    f.payload = block_payload(4, 5, 1, 396, 1, extra);
    rig.feed(f.build());
    ASSERT_EQ(2u, queued(*rig.link));
    const CTraceDesc& d = rig.link->tr_desc[1];
    EXPECT_EQ(5, d.kind);
    EXPECT_EQ(extra, ring_bytes(*rig.link, d));
}

TEST_F(BlockMode, LatchedAcquisitionErrorQueuesNothing)
{
    rig.sink.latched = true;
    send_trace(1);
    EXPECT_EQ(0u, queued(*rig.link));
    EXPECT_EQ(3, rig.link->prev_good_block);
}

TEST_F(BlockMode, BlocksResentAfterTheMeasurementAreQueuedAsRestored)
{
    rig.sink.meas = false;
    rig.sink.done = true;
    rig.link->prev_good_block = 0;
    send_trace(1);
    send_trace(3); // the blocks of trace 2 are missing from the resend
    ASSERT_EQ(2u, queued(*rig.link));
    EXPECT_EQ(1, rig.link->tr_desc[0].restored);
    EXPECT_EQ(trace_data(3), ring_bytes(*rig.link, rig.link->tr_desc[1]));
    EXPECT_EQ(6, rig.link->hm_blocks_red);
    EXPECT_EQ(4, rig.link->mb_buf[0].first);
    EXPECT_EQ(6, rig.link->mb_buf[0].last);
    EXPECT_EQ(0u, rig.link->mb_buf[0].position);
}

TEST_F(BlockMode, MissedTableFullReusesTheEntryAfterTheWriteIndex)
{
    for (CMissedBlock& e : rig.link->mb_buf)
        e.first = 1000000;
    rig.link->mb_write = 10;
    testing::internal::CaptureStdout();
    rig.feed(block(1, 1, 1));
    rig.feed(block(3, 1, 3));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("missed blocks buffer is full"));
    EXPECT_EQ(2, rig.link->mb_buf[11].first);
    EXPECT_EQ(2, rig.link->mb_buf[11].last);
    EXPECT_EQ(12u, rig.link->mb_write);
}
