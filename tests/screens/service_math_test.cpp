// The codings and checks of the service screens: dates as the parameter store keeps them,
// the serial number typed as text, the WiFi module's answers and the test ramp.
#include "acquisition/ethernet_test.h"
#include "screens/service_math.h"

#include <gtest/gtest.h>

TEST(ServiceMath, DatesPackAndUnpackAndADamagedValueIsNotADate)
{
    EXPECT_EQ(0x07DD0901u, pack_date(2013, 9, 1));
    struct Case { uint32_t v; const char* text; };
    const Case cases[] = {
        {0x07DD0901, "2013-09-01"},
        {0x07E8021D, "2024-02-29"},
        {0, "not defined"},
        {0x07DD0D01, "not defined"}, // month 13
        {0x07DD0900, "not defined"}, // day 0
        {0x07DD0431, "not defined"}, // 31 April
        {0x00000101, "not defined"}, // year 0
    };
    for (const Case& c : cases) {
        char t[32];
        date_text(c.v, t, sizeof t);
        EXPECT_STREQ(c.text, t) << std::hex << c.v;
    }
    int y = 0, m = 0, d = 0;
    ASSERT_TRUE(unpack_date(pack_date(2333, 12, 31), y, m, d));
    EXPECT_EQ(2333, y);
    EXPECT_EQ(12, m);
    EXPECT_EQ(31, d);
}

TEST(ServiceMath, SerialTextAllowsBlanksAroundAndASignBeforeTheDigitsOnly)
{
    struct Case { const char* text; SerialCheck want; int32_t value; };
    const Case cases[] = {
        {"12345678", SerialCheck::Ok, 12345678},
        {"  42  ", SerialCheck::Ok, 42},
        {"-7", SerialCheck::Ok, -7},
        {"00000001", SerialCheck::Ok, 1},
        {"123456789", SerialCheck::TooBig, 0},
        {"99999999999999999999", SerialCheck::TooBig, 0}, // no overflow on the way
        {"12 34", SerialCheck::NotCorrect, 0},
        {"12-34", SerialCheck::NotCorrect, 0},
        {"--1", SerialCheck::NotCorrect, 0},
        {"1.5", SerialCheck::NotCorrect, 0},
        {"", SerialCheck::NotCorrect, 0},
        {" - ", SerialCheck::NotCorrect, 0},
    };
    for (const Case& c : cases) {
        int32_t v = 0;
        EXPECT_EQ(int(c.want), int(check_serial_text(c.text, v))) << "'" << c.text << "'";
        if (c.want == SerialCheck::Ok)
            EXPECT_EQ(c.value, v) << c.text;
    }
}

TEST(ServiceMath, WifiAnswersAreGoodOnlyInTheirForms)
{
    EXPECT_TRUE(wifi_reply_ok(0, "<S>"));
    EXPECT_TRUE(wifi_reply_ok(0, "<S6>"));
    EXPECT_FALSE(wifi_reply_ok(0, "<E>"));
    EXPECT_FALSE(wifi_reply_ok(733, "<S>")) << "no answer is never good";
    EXPECT_FALSE(wifi_reply_ok(0, "\0\0\0\0"));

    const uint32_t S = kWifiS, S6 = kWifiS6, E = 0x3C453E00;
    struct Case { uint32_t o[5]; bool ok; };
    const Case cases[] = {
        {{S, S, S, S, S}, true},
        {{S, S, S6, S, S}, true},
        {{S, S, S, S6, S}, true},
        {{S, S, S6, S6, S}, true},
        {{S6, S, S, S, S}, false},
        {{S, S6, S, S, S}, false},
        {{S, S, E, S, S}, false},
        {{S, S, S, S, S6}, false},
        {{S, S, S, S6, S6}, false},
        {{S, S, S, E, S}, false},
        {{0, 0, 0, 0, 0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.ok, wire_init_answers_ok(c.o)) << std::hex << c.o[2] << " " << c.o[3] << " " << c.o[4];
}

TEST(ServiceMath, RampCheckFindsTheFirstWrongSampleAsA16BitWord)
{
    std::vector<int32_t> s(kEthTestSamples);
    for (int k = 0; k < kEthTestSamples; k++)
        s[size_t(k)] = int16_t(uint16_t(10 * k - 32768));
    EXPECT_EQ(-1, ramp_first_bad(s.data(), kEthTestSamples));
    EXPECT_EQ(0x8000, uint16_t(s[0]));
    s[1999] ^= 1;
    s[700] = -s[700];
    EXPECT_EQ(700, ramp_first_bad(s.data(), kEthTestSamples));
    EXPECT_EQ(-1, ramp_first_bad(s.data(), 700)) << "only the samples checked count";
}
