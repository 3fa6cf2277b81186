// Awaited exchanges: answers, late answers, CU error reports, the rings' overflow.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

Bytes answer(uint16_t answered, std::initializer_list<uint8_t> head = {}, bool udp = false)
{
    CuFrame a;
    a.udp = udp;
    a.kind = 1;
    a.answered = answered;
    a.payload = Bytes(80, 0);
    std::copy(head.begin(), head.end(), a.payload.begin());
    return a.build();
}

// An error report as the CU sends it: the answered packet number low byte first.
Bytes error_report(uint16_t packet, uint16_t code)
{
    CuFrame e;
    e.kind = 3;
    e.answered = uint16_t(packet << 8 | packet >> 8);
    e.payload = {0x00, 0x01, uint8_t(code >> 8), uint8_t(code), 0, 0, 0, 0};
    e.payload.resize(60);
    return e.build();
}

} // namespace

TEST(WaitAnswer, AnswerToTheCommandIsFoundAndItsPayloadKept)
{
    LinkRig rig;
    rig.open();
    rig.respond = [](const SentCommand& c, const Bytes&) {
        return std::vector<Bytes>{answer(c.packet, {0xDE, 0xAD, 0xBE, 0xEF})};
    };
    EXPECT_EQ(0, rig.link->cmd_inject(61, 0, 1));
    EXPECT_EQ(int32_t(0xDEADBEEF), CEthernet::GetSwapLong(rig.link->cur_answer.payload, 0));
}

TEST(WaitAnswer, LateAnswersToEarlierCommandsAreSkippedWithoutUsingTheTimeOut)
{
    LinkRig rig;
    rig.open();
    // 90 stale answers wait in the ring: counted as polls they would exhaust the 50 allowed.
    uint16_t next = rig.link->c_pk_num;
    for (int i = 1; i <= 90; i++)
        rig.wire.inject(answer(uint16_t(next - i)));
    ASSERT_TRUE(rig.wire.wait_idle());
    rig.respond = [](const SentCommand& c, const Bytes&) {
        return std::vector<Bytes>{answer(c.packet, {0x01})};
    };
    EXPECT_EQ(0, rig.link->cmd_inject(2, 0));
    EXPECT_EQ(1, rig.link->cur_answer.payload[0]);
    EXPECT_EQ(0, rig.link->read_answ());
}

TEST(WaitAnswer, NoAnswerGives733AfterTheTimeOut)
{
    LinkRig rig;
    rig.open();
    rig.link->answer_timeout = 5;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(733, rig.link->cmd_inject(2, 0));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(10));
}

TEST(WaitAnswer, ErrorReportMatchesItsCommandForPacketNumbersWithDifferentBytes)
{
    LinkRig rig;
    rig.open();
    rig.link->c_pk_num = 0x1234;
    rig.respond = [](const SentCommand& c, const Bytes&) {
        return std::vector<Bytes>{error_report(uint16_t(c.packet - 1), 0x0055), // stale
                                  error_report(c.packet, 0x0042), answer(c.packet)};
    };
    testing::internal::CaptureStdout();
    EXPECT_EQ(200 + 0x42, rig.link->cmd_inject(5, 0));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("Error message from CU: 266\n"));
    EXPECT_NE(std::string::npos, out.find("error från CU"));
}

TEST(WaitAnswer, ErrorReportWithoutAnAnswerEndsInNoAnswer)
{
    LinkRig rig;
    rig.open();
    rig.link->answer_timeout = 5;
    rig.respond = [](const SentCommand& c, const Bytes&) {
        return std::vector<Bytes>{error_report(c.packet, 0x0042)};
    };
    EXPECT_EQ(733, rig.link->cmd_inject(5, 0));
    // The report stays for the acquisition's error screen.
    ASSERT_TRUE(rig.wire.wait_idle());
    EXPECT_EQ(1, rig.link->read_err());
    EXPECT_EQ(0x42, rig.link->cur_error.code);
}

TEST(WaitAnswer, ReceivingThreadsNoteIsNotHeldUpByAnAwaitedExchange)
{
    LinkRig rig;
    rig.open();
    rig.link->answer_timeout = 250; // about half a second without an answer
    std::atomic<bool> done{false};
    std::thread waiter([&] {
        rig.link->cmd_inject(2, 0);
        done = true;
    });
    ASSERT_TRUE(rig.wire.wait_sent(1));
    // A frame that awaits nothing leaves at once, while the exchange still waits.
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(0, rig.link->cmd_inject(6666, 0, 1, 2, 3, 4, 5, 6, 7, 8, false, false));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(200));
    EXPECT_FALSE(done);
    waiter.join();
    EXPECT_EQ(2u, rig.wire.sent_count());
}

TEST(Rings, FullRingsKeep99UnreadEntriesAndCountTheRest)
{
    LinkRig rig;
    uint8_t p[80] = {0};
    for (int i = 0; i < 150; i++) {
        p[0] = uint8_t(i);
        rig.link->add_ans(0, uint16_t(i), p);
    }
    // 99 entries stay readable; every later one lands in the slot at the write index, which
    // the next entry overwrites again, and is counted.
    EXPECT_EQ(51, rig.link->crb_over);
    for (int i = 0; i < 99; i++) {
        ASSERT_EQ(1, rig.link->read_answ());
        EXPECT_EQ(i, rig.link->cur_answer.packet);
    }
    EXPECT_EQ(0, rig.link->read_answ());
    rig.link->add_ans(0, 500, p); // room again after reading
    ASSERT_EQ(1, rig.link->read_answ());
    EXPECT_EQ(500, rig.link->cur_answer.packet);

    for (int i = 0; i < 120; i++)
        rig.link->add_err(0, uint16_t(i), 0, uint16_t(i));
    EXPECT_EQ(21, rig.link->erb_over);
    int n = 0;
    while (rig.link->read_err())
        n++;
    EXPECT_EQ(99, n);
}

TEST(Rings, ShortAnswerPayloadIsZeroFilled)
{
    LinkRig rig;
    uint8_t p[80];
    memset(p, 0xAA, sizeof p);
    rig.link->add_ans(3, 9, p, 80);
    rig.link->add_ans(3, 10, p, 5);
    rig.link->read_answ();
    rig.link->read_answ();
    EXPECT_EQ(0xAA, rig.link->cur_answer.payload[4]);
    EXPECT_EQ(0, rig.link->cur_answer.payload[5]);
}

TEST(Rings, CheckMeaErrorsFindsAStoppingCodeWithoutConsuming)
{
    LinkRig rig;
    EXPECT_EQ(0, rig.link->check_mea_errors());
    rig.link->add_err(0, 1, 0, 0x0005);
    rig.link->add_err(0, 2, 0, 0);
    EXPECT_EQ(0, rig.link->check_mea_errors());
    rig.link->add_err(0, 3, 0, 0x2200);
    rig.link->add_err(0, 4, 0, 0x1000);
    EXPECT_EQ(0x2200, rig.link->check_mea_errors());
    int n = 0;
    while (rig.link->read_err())
        n++;
    EXPECT_EQ(4, n);
}
