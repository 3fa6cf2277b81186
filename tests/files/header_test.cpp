// Header files: every line byte-exact for the three trigger kinds, the round trip, and
// damaged or foreign header files.
#include "files_fixture.h"

#include "files/disk.h"
#include "config/xml_pars.h"
#include "files/keylines.h"

#include <cstring>

namespace {

HeaderSettings settings()
{
    HeaderSettings s{};
    s.wheel_index = 2;
    s.wheel_count = 3;
    snprintf(s.wheel_name, sizeof s.wheel_name, "Trail Cart");
    s.wheel_calibration = 346.8;
    s.wheel_direction = -1;
    s.soil_velocity = 120;
    s.time_gain = 50;
    s.contrast = 40;
    s.antenna_count = 5;
    return s;
}

class HeaderFiles : public FilesTest {
protected:
    Header h;
    void SetUp() override
    {
        FilesTest::SetUp();
        snprintf(h.rad_path, sizeof h.rad_path, "/mnt/hda1/H1.rad");
        snprintf(h.add_path, sizeof h.add_path, "/mnt/hda1/H1.add");
        eep.sample_interval = 0.0005;
        eep.samples = 512;
        eep.cu_word = (int16_t)(uint16_t)40000;
        eep.l_a = 3;
        snprintf(eep.ant_name, sizeof eep.ant_name, "TK Pro HDR");
        eep.auto_stack_value = 4;
        eep.ant_separation = 0.1f;
        eep.runs = 50;
        eep.freq_index = 4;
        eep.step_distance = 0.05;
        eep.trigg_option = 0.1f;
        eep.tz_sample = 33;
        eep.ant_option = 2;
        eep.trace_interval = 0.05f;
    }
    std::string rad() const { return read_file(data("H1.rad")); }
};

const char* const kRadTail =
    "START POSITION:0.000000\r\n"
    "SHORT FLAG:1\r\n"
    "INTERMEDIATE FLAG:0\r\n"
    "LONG FLAG:0\r\n"
    "PREPROCESSING:0\r\n"
    "HIGH:0\r\n"
    "LOW:0\r\n"
    "FIXED INCREMENT:0.300000\r\n"
    "FIXED MOVES UP:0\r\n"
    "FIXED MOVES DOWN:1\r\n"
    "FIXED POSITION:0.000000\r\n";

TEST_F(HeaderFiles, WheelHeaderIsByteExact)
{
    eep.trig_code = 0;
    h.last_trace = 10;
    ASSERT_EQ(0, h.h_write(settings()));
    std::string expected = std::string(
        "SAMPLES:512\r\n"
        "FREQUENCY:2000.000000\r\n"
        "FREQUENCY STEPS:1\r\n"
        "SIGNAL POSITION:12767.500000\r\n"
        "RAW SIGNAL POSITION:40000\r\n"
        "DISTANCE FLAG:1\r\n"
        "TIME FLAG:0\r\n"
        "PROGRAM FLAG:0\r\n"
        "EXTERNAL FLAG:0\r\n"
        "TIME INTERVAL: 0.000000\r\n"
        "DISTANCE INTERVAL: 0.050000\r\n"
        "OPERATOR:_\r\n"
        "CUSTOMER:_\r\n"
        "SITE:_\r\n"
        "ANTENNAS:TK Pro HDR=3\r\n"
        "ANTENNA ORIENTATION:NOT VALID FIELD\r\n"
        "ANTENNA SEPARATION: 0.100000\r\n"
        "COMMENT:Trail Cart=2\r\n"
        "TIMEWINDOW:256.000000\r\n"
        "STACKS:4\r\n"
        "STACK EXPONENT:2\r\n"
        "STACKING TIME:0.000000\r\n"
        "LAST TRACE:10\r\n"
        "STOP POSITION:  0.450000\r\n"
        "SYSTEM CALIBRATION:0.0005000000\r\n")
        + kRadTail + "WHEEL CALIBRATION:346.800000\r\nPOSITIVE DIRECTION:-1\r\n";
    EXPECT_EQ(expected, rad());
    EXPECT_EQ("VERSION:3\r\n"
              "PROGRAM ID:NAM\r\n"
              "PROGRAM VER:12\r\n"
              "ZERO LEVEL:33\r\n"
              "PALETTE:2\r\n"
              "TIME GAIN:50\r\n"
              "CONTRAST:40\r\n"
              "MIGR ON:1\r\n"
              "SOIL: $120.000000\r\n"
              "X-SLICE:0\r\n"
              "Y-SLICE:0\r\n"
              "Z-SLICE:0\r\n"
              "NOT REAL DINT: 0.050000\r\n"
              "THICKNESS:1\r\n"
              "THR LEVEL:0\r\n"
              "INT ANGLE:0\r\n"
              "AGC ON:0\r\n"
              "HFIR ON:0\r\n",
              read_file(data("H1.add")));
    EXPECT_FALSE(file_exists(data("H1.rad.tmp")));
}

TEST_F(HeaderFiles, TimeHeaderIsByteExactAndKeepsWheelDefaults)
{
    eep.trig_code = 128;
    ASSERT_EQ(0, h.h_write(settings()));
    std::string r = rad();
    EXPECT_NE(std::string::npos, r.find("DISTANCE FLAG:0\r\nTIME FLAG:1\r\nPROGRAM FLAG:0\r\nEXTERNAL FLAG:0\r\n"
                                        "TIME INTERVAL: 0.100000\r\nDISTANCE INTERVAL: 0.000000\r\n"));
    // The wheel is not taken in time mode: the header's own wheel fields stay (defaults).
    EXPECT_NE(std::string::npos, r.find("\r\nCOMMENT:=2\r\n"));
    EXPECT_NE(std::string::npos, r.find("\r\nLAST TRACE:0\r\nSTOP POSITION: -0.100000\r\n"));
    EXPECT_NE(std::string::npos, r.find("\r\nWHEEL CALIBRATION:442.700000\r\nPOSITIVE DIRECTION:1\r\n"));
    EXPECT_EQ(38u, split_lines(r).size());
}

TEST_F(HeaderFiles, KeyPressHeaderAndStackingTime)
{
    eep.trig_code = 255;
    eep.auto_stack_value = 32767;
    eep.runs = 255;
    eep.freq_index = 0; // 156250: 32767 x 255 / 156250 = 53
    ASSERT_EQ(0, h.h_write(settings()));
    std::string r = rad();
    EXPECT_NE(std::string::npos, r.find("DISTANCE FLAG:0\r\nTIME FLAG:0\r\nPROGRAM FLAG:1\r\n"));
    EXPECT_NE(std::string::npos, r.find("TIME INTERVAL: 0.000000\r\nDISTANCE INTERVAL: 0.050000\r\n"));
    EXPECT_NE(std::string::npos, r.find("STACKS:32767\r\nSTACK EXPONENT:14\r\nSTACKING TIME:53.000000\r\n"));
    // Another trigger value: both intervals 0.
    eep.trig_code = 7;
    ASSERT_EQ(0, h.h_write(settings()));
    EXPECT_NE(std::string::npos, rad().find("TIME INTERVAL: 0.000000\r\nDISTANCE INTERVAL: 0.000000\r\n"));
    // A wheel index past the list: name emptied, calibration 442.7, direction 1.
    HeaderSettings s = settings();
    s.wheel_index = 3;
    eep.trig_code = 0;
    ASSERT_EQ(0, h.h_write(s));
    EXPECT_NE(std::string::npos, rad().find("COMMENT:=3\r\n"));
    EXPECT_NE(std::string::npos, rad().find("WHEEL CALIBRATION:442.700000\r\nPOSITIVE DIRECTION:1\r\n"));
}

TEST(HeaderRules, StackExponentAndStackingTime)
{
    EXPECT_EQ(0, Header::stack_exponent(0));
    EXPECT_EQ(0, Header::stack_exponent(1));
    EXPECT_EQ(1, Header::stack_exponent(2));
    EXPECT_EQ(2, Header::stack_exponent(4));
    EXPECT_EQ(2, Header::stack_exponent(5));
    EXPECT_EQ(8, Header::stack_exponent(256));
    EXPECT_EQ(0, Header::stack_exponent(65536)); // 16-bit count
    EXPECT_EQ(1u, Header::stacking_time(400000, 1, 7));
    EXPECT_EQ(0u, Header::stacking_time(400000, 255, 200)); // past the table: the end mark
}

TEST(HeaderRules, DefaultsOfHdInit)
{
    Header h;
    snprintf(h.rad_path, sizeof h.rad_path, "/x.rad");
    h.samples = 99;
    h.hd_init();
    EXPECT_STREQ("/x.rad", h.rad_path); // the paths belong to the profile, not to the values
    EXPECT_EQ(0, h.samples);
    EXPECT_EQ((double)0.02f, h.interval);
    EXPECT_EQ((double)2.323e-06f, h.time_step);
    EXPECT_EQ(430477.84375f, h.frequency);
    EXPECT_STREQ("_", h.customer);
    EXPECT_EQ(40000, h.signal_position);
}

TEST_F(HeaderFiles, WriteThenReadRestoresEveryStoredField)
{
    eep.trig_code = 0;
    h.last_trace = 1234;
    snprintf(h.customer, sizeof h.customer, "Road office");
    snprintf(h.site, sizeof h.site, "Bridge 7");
    ASSERT_EQ(0, h.h_write(settings()));

    Header r;
    r.hd_init();
    snprintf(r.rad_path, sizeof r.rad_path, "%s", h.rad_path);
    snprintf(r.add_path, sizeof r.add_path, "%s", h.add_path);
    r.trigger_mode = 128;
    ASSERT_EQ(0, r.h_read());
    EXPECT_EQ(512, r.samples);
    EXPECT_EQ(1234, r.last_trace);
    EXPECT_EQ(4, r.stacks);
    EXPECT_FLOAT_EQ(2000.0f, r.frequency);
    EXPECT_DOUBLE_EQ(0.0005, r.time_step);
    EXPECT_DOUBLE_EQ(346.8, r.wheel_calibration);
    EXPECT_EQ(-1, r.positive_direction);
    EXPECT_EQ(0, r.trigger_mode);
    EXPECT_DOUBLE_EQ(0.05, r.interval);
    EXPECT_FLOAT_EQ(0.1f, r.antenna_separation);
    EXPECT_EQ(40000, r.signal_position);
    EXPECT_STREQ("TK Pro HDR", r.antenna_name);
    EXPECT_EQ(3, r.antenna_index);
    EXPECT_STREQ("Trail Cart=2", r.wheel_name);
    EXPECT_STREQ("Road office", r.customer);
    EXPECT_STREQ("Bridge 7", r.site);
    EXPECT_STREQ("_", r.operator_name);
    EXPECT_EQ(33, r.zero_level);
    EXPECT_EQ(2, r.palette);
    EXPECT_EQ(50, r.time_gain);
    EXPECT_EQ(40, r.contrast);
    EXPECT_TRUE(r.migration_on);
    EXPECT_EQ(120.0f, r.soil_velocity);
    EXPECT_STREQ(" $120.000000", r.soil_text);
    EXPECT_DOUBLE_EQ(0.05, r.nominal_interval);
}

TEST_F(HeaderFiles, ReadingDerivesTriggerAndSpecialValues)
{
    // Key press without TIME INTERVAL; X=3 antenna; soil 98.5 reads back as 98.
    write_bytes(data("H1.rad"), "PROGRAM FLAG:1\r\nDISTANCE INTERVAL: 0.250000\r\nANTENNAS:X=3\r\n"
                                "SYSTEM CALIBRATION:0\r\nFREQUENCY:4000\r\n");
    write_bytes(data("H1.add"), "SOIL: $98.500000\r\nTIME GAIN:300\r\n");
    ASSERT_EQ(0, h.h_read());
    EXPECT_EQ(255, h.trigger_mode);
    EXPECT_DOUBLE_EQ(0.25, h.interval);
    EXPECT_STREQ("X", h.antenna_name);
    EXPECT_EQ(3, h.antenna_index);
    EXPECT_DOUBLE_EQ(1.0 / 4000, h.time_step); // time step 0 comes from the frequency
    EXPECT_EQ(98.0f, h.soil_velocity);
    EXPECT_EQ((uint8_t)300, h.time_gain); // stored in its 8-bit field

    write_bytes(data("H1.rad"), "ANTENNAS:X\r\nTIME INTERVAL: 0.500000\r\n");
    write_bytes(data("H1.add"), "SOIL:velocity unknown\r\n");
    ASSERT_EQ(0, h.h_read());
    EXPECT_EQ(0, h.antenna_index);
    EXPECT_EQ(128, h.trigger_mode);
    EXPECT_DOUBLE_EQ(0.5, h.interval);
    EXPECT_EQ(100.0f, h.soil_velocity);

    // Neither interval nor key press: trigger and interval stay.
    write_bytes(data("H1.rad"), "SAMPLES:300\r\n");
    ASSERT_EQ(0, h.h_read());
    EXPECT_EQ(128, h.trigger_mode);
    EXPECT_EQ(300, h.samples);
}

TEST_F(HeaderFiles, DamagedHeaderFilesGiveCodesNotCrashes)
{
    EXPECT_EQ(5, h.h_read()); // no .rad
    EXPECT_STREQ("/mnt/hda1/H1.rad", err_filename);

    // Out-of-range and non-numeric values leave the fields; an over-long line ends the file.
    h.samples = 512;
    h.stacks = 7;
    h.positive_direction = 1;
    write_bytes(data("H1.rad"), "SAMPLES:99999999999999\r\nSTACKS:abc\r\nPOSITIVE DIRECTION:40000\r\n"
                                "FREQUENCY:nan\r\nSYSTEM CALIBRATION:1e999\r\n"
                                "SITE:" + std::string(200, 'S') + "\r\nPROGRAM FLAG:7\r\n"
                                "CUSTOMER:" + std::string(300, 'C') + "\r\nSAMPLES:100\r\n");
    float f = h.frequency;
    double ts = h.time_step;
    ASSERT_EQ(0, h.h_read()); // a missing .add is not an error
    EXPECT_EQ(512, h.samples);
    EXPECT_EQ(7, h.stacks);
    EXPECT_EQ(1, h.positive_direction);
    EXPECT_EQ(f, h.frequency);
    EXPECT_EQ(ts, h.time_step);
    EXPECT_STREQ("_", h.customer); // a 300-character line is too long: the file ends there
    EXPECT_EQ(std::string(79, 'S'), std::string(h.site)); // kept to 79 characters
    EXPECT_STREQ("/mnt/hda1/H1.add", err_filename);

    // Binary garbage and a file without line ends.
    std::string junk;
    for (int i = 0; i < 4096; i++)
        junk.push_back((char)(i * 37 % 256));
    write_bytes(data("H1.rad"), junk);
    write_bytes(data("H1.add"), std::string(10000, 'Z'));
    EXPECT_EQ(0, h.h_read());
    EXPECT_EQ(512, h.samples);
}

TEST_F(HeaderFiles, OpenedHeaderOutsideTheBlockLimitsIsRefused)
{
    HeaderSettings s = settings();
    h.samples = 50;
    h.time_step = 0.001;
    eep.samples = 700;
    EXPECT_EQ(-2, h.set_EEPROM_from_header(s));
    EXPECT_EQ(700, eep.samples); // the block is left as it was
    h.samples = 60000;
    EXPECT_EQ(-2, h.set_EEPROM_from_header(s));
    h.samples = 400;
    h.time_step = 0;
    EXPECT_EQ(-2, h.set_EEPROM_from_header(s));
    h.time_step = 0.001;
    h.antenna_index = 9; // outside the list of five
    h.trigger_mode = 128;
    h.interval = 0.25;
    h.signal_position = 40000;
    EXPECT_EQ(0, h.set_EEPROM_from_header(s));
    EXPECT_EQ(400, eep.samples);
    EXPECT_EQ(0, eep.l_a);
    EXPECT_EQ(128, eep.trig_code);
    EXPECT_FLOAT_EQ(0.25f, eep.trigg_option);
    EXPECT_EQ((int16_t)(uint16_t)40000, eep.cu_word);
}

TEST_F(HeaderFiles, FailedWriteLeavesTheOldHeaderWhole)
{
    eep.trig_code = 0;
    ASSERT_EQ(0, h.h_write(settings()));
    std::string before = rad();
    // A header whose folder is gone cannot be written: 6 and the path for the error display.
    Header bad;
    snprintf(bad.rad_path, sizeof bad.rad_path, "/mnt/hda1/nofolder/B.rad");
    snprintf(bad.add_path, sizeof bad.add_path, "/mnt/hda1/nofolder/B.add");
    EXPECT_EQ(6, bad.h_write(settings()));
    EXPECT_STREQ("/mnt/hda1/nofolder/B.rad", err_filename);
    EXPECT_EQ(6, bad.a_write(settings()));
    // A stale temporary of an interrupted write does not disturb the next one.
    write_bytes(data("H1.rad.tmp"), "SAMPLES:1\r\n");
    h.last_trace = 5;
    ASSERT_EQ(0, h.h_write(settings()));
    EXPECT_NE(before, rad());
    EXPECT_NE(std::string::npos, rad().find("LAST TRACE:5\r\n"));
    EXPECT_FALSE(file_exists(data("H1.rad.tmp")));
}

TEST_F(HeaderFiles, SettingsComeFromTheXmlObjectAndGoBackIntoIt)
{
    xml_pars.Init();
    eep.ant_record = nullptr;
    eep.l_a = 3;
    xml_pars.current_wheel = 2;
    xml_pars.soil_velocity = 87;
    xml_pars.antenna[3].filter[2].int_par[3] = 66;
    xml_pars.antenna[3].filter[6].int_par[0] = 12;
    HeaderSettings s = current_header_settings();
    EXPECT_STREQ("Trail Cart", s.wheel_name);
    EXPECT_DOUBLE_EQ(346.8, s.wheel_calibration);
    EXPECT_EQ(-1, s.wheel_direction);
    EXPECT_EQ(87.0f, s.soil_velocity);
    EXPECT_EQ(66, s.time_gain);
    EXPECT_EQ(12, s.contrast);
    EXPECT_EQ(5, s.antenna_count);
    xml_pars.current_wheel = 7; // beyond the list
    eep.trig_code = 0;
    ASSERT_EQ(0, h.h_write());
    EXPECT_NE(std::string::npos, rad().find("COMMENT:=7\r\n"));

    // Opening a profile of antenna 4 selects that record and stores its display values.
    h.samples = 400;
    h.time_step = 0.001;
    h.antenna_index = 4;
    h.time_gain = 77;
    h.contrast = 33;
    ASSERT_EQ(0, h.set_EEPROM_from_header());
    EXPECT_EQ(&xml_pars.antenna[4], eep.ant_record);
    EXPECT_EQ(77, xml_pars.antenna[4].filter[2].int_par[3]);
    EXPECT_EQ(33, xml_pars.antenna[4].filter[6].int_par[0]);
    eep.ant_record = nullptr;
    xml_pars.Init();
}

TEST(KeyLines, NumbersAreReadOnlyWhenTheyFitTheType)
{
    int i = 5;
    EXPECT_TRUE(ReadTParameter("N: 12.7", "N:", i));
    EXPECT_EQ(12, i);
    EXPECT_FALSE(ReadTParameter("M: 3", "N:", i));
    EXPECT_FALSE(ReadTParameter("N:", "N:", i));
    EXPECT_FALSE(ReadTParameter("N:2147483648", "N:", i));
    EXPECT_EQ(12, i);
    int16_t s = 1;
    EXPECT_FALSE(ReadTParameter("S:32768", "S:", s));
    EXPECT_TRUE(ReadTParameter("S:-32768", "S:", s));
    EXPECT_EQ(-32768, s);
    bool b = false;
    EXPECT_FALSE(ReadTParameter("B:2", "B:", b));
    EXPECT_TRUE(ReadTParameter("B:1", "B:", b));
    EXPECT_TRUE(b);
    double d = 1;
    EXPECT_FALSE(ReadTParameter("D:inf", "D:", d));
    EXPECT_TRUE(ReadTParameter("D: -0.5e1x", "D:", d));
    EXPECT_EQ(-5.0, d);
    float f = 1;
    EXPECT_FALSE(ReadTParameter("F:1e300", "F:", f));
    EXPECT_EQ(1.0f, f);
    char text[8] = "old";
    EXPECT_TRUE(ReadStrParameter("T:a long text", "T:", text, sizeof text));
    EXPECT_STREQ("a long ", text);
    EXPECT_EQ(42, ReadIntParameter("  42abc"));
    EXPECT_EQ(-1, ReadIntParameter("abc"));
    EXPECT_EQ(-1, ReadIntParameter("99999999999"));
    EXPECT_FLOAT_EQ(2.5f, ReadFloatParameter("2.5 m"));
    EXPECT_EQ(0.0f, ReadFloatParameter("m"));
}

} // namespace
