// Marker files and GPS logs: lines, numbering, the single end line, damaged marker files.
#include "files_fixture.h"

#include "platform/globals.h"

#include <cstring>

namespace {

class Markers : public FilesTest {
protected:
    CMarkers m;
    void SetUp() override
    {
        FilesTest::SetUp();
        snprintf(m.path, sizeof m.path, "/mnt/hda1/M.mrk");
    }
    std::string file() const { return read_file(data("M.mrk")); }
};

TEST_F(Markers, LinesNumbersAndOneEndLine)
{
    ASSERT_EQ(0, m.m_create());
    EXPECT_EQ(0, m.add_marker(10, 120, 104, "anything"));
    EXPECT_EQ(0, m.add_marker(10, 120, 104, "x"));      // same trace: a second marker
    EXPECT_EQ(0, m.add_marker(15, 44, 200, "1.25"));
    EXPECT_EQ(0, m.add_marker(16, 3, 20, "G\tP\r\nS")); // a text cannot break the line
    EXPECT_EQ(0, m.add_marker(30, 7, -1, ""));
    EXPECT_EQ(0, m.add_marker(31, 8, -1, ""));          // replaces the first end marker
    EXPECT_EQ(5u, m.list.size());
    EXPECT_EQ(1, m.list[0]->number);
    EXPECT_STREQ("S2", m.list[1]->text);
    EXPECT_EQ(1, m.list[3]->number);
    m.m_close(true);
    EXPECT_TRUE(m.list.empty());
    EXPECT_EQ("HEADER VERSION:101\r\n"
              "10\t120\t104\tS1\r\n"
              "10\t120\t104\tS2\r\n"
              "15\t44\t200\t1.25\r\n"
              "16\t3\t20\tG P  S\r\n"
              "000031\t0008\t-1\r\n",
              file());

    // Reopened: reading numbers the markers again, new ones continue; the end line is
    // rewritten in place.
    ASSERT_EQ(0, m.m_read());
    ASSERT_EQ(5u, m.list.size());
    ASSERT_EQ(0, m.mCOpen());
    EXPECT_EQ(0, m.add_marker(40, 1, 104, ""));
    EXPECT_STREQ("S3", m.list.back()->text);
    EXPECT_EQ(0, m.add_marker(45, 9, -1, ""));
    m.m_close(true);
    std::string f = file();
    EXPECT_NE(std::string::npos, f.find("000045\t0009\t-1\r\n40\t1\t104\tS3\r\n"));
    EXPECT_EQ(std::string::npos, f.find("000031"));

    // Numbers that grow a digit: still one end line.
    ASSERT_EQ(0, m.m_read());
    ASSERT_EQ(0, m.mCOpen());
    EXPECT_EQ(0, m.add_marker(1234567, 12345, -1, ""));
    m.m_close(true);
    f = file();
    EXPECT_EQ(std::string::npos, f.find("000045"));
    EXPECT_NE(std::string::npos, f.find("40\t1\t104\tS3\r\n1234567\t12345\t-1\r\n"));
    size_t ends = 0;
    for (size_t p = f.find("\t-1\r\n"); p != std::string::npos; p = f.find("\t-1\r\n", p + 1))
        ends++;
    EXPECT_EQ(1u, ends);
}

TEST_F(Markers, WritingWithoutAFile)
{
    EXPECT_EQ(6, m.add_marker(1, 1, 104, ""));
    EXPECT_EQ(1u, m.list.size());
    EXPECT_EQ(5, m.m_read()); // no file
    EXPECT_TRUE(m.list.empty());
    EXPECT_EQ(5, m.mCOpen());
    snprintf(m.path, sizeof m.path, "/mnt/hda1/no/M.mrk");
    EXPECT_EQ(5, m.m_create());
}

TEST_F(Markers, DamagedMarkerFileKeepsTheGoodLines)
{
    write_bytes(data("M.mrk"), "HEADER VERSION:101\r\n"
                               "12\t5\t13\tvoice\r\n"
                               "13\t6\r\n"                 // type and text of the line before
                               "-4\t5\t104\tS9\r\n"        // negative trace: skipped
                               "14\t-5\t104\tS9\r\n"       // negative value: skipped
                               "15\t70000\t104\tS9\r\n"    // value beyond 16 bits
                               "abc\tdef\tghi\r\n"
                               "\r\n"
                               "0016\t0007\t0104\tS4\r\n"  // leading zeros
                               "000020\t0001\t-1\r\n"
                               "000021\t0002\t-1\r\n"      // a second end line: the first counts
                               + std::string(400, 'L') + "\r\n"
                               "30\t1\t104\tafter\r\n");
    ASSERT_EQ(0, m.m_read());
    ASSERT_EQ(4u, m.list.size());
    EXPECT_EQ(13, m.list[0]->type);
    EXPECT_EQ(1, m.list[0]->number);
    EXPECT_EQ(13, m.list[1]->type);
    EXPECT_STREQ("voice", m.list[1]->text);
    EXPECT_EQ(2, m.list[1]->number);
    EXPECT_EQ(16, m.list[2]->trace);
    EXPECT_STREQ("S4", m.list[2]->text); // surface texts are kept as read
    EXPECT_EQ(20, m.end_marker()->trace);
}

class GpsLogs : public FilesTest {
protected:
    CGPS_Set g;
    GpsFix fix{};
    void SetUp() override
    {
        FilesTest::SetUp();
        snprintf(g.path, sizeof g.path, "/mnt/hda1/G.cor");
        snprintf(fix.time, sizeof fix.time, "12:34:56:78");
        snprintf(fix.lat, sizeof fix.lat, "5740.1234");
        fix.lat_ch = 'N';
        snprintf(fix.lon, sizeof fix.lon, "01158.9876");
        fix.lon_ch = 'E';
        snprintf(fix.alt, sizeof fix.alt, "41.5");
        fix.alt_ch = 'M';
        fix.quality = 4;
    }
};

TEST_F(GpsLogs, OneLinePerFreshFix)
{
    EXPECT_EQ(6, (g.new_fix = 1, g.gps_add_pos(3, "01.05.24", fix))); // no log open
    ASSERT_EQ(0, g.gps_Create(0));
    g.new_fix = 1;
    EXPECT_EQ(0, g.gps_add_pos(17, "01.05.24", fix));
    EXPECT_EQ(0, g.new_fix.load());
    EXPECT_EQ(0, g.gps_add_pos(18, "01.05.24", fix)); // no fresh fix: nothing written
    g.new_fix = 1;
    GpsFix empty = fix;
    empty.lat[0] = 0;
    EXPECT_EQ(0, g.gps_add_pos(19, "01.05.24", empty)); // no latitude: nothing
    g.gps_Close();
    EXPECT_EQ("17\t01.05.24\t12:34:56:78\t5740.1234\tN\t01158.9876\tE\t41.5\tM\t4\r\n", read_file(data("G.cor")));

    ASSERT_EQ(0, g.gps_COpen());
    g.new_fix = 1;
    EXPECT_EQ(0, g.gps_add_pos(20, "d", fix));
    g.gps_Close();
    EXPECT_EQ(2u, split_lines(read_file(data("G.cor"))).size());

    // From the global fix of the GPS reader.
    snprintf(f_lat, sizeof f_lat, "1.5");
    f_lat_ch = 'S';
    ASSERT_EQ(0, g.gps_COpen());
    g.new_fix = 1;
    EXPECT_EQ(0, g.gps_add_pos(21, "d"));
    g.gps_Close();
    EXPECT_NE(std::string::npos, read_file(data("G.cor")).find("21\td\t"));
    f_lat[0] = 0;
}

TEST_F(GpsLogs, TestLogAndItsRawFile)
{
    snprintf(g.test_name, sizeof g.test_name, "TEST_GPS_7");
    ASSERT_EQ(0, g.gps_Create(1));
    EXPECT_EQ(1, g.test_log);
    g.new_fix = 1;
    EXPECT_EQ(0, g.gps_add_test_pos("01.05.24", "10:11:12", "12:34:56", "5740.1", 'N', "01158.9", 'E', "41.5", 'M',
                                    "0.9", 2));
    EXPECT_EQ(0, g.new_fix.load());
    EXPECT_EQ(0, g.gps_add_raw("\xB5\x62\x01", 3));
    g.gps_Close();
    EXPECT_EQ(0, g.test_log);
    EXPECT_EQ("01.05.24\t10:11:12\t12:34:56\t5740.1\tN\t01158.9\tE\t41.5\tM\t0.9\t2\r\n",
              read_file(data("TEST_GPS_7.crn")));
    EXPECT_EQ("\xB5\x62\x01", read_file(data("TEST_GPS_7.kbn")));
    EXPECT_EQ(6, g.gps_add_test_pos("", "", "", "", 'N', "", 'E', "", 'M', "", 0));
    EXPECT_EQ(6, g.gps_add_raw("x", 1));
    snprintf(g.path, sizeof g.path, "/mnt/hda1/no/G.cor");
    EXPECT_EQ(1, g.gps_Create(0));
    EXPECT_EQ(5, g.gps_COpen());
}

} // namespace
