// The navuart driver's ring and sentence logic, built from the module's own source file.
extern "C" {
#include "kmod/navuart/navuart_nmea.c"
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string with_cs(const std::string& body)
{
    unsigned cs = 0;
    for (char c : body)
        cs ^= static_cast<unsigned char>(c);
    char tail[8];
    snprintf(tail, sizeof tail, "*%02X", cs);
    return "$" + body + tail;
}

const std::string kFieldsA = "123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
const std::string kFieldsB = "123520,4807.040,N,01131.002,E,2,09,0.8,545.6,M,46.9,M,,";

struct Ring : ::testing::Test {
    std::vector<unsigned char> mem = std::vector<unsigned char>(NAV_BUF_SIZE, 0xAA);
    nav_ring r;
    int cs = 1;
    unsigned char answer[NAV_FIELDS_LEN];

    void SetUp() override { nav_ring_init(&r, mem.data()); }
    void feed(const std::string& s)
    {
        for (char c : s)
            nav_ring_put(&r, static_cast<unsigned char>(c));
    }
    // The command-202 answer as the program sees it.
    std::string latest()
    {
        int speed = -1;
        unsigned n = nav_command(&r, &cs, NAV_CMD_LATEST, 10, answer, &speed);
        EXPECT_EQ(speed, -1);
        if (n == 1)
            return std::string(1, static_cast<char>(answer[0]));
        EXPECT_EQ(n, NAV_FIELDS_LEN);
        EXPECT_EQ(answer[NAV_FIELDS_LEN - 1], 0) << "fields are zero-terminated";
        return reinterpret_cast<const char*>(answer);
    }
};

const std::string kNoData(1, '\0');
const std::string kBadChecksum(1, '\1');

} // namespace

TEST_F(Ring, newest_complete_gga_is_delivered_once)
{
    feed("$GPRMC,123519,A,4807.038,N*00\r\n" + with_cs("GPGGA," + kFieldsA) + "\r\n" +
         with_cs("GPGSV,3,1,11") + "\r\n" + with_cs("GPGGA," + kFieldsB) + "\r\n$GPGSA,A,3");
    std::string fields = latest();
    EXPECT_EQ(fields, kFieldsB + with_cs("GPGGA," + kFieldsB).substr(7 + kFieldsB.size()));
    EXPECT_EQ(latest(), kNoData) << "delivery empties the buffer: the older A is not handed out";
    // read() shows the delivered sentence at the start of the buffer, zero-padded.
    std::string shown(reinterpret_cast<const char*>(mem.data()));
    EXPECT_EQ(shown, with_cs("GPGGA," + kFieldsB));
    EXPECT_EQ(mem[NAV_SENTENCE_MAX - 1], 0);
    // New bytes start a fresh collection.
    feed(with_cs("GPGGA," + kFieldsA) + "\r\n");
    EXPECT_EQ(latest().substr(0, kFieldsA.size()), kFieldsA);
}

TEST_F(Ring, sentence_still_arriving_is_skipped_for_the_previous_complete_one)
{
    feed(with_cs("GPGGA," + kFieldsA) + "\r\n" + "$GPGGA,123520,4807.0");
    EXPECT_EQ(latest().substr(0, kFieldsA.size()), kFieldsA);

    // No complete sentence at all: no data, and the bytes stay until the CR arrives.
    feed("$GPGGA," + kFieldsB);
    EXPECT_EQ(latest(), kNoData);
    EXPECT_EQ(latest(), kNoData);
    std::string cs_tail = with_cs("GPGGA," + kFieldsB).substr(7 + kFieldsB.size());
    feed(cs_tail + "\r");
    EXPECT_EQ(latest(), kFieldsB + cs_tail);
}

TEST_F(Ring, fewer_than_six_bytes_is_no_data_and_keeps_them)
{
    EXPECT_EQ(latest(), kNoData);
    feed("$GPGG");
    EXPECT_EQ(latest(), kNoData);
    EXPECT_EQ(r.count, 5u);
    feed("A," + kFieldsA + "*00\r\n");
    cs = 0;
    EXPECT_EQ(latest(), kFieldsA + "*00");
}

TEST_F(Ring, checksum_checking_rejects_wrong_and_missing_checksums_and_empties_the_buffer)
{
    std::string good = with_cs("GPGGA," + kFieldsA);
    std::string wrong = good;
    wrong[wrong.size() - 1] = wrong.back() == '0' ? '1' : '0';
    feed(good + "\r\n" + wrong + "\r\n");
    EXPECT_EQ(latest(), kBadChecksum);
    EXPECT_EQ(r.count, 0u);
    EXPECT_EQ(latest(), kNoData) << "the older good sentence went with the bad one";

    feed("$GPGGA," + kFieldsA + "\r\n");
    EXPECT_EQ(latest(), kBadChecksum) << "no '*' at all";
    feed("$GPGGA," + kFieldsA + "*4\r\n");
    EXPECT_EQ(latest(), kBadChecksum) << "one checksum digit";
    // Digits are upper-case hex, as receivers send them.
    for (int n = 0; n < 64; n++) {
        std::string body = "GPGGA," + std::to_string(n);
        unsigned sum = 0;
        for (char c : body)
            sum ^= static_cast<unsigned char>(c);
        char upper[8], lower[8];
        snprintf(upper, sizeof upper, "*%02X", sum);
        snprintf(lower, sizeof lower, "*%02x", sum);
        EXPECT_TRUE(nav_checksum_ok(("$" + body + upper).c_str()));
        if (std::string(upper) != lower) {
            EXPECT_FALSE(nav_checksum_ok(("$" + body + lower).c_str())) << body;
        }
    }

    // Checking off: the same wrong sentence is delivered.
    int speed = -1;
    EXPECT_EQ(nav_command(&r, &cs, NAV_CMD_CHECKSUM, 0, answer, &speed), 0u);
    EXPECT_EQ(cs, 0);
    feed(wrong + "\r\n");
    EXPECT_EQ(latest().substr(0, kFieldsA.size()), kFieldsA);
}

TEST_F(Ring, full_ring_keeps_the_newest_bytes_and_finds_a_sentence_across_the_wrap)
{
    // An old sentence is pushed out by more than a buffer of noise without a request.
    feed(with_cs("GPGGA," + kFieldsA) + "\r\n");
    feed(std::string(NAV_BUF_SIZE, 'x'));
    EXPECT_EQ(r.count, NAV_BUF_SIZE);
    EXPECT_EQ(latest(), kNoData);

    // A sentence that straddles the end of the memory is read back whole.
    nav_ring_init(&r, mem.data());
    feed(std::string(NAV_BUF_SIZE - 30, 'y'));
    std::string s = with_cs("GPGGA," + kFieldsB);
    feed(s + "\r\n");
    ASSERT_LT(r.head, 60u) << "the write position wrapped inside the sentence";
    EXPECT_EQ(latest(), s.substr(7));

    // Past 65,511 bytes without a request the newest sentence is still there.
    nav_ring_init(&r, mem.data());
    feed(std::string(65600, 'z') + s + "\r\n");
    EXPECT_EQ(latest(), s.substr(7));
}

TEST_F(Ring, overlong_and_hostile_input_is_bounded)
{
    cs = 0;
    feed("$GPGGA," + std::string(400, '5') + "\r\n");
    EXPECT_EQ(latest(), std::string(NAV_FIELDS_LEN - 1, '5'));
    EXPECT_EQ(mem[NAV_SENTENCE_MAX - 1], 0) << "the sentence copy is cut to its buffer";

    // A buffer full of tags with no carriage return: no data, in one pass.
    std::string tags;
    while (tags.size() < NAV_BUF_SIZE)
        tags += "$GPGGA";
    feed(tags);
    EXPECT_EQ(latest(), kNoData);
    feed("\r");
    EXPECT_EQ(latest(), "") << "a bare tag has empty fields, which the reader takes as nothing new";
    EXPECT_EQ(r.count, 0u);
}

TEST(NavCommands, speed_command_selects_divisors_and_ignores_unknown_indexes)
{
    std::vector<unsigned char> mem(NAV_BUF_SIZE);
    nav_ring r;
    nav_ring_init(&r, mem.data());
    int cs = 1, speed = -1;
    unsigned char answer[NAV_FIELDS_LEN];
    EXPECT_EQ(nav_command(&r, &cs, NAV_CMD_SET_SPEED, 7, answer, &speed), 0u);
    EXPECT_EQ(speed, 7);
    EXPECT_EQ(1843200 / 16 / nav_divisor(speed), 115200);
    EXPECT_EQ(1843200 / 16 / nav_divisor(2), 4800) << "the speed at open";
    EXPECT_EQ(1843200 / 16 / nav_divisor(0), 600);
    speed = -1;
    EXPECT_EQ(nav_command(&r, &cs, NAV_CMD_SET_SPEED, 8, answer, &speed), 0u);
    EXPECT_EQ(speed, -1) << "an index past the table leaves the UART as it is";
    nav_ring_put(&r, 'q');
    EXPECT_EQ(nav_command(&r, &cs, 77, 1, answer, &speed), 0u);
    EXPECT_EQ(r.count, 1u) << "other commands touch nothing";
    EXPECT_EQ(cs, 1);
}
