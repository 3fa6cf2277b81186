// GGA sentences from the receivers: the parsed fix, what is refused, and how the timer's GPS
// state ages when no good fix comes.
#include "app/gga_parse.h"
#include "platform/globals.h"
#include "app/timer.h"
#include "files/radar_data.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* kGood = "123456.78,5740.1234,N,01158.9876,W,2,08,0.9,-41.5,M,46.9,M,,*47\r\n$GPRMC,xyz";

} // namespace

TEST(ParseGga, fields_of_a_good_sentence)
{
    GgaFix f;
    ASSERT_TRUE(parse_gga(kGood, &f));
    EXPECT_STREQ(f.time, "12:34:56:78");
    EXPECT_EQ(f.synctime, 34 * 60000 + 56 * 1000 + 78);
    EXPECT_STREQ(f.lat, "57.66872333333");
    EXPECT_EQ(f.lat_ch, 'N');
    EXPECT_STREQ(f.lon, "11.98312666667");
    EXPECT_EQ(f.lon_ch, 'W');
    EXPECT_EQ(f.quality, 2);
    EXPECT_STREQ(f.hdop, "0.9");
    EXPECT_STREQ(f.alt, "-41.5");
    EXPECT_EQ(f.alt_ch, 'M');
    EXPECT_STREQ(f.position, "57.66872333N   11.98312667W");

    ASSERT_TRUE(parse_gga("235959,0000.0000,S,18000.0000,E,1,04,,,,", &f));
    EXPECT_STREQ(f.time, "23:59:59") << "no fraction: no fourth part";
    EXPECT_EQ(f.synctime, 59 * 60000 + 59 * 1000);
    EXPECT_STREQ(f.lon, "180.00000000000");
    EXPECT_STREQ(f.position, "0.00000000S   180.00000000E");
    EXPECT_STREQ(f.hdop, "");
    EXPECT_EQ(f.alt_ch, 0);
}

TEST(ParseGga, refuses_what_is_not_a_fix)
{
    GgaFix f;
    const char* bad[] = {
        "123456.78,5740.1234,N,01158.9876,E,0,08,0.9,41.5,M,,,,",  // quality 0: no fix
        "123456.78,5740.1234,N,01158.9876,E,,08,0.9,41.5,M,,,,",   // quality missing
        "123456.78,,,,,0,00,,,,,,,",                               // empty position
        "1234,5740.1234,N,01158.9876,E,1,08,0.9,41.5,M",           // time too short
        "12a456,5740.1234,N,01158.9876,E,1,08,0.9,41.5,M",         // time not digits
        "123456.1234567890,5740.1,N,01158.9,E,1,08,0.9,41.5,M",    // fraction beyond an int
        "123456.78,57x0.1234,N,01158.9876,E,1,08,0.9,41.5,M",      // latitude not a number
        "123456.78,-5740.12,N,01158.9876,E,1,08,0.9,41.5,M",       // sign in a coordinate
        "123456.78,nan,N,01158.9876,E,1,08,0.9,41.5,M",            // strtod would take it
        "123456.78,5740.1234,X,01158.9876,E,1,08,0.9,41.5,M",      // hemisphere letter
        "123456.78,5740.1234,N,01158.9876,N,1,08,0.9,41.5,M",      // latitude letter on lon
        "123456.78,5740.1234,N,01158.9876,E,1,08,0.9\t,41.5,M",    // tab into the logs
        "123456.78,5740.1234,N,01158.9876,E,1,08,0.9,41.5,1",      // unit not a letter
        "123456.78,5740.1234,N,01158.9876,E,1,08,0.9",             // sentence cut short
        "123456.78,5740.1234,N\r\n,01158.9876,E,1,08,0.9,41.5,M",  // ends at the line end
        "",
    };
    for (const char* s : bad)
        EXPECT_FALSE(parse_gga(s, &f)) << s;
    EXPECT_FALSE(parse_gga(nullptr, &f));
}

TEST(ParseGga, over_long_fields_are_refused_at_their_bounds)
{
    GgaFix f;
    auto sentence = [](const std::string& time, const std::string& lat, const std::string& hdop,
                       const std::string& alt) {
        return time + "," + lat + ",N,01158.9876,E,1,08," + hdop + "," + alt + ",M,,,,";
    };
    const std::string time18 = "123456.78901234567";               // 18 characters
    const std::string lat28 = "5740." + std::string(23, '1');      // 28
    const std::string hdop18 = "0." + std::string(16, '9');        // 18
    const std::string alt28 = "41." + std::string(25, '5');        // 28
    // 18-character time: 11 fraction digits would overflow the count, so that bound is
    // checked with a shorter fraction and the length limit separately.
    EXPECT_TRUE(parse_gga(sentence("123456.12", lat28, hdop18, alt28).c_str(), &f));
    EXPECT_FALSE(parse_gga(sentence("123456.12", lat28 + "1", hdop18, alt28).c_str(), &f));
    EXPECT_FALSE(parse_gga(sentence("123456.12", lat28, hdop18 + "9", alt28).c_str(), &f));
    EXPECT_FALSE(parse_gga(sentence("123456.12", lat28, hdop18, alt28 + "5").c_str(), &f));
    EXPECT_FALSE(parse_gga(sentence(time18 + "9", "5740.1", "0.9", "41.5").c_str(), &f));
    // A position text longer than 30 characters is refused (999 degrees and more).
    EXPECT_FALSE(parse_gga("123456,99999999.0,N,99999999.0,E,1,08,0.9,41.5,M", &f));
}

TEST(ParseGga, degrees_are_whole_hundreds_plus_minutes_over_60)
{
    EXPECT_DOUBLE_EQ(nmea_to_degrees(4530.0), 45.5);
    EXPECT_DOUBLE_EQ(nmea_to_degrees(12000.0), 120.0);
    EXPECT_DOUBLE_EQ(nmea_to_degrees(59.9999), 59.9999 / 60.0);
}

// ---- The timer's GPS state ----

namespace {

class GpsState : public ::testing::Test {
protected:
    void SetUp() override
    {
        gps_zero = 0;
        gps_qi = -1;
        can_GPS_Show = 0;
        gps_str_01[0] = ' ';
        gps_str_01[1] = 0;
        rdr.rd.gps.new_fix = 0;
    }
    static void steps(const char* text, int n)
    {
        for (int i = 0; i < n; i++)
            gps_text_step(text);
    }
};

} // namespace

TEST_F(GpsState, a_good_fix_is_stored_whole_and_marked_for_the_profile_log)
{
    ASSERT_TRUE(gps_text_step(kGood));
    EXPECT_STREQ(gps_str_01, "57.66872333N   11.98312667W");
    EXPECT_STREQ(gps_nmea_string, "$GPGGA,123456.78,5740.1234,N,01158.9876,W,2,08,0.9,-41.5,M,46.9,M,,*47")
        << "cut at the first line end";
    EXPECT_STREQ(f_time, "12:34:56:78");
    EXPECT_EQ(gps_synctime, 34 * 60000 + 56 * 1000 + 78);
    EXPECT_STREQ(f_lat, "57.66872333333");
    EXPECT_STREQ(f_hdop, "0.9");
    EXPECT_EQ(f_alt_ch, 'M');
    EXPECT_EQ(gps_qi, 2);
    EXPECT_EQ(gps_zero, 0);
    EXPECT_EQ(can_GPS_Show, 2);
    EXPECT_EQ(rdr.rd.gps.new_fix.load(), 1);

    GpsFix snap;
    gps_fix_snapshot(&snap);
    EXPECT_EQ(snap.quality, 2) << "the profile log reads the timer's fix";
    EXPECT_EQ(snap.synctime, gps_synctime);
}

TEST_F(GpsState, bad_data_never_overwrites_the_last_fix_and_clears_it_after_9_ticks)
{
    ASSERT_TRUE(gps_text_step(kGood));
    rdr.rd.gps.new_fix = 0;
    steps("123456.78,5740.1234,N,01158.9876,W,0,08,0.9,41.5,M,,,,", 1); // quality 0
    EXPECT_STREQ(f_lat, "57.66872333333");
    EXPECT_EQ(gps_qi, 2);
    EXPECT_EQ(gps_zero, 1);
    EXPECT_EQ(rdr.rd.gps.new_fix.load(), 0);
    steps("OLD DATA", 7);
    EXPECT_EQ(gps_zero, 8);
    EXPECT_EQ(can_GPS_Show, 2) << "not yet reported lost";
    steps("OLD DATA", 1);
    EXPECT_EQ(gps_zero, 9);
    EXPECT_STREQ(f_lat, "");
    EXPECT_STREQ(f_time, "");
    EXPECT_EQ(gps_qi, 0);
    EXPECT_EQ(can_GPS_Show, 3);
    EXPECT_STREQ(gps_str_01, "NO COORDINATES");
    steps("OLD DATA", 20);
    EXPECT_EQ(gps_zero, 9) << "held while data keeps coming";
    EXPECT_EQ(gps_qi, 0);
}

TEST_F(GpsState, no_coordinates_is_shown_at_once)
{
    steps("NO COORDINATES", 1);
    EXPECT_STREQ(gps_str_01, "NO COORDINATES");
    EXPECT_EQ(can_GPS_Show, 1);
    EXPECT_EQ(gps_zero, 1);
}

TEST_F(GpsState, silent_receiver_counts_to_18_and_shows_no_gps)
{
    ASSERT_TRUE(gps_text_step(kGood));
    steps("", 9);
    EXPECT_EQ(gps_qi, 0);
    EXPECT_STREQ(f_lat, "");
    EXPECT_STREQ(gps_str_01, "57.66872333N   11.98312667W") << "short texts do not touch the position text";
    steps("", 8);
    EXPECT_EQ(gps_zero, 17);
    EXPECT_EQ(gps_qi, 0);
    steps("short", 1); // 7 characters or fewer count as no text
    EXPECT_EQ(gps_zero, 18);
    EXPECT_STREQ(gps_str_01, " ");
    EXPECT_EQ(can_GPS_Show, 4);
    EXPECT_EQ(gps_qi, -1);
    can_GPS_Show = 0;
    steps("", 10);
    EXPECT_EQ(gps_zero, 18) << "stays at 18";
    EXPECT_EQ(gps_qi, -1);

    // Data returns without a fix: back below 9, cleared once more, then held at 9.
    steps("OLD DATA", 1);
    EXPECT_EQ(gps_zero, 8);
    steps("OLD DATA", 1);
    EXPECT_EQ(gps_zero, 9);
    EXPECT_EQ(gps_qi, 0);
    ASSERT_TRUE(gps_text_step(kGood));
    EXPECT_EQ(gps_zero, 0);
    EXPECT_EQ(gps_qi, 2);
}
