// The settings file: defaults, layout, round trip, fallbacks and hostile contents.
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

const char* const kMain = "/mnt/hda3/r5_parameters.xml";
const char* const kFactory = "/dev/sda4/r5_parameters.xml"; // seen as /mnt/hda4 when mounted

void put_file(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
}

std::string body_file(const std::string& inner)
{
    return "<?xml version=\"1.0\"?>\n<body>\n" + inner + "\n</body>\n";
}

class XmlPars : public ::testing::Test {
protected:
    Sandbox sb;
    CXML_PARS x;
    std::string main_path() const { return sb.path(kMain); }
    // Writes `inner` as the body of the main file and reads it into x.
    int read_body(const std::string& inner)
    {
        put_file(main_path(), body_file(inner));
        return x.read_xml_tree();
    }
};

} // namespace

TEST(XmlParsDefaults, match_the_factory_settings_antennas_and_wheels)
{
    CXML_PARS x;
    EXPECT_TRUE(x.missed_traces_mode);
    EXPECT_EQ(x.resampling_on, 2);
    EXPECT_FLOAT_EQ(x.max_bat_level, 11.0f);
    EXPECT_EQ(x.gps_com_usb, 2);
    EXPECT_EQ(x.gps_brate_ind, 2);
    EXPECT_FLOAT_EQ(x.time_interval, 0.1f);
    EXPECT_EQ(x.soil_velocity, 100);
    EXPECT_EQ(x.units, 1);
    EXPECT_EQ(x.scales[0].visible, 1);
    EXPECT_EQ(x.scales[1].visible, 0);
    EXPECT_EQ(x.scales[3].position, 3);

    ASSERT_EQ(x.antenna_count, 5);
    EXPECT_STREQ(x.antenna[0].name, "Undefined Antenna");
    EXPECT_EQ(x.antenna[1].index, 41);
    EXPECT_FLOAT_EQ(x.antenna[1].point_interval, 0.09f);
    EXPECT_STREQ(x.antenna[3].sh_name, "QNA");
    EXPECT_EQ(x.antenna[3].samples_in_file, 736);
    EXPECT_EQ(x.antenna[3].start_samples, 350);
    EXPECT_EQ(x.antenna[3].filter[4].int_par[3], 4);
    EXPECT_EQ(x.antenna[4].filter[4].int_par[3], 20);
    EXPECT_EQ(x.antenna[2].filter[4].int_par[3], 2);
    EXPECT_EQ(x.antenna[0].samples_in_file, 700);

    const CFilterRecord* f = x.antenna[2].filter;
    EXPECT_STREQ(f[1].name, "DC Removal");
    EXPECT_EQ(f[1].display_on, 0);
    EXPECT_EQ(f[2].int_par[0], 20000);
    EXPECT_EQ(f[2].int_par[3], 50);
    EXPECT_EQ(f[3].display_on, 1);
    EXPECT_EQ(f[5].int_par[0], 50);
    EXPECT_EQ(f[6].int_par[0], 40);
    EXPECT_FLOAT_EQ(f[6].float_par, 1.05f);
    for (int k = 0; k < kFilterSlots; k++)
        EXPECT_EQ(f[k].index, k);

    EXPECT_EQ(x.wheel_count, 3);
    EXPECT_EQ(x.current_wheel, 1);
    EXPECT_STREQ(x.wheel[1].sh_name, "Pro Cart");
    EXPECT_DOUBLE_EQ(x.wheel[1].wheel_calibration, 360.67);
    EXPECT_EQ(x.wheel[2].wheel_direction, -1);
    EXPECT_EQ(x.wheel[4].index, 4);
    EXPECT_DOUBLE_EQ(x.wheel[4].wheel_calibration, 500.0);
}

TEST_F(XmlPars, the_default_file_has_the_factory_lines)
{
    ASSERT_EQ(x.write_xml_tree(), 0);
    std::string f = read_file(main_path());
    const char* lines[] = {
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<body>\n"
        "\t<r5_parameters_version value=\"1\"/>\n"
        "\t<trigger_type value=\"0\" comment=\"0-wheel, 0xFE-time, 0xFF-keyboard\"/>\n"
        "\t<autostacks value=\"1\"/>\n",
        "\t<time_interval value=\"0.1\" comment=\"seconds\"/>\n",
        "\t<max_bat_level value=\"11\" comment=\"volts\"/>\n",
        "\t<units value=\"1\" comment=\"(0-Imperial; 1-SI)\">\n"
        "\t\t<depth_units value=\"0\" comment=\"0-m or ft; 1-cm or in; 2-sec; 3-ns\"/>\n"
        "\t\t<length_units value=\"0\" comment=\"0-m or ft; 1-cm or in; 2-sec\"/>\n"
        "\t</units>\n"
        "\t<SCALES comment=\"units can be: (0-m or ft; 1-cm or in; 2-sec; 3-ns); position can be: "
        "(0-left; 1-right; 2-top; 3-bottom)\">\n"
        "\t\t<scale visible=\"1\" position=\"0\" units=\"0\"/>\n",
        "\t\t<antenna index=\"44\" name=\"TK Pro HDR\" sh_name=\"QNA\">\n"
        "\t\t\t<samples_in_file value=\"736\"/>\n"
        "\t\t\t<start_samples value=\"350\"/>\n"
        "\t\t\t<point_interval value=\"0.035\" comment=\"local units\"/>\n"
        "\t\t\t<FILTERS>\n"
        "\t\t\t\t<filter index=\"0\" name=\"Undefined Filter\" sh_name=\"Undef\">\n"
        "\t\t\t\t\t<display_on value=\"0\"/>\n"
        "\t\t\t\t\t<file_on value=\"0\"/>\n"
        "\t\t\t\t</filter>\n"
        "\t\t\t\t<filter index=\"1\" name=\"DC Removal\" sh_name=\"DC-Rem\">\n"
        "\t\t\t\t\t<display_on value=\"0\"/>\n"
        "\t\t\t\t\t<file_on value=\"0\"/>\n"
        "\t\t\t\t\t<int_par value=\"50\" comment=\"number of samples in the end of the trace\"/>\n"
        "\t\t\t\t</filter>\n",
        "\t\t\t\t\t<int_par value=\"4\" comment=\"Bias\"/>\n",
        "\t\t\t\t<filter index=\"6\" name=\"Contrast\" sh_name=\"Contrast\">\n"
        "\t\t\t\t\t<display_on value=\"1\"/>\n"
        "\t\t\t\t\t<file_on value=\"0\"/>\n"
        "\t\t\t\t\t<int_par value=\"40\" comment=\"current value\"/>\n"
        "\t\t\t\t\t<float_par value=\"1.05\" comment=\"contrast power base\"/>\n"
        "\t\t\t\t</filter>\n"
        "\t\t\t</FILTERS>\n"
        "\t\t</antenna>\n",
        "\t<WHEELS current=\"1\">\n"
        "\t\t<wheel index=\"0\" name=\"Undefined Wheel\" sh_name=\"Undef\">\n"
        "\t\t\t<wheel_calibration value=\"500\"/>\n"
        "\t\t\t<wheel_direction value=\"1\"/>\n"
        "\t\t</wheel>\n"
        "\t\t<wheel index=\"1\" name=\"TK Pro Cart\" sh_name=\"Pro Cart\">\n"
        "\t\t\t<wheel_calibration value=\"360.67\"/>\n"
        "\t\t\t<wheel_direction value=\"-1\"/>\n"
        "\t\t</wheel>\n",
    };
    const std::string tail = "\t\t</wheel>\n\t</WHEELS>\n</body>\n";
    for (const char* l : lines)
        EXPECT_NE(f.find(l), std::string::npos) << l;
    EXPECT_EQ(f.compare(f.size() - tail.size(), std::string::npos, tail), 0);
    size_t antennas = 0;
    for (size_t p = 0; (p = f.find("<antenna ", p)) != std::string::npos; p++)
        antennas++;
    EXPECT_EQ(antennas, 5u);
}

TEST_F(XmlPars, writing_reading_and_writing_again_gives_identical_bytes)
{
    ASSERT_EQ(x.write_xml_tree(), 0);
    std::string first = read_file(main_path());
    CXML_PARS y;
    y.antenna_count = 1; // the file, not the defaults, must decide
    y.soil_velocity = 7;
    ASSERT_EQ(y.read_xml_tree(), 0);
    EXPECT_EQ(y.antenna_count, 5);
    EXPECT_EQ(y.soil_velocity, 100);
    ASSERT_EQ(y.write_xml_tree(), 0);
    EXPECT_EQ(read_file(main_path()), first);
}

TEST_F(XmlPars, every_changed_setting_survives_a_write_and_a_read)
{
    x.trigger_type = 0xFE;
    x.measurement_direction = -1;
    x.time_interval = 0.25f;
    x.beeper = true;
    x.powersave = 0;
    x.current_palette = 2;
    x.units = 0;
    x.scales[1] = {1, 2, 3};
    x.antenna_count = 10;
    x.antenna[9].index = 77;
    strcpy(x.antenna[9].name, "Far & <Away> \"A\"");
    x.antenna[9].filter_count = 7;
    init_filter(x.antenna[9].filter, 7);
    x.antenna[9].filter[2].int_par[1] = -123456;
    x.antenna[9].filter[6].float_par = 1.5f;
    x.wheel_count = 20;
    x.current_wheel = 19;
    x.wheel[19].wheel_calibration = 123.456;
    x.wheel[19].wheel_direction = -1;
    ASSERT_EQ(x.write_xml_tree(), 0);

    CXML_PARS y;
    ASSERT_EQ(y.read_xml_tree(), 0);
    EXPECT_EQ(y.trigger_type, 0xFE);
    EXPECT_EQ(y.measurement_direction, -1);
    EXPECT_FLOAT_EQ(y.time_interval, 0.25f);
    EXPECT_TRUE(y.beeper);
    EXPECT_EQ(y.powersave, 0);
    EXPECT_EQ(y.current_palette, 2);
    EXPECT_EQ(y.units, 0);
    EXPECT_EQ(y.scales[1].position, 2);
    EXPECT_EQ(y.scales[1].units, 3);
    EXPECT_EQ(y.antenna_count, 10); // a full list sets the count
    EXPECT_EQ(y.antenna[9].index, 77);
    EXPECT_STREQ(y.antenna[9].name, "Far & <Away> \"A\"");
    EXPECT_EQ(y.antenna[9].filter[2].int_par[1], -123456);
    EXPECT_FLOAT_EQ(y.antenna[9].filter[6].float_par, 1.5f);
    EXPECT_EQ(y.wheel_count, 20);
    EXPECT_EQ(y.current_wheel, 19);
    EXPECT_DOUBLE_EQ(y.wheel[19].wheel_calibration, 123.456);
    EXPECT_EQ(y.wheel[19].wheel_direction, -1);
}

TEST_F(XmlPars, the_written_file_is_accepted_by_xmllint)
{
    if (system("command -v xmllint >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
    strcpy(x.antenna[0].name, "quotes \" and ' and & and <tag>");
    ASSERT_EQ(x.write_xml_tree(), 0);
    std::string cmd = "xmllint --noout '" + main_path() + "' 2>&1";
    EXPECT_EQ(system(cmd.c_str()), 0);
}

TEST_F(XmlPars, depth_and_length_units_are_written_but_not_read_back)
{
    x.depth_units = 3;
    x.length_units = 2;
    ASSERT_EQ(x.write_xml_tree(), 0);
    CXML_PARS y;
    ASSERT_EQ(y.read_xml_tree(), 0);
    EXPECT_EQ(y.depth_units, 0);
    EXPECT_EQ(y.length_units, 0);
}

TEST_F(XmlPars, a_missing_main_file_falls_back_to_the_factory_copy)
{
    CXML_PARS factory;
    factory.soil_velocity = 321;
    ASSERT_EQ(factory.write_xml_tree(), 0);
    ASSERT_EQ(rename(main_path().c_str(), sb.path(kFactory).c_str()), 0);
    ASSERT_EQ(x.read_xml_tree(), 0);
    EXPECT_EQ(x.soil_velocity, 321);
    EXPECT_FALSE(x.settings_reset) << "a device that never saved its settings lost nothing";
    std::string log = sb.standins_log();
    EXPECT_NE(log.find("mount"), std::string::npos);
    EXPECT_NE(log.find("umount"), std::string::npos);
    EXPECT_FALSE(file_exists(main_path())); // reading never writes
}

TEST_F(XmlPars, a_broken_main_file_falls_back_to_the_factory_copy)
{
    put_file(sb.path(kFactory), body_file("<soil_velocity value=\"55\"/>"));
    EXPECT_EQ(read_body("<soil_velocity value=\"44\"/"), 0);
    EXPECT_EQ(x.soil_velocity, 55);
    EXPECT_TRUE(x.settings_reset) << "the operator's settings were lost";
    EXPECT_EQ(read_body("<soil_velocity value=\"44\"/>"), 0);
    EXPECT_FALSE(x.settings_reset);
}

TEST_F(XmlPars, with_no_readable_file_the_defaults_are_used_and_the_error_returned)
{
    x.soil_velocity = 9;
    x.antenna_count = 2;
    EXPECT_EQ(x.read_xml_tree(), eXMLErrorFileNotFound);
    EXPECT_EQ(x.soil_velocity, 100);
    EXPECT_EQ(x.antenna_count, 5);
    EXPECT_FALSE(x.settings_reset);
    put_file(main_path(), "");
    put_file(sb.path(kFactory), std::string("\0\1\2garbage<<", 12));
    x.soil_velocity = 9;
    EXPECT_NE(x.read_xml_tree(), 0);
    EXPECT_EQ(x.soil_velocity, 100);
    EXPECT_TRUE(x.settings_reset);
    EXPECT_FALSE(file_exists(main_path()) && read_file(main_path()).size() > 0);
}

TEST_F(XmlPars, language_8_keeps_the_factory_partition_as_it_is)
{
    uint8_t old = prm.language;
    prm.language = 8;
    x.read_xml_tree();
    prm.language = old;
    EXPECT_EQ(sb.standins_log().find("mount"), std::string::npos);
}

TEST_F(XmlPars, an_antenna_list_without_antennas_keeps_one_record)
{
    ASSERT_EQ(read_body("<ANTENNAS></ANTENNAS>"), 0);
    EXPECT_EQ(x.antenna_count, 1);
    EXPECT_STREQ(x.antenna[0].name, "Undefined Antenna");
}

TEST_F(XmlPars, a_filter_with_two_integers_keeps_the_others)
{
    ASSERT_EQ(read_body("<ANTENNAS><antenna index=\"9\"><FILTERS>"
                        "<filter index=\"0\"/><filter index=\"1\"/>"
                        "<filter index=\"2\"><int_par value=\"11\"/><int_par value=\"12\"/></filter>"
                        "</FILTERS></antenna></ANTENNAS>"),
              0);
    const CFilterRecord& f = x.antenna[0].filter[2];
    EXPECT_EQ(f.int_par[0], 11);
    EXPECT_EQ(f.int_par[1], 12);
    EXPECT_EQ(f.int_par[2], 40);
    EXPECT_EQ(f.int_par[3], 50);
    EXPECT_EQ(x.antenna[0].filter_count, 3);
    EXPECT_EQ(x.antenna[0].index, 9);
    EXPECT_STREQ(x.antenna[0].name, "Undefined Antenna"); // no name attribute: kept
}

TEST_F(XmlPars, display_switches_are_forced_after_reading)
{
    std::string filters;
    for (int k = 0; k < 7; k++)
        filters += "<filter index=\"" + std::to_string(k) + "\"><display_on value=\"" +
                   (k == 1 ? "1" : "0") + "\"/></filter>";
    ASSERT_EQ(read_body("<ANTENNAS><antenna><FILTERS>" + filters + "</FILTERS></antenna></ANTENNAS>"),
              0);
    const CFilterRecord* f = x.antenna[0].filter;
    EXPECT_EQ(f[1].display_on, 0);
    EXPECT_EQ(f[2].display_on, 0);
    EXPECT_EQ(f[3].display_on, 1);
    EXPECT_EQ(f[4].display_on, 0);
    EXPECT_EQ(f[5].display_on, 1);
    EXPECT_EQ(f[6].display_on, 1);
}

TEST_F(XmlPars, a_current_wheel_beyond_the_list_becomes_the_first)
{
    const std::string three = "<wheel/><wheel/><wheel/>";
    ASSERT_EQ(read_body("<WHEELS current=\"5\">" + three + "</WHEELS>"), 0);
    EXPECT_EQ(x.wheel_count, 3);
    EXPECT_EQ(x.current_wheel, 0);
    // Equal to the count is past the end as well.
    ASSERT_EQ(read_body("<WHEELS current=\"3\">" + three + "</WHEELS>"), 0);
    EXPECT_EQ(x.current_wheel, 0);
    ASSERT_EQ(read_body("<WHEELS current=\"2\">" + three + "</WHEELS>"), 0);
    EXPECT_EQ(x.current_wheel, 2);
}

TEST_F(XmlPars, long_names_are_cut_to_their_buffers)
{
    std::string longname(500, 'N');
    ASSERT_EQ(read_body("<ANTENNAS><antenna name=\"" + longname + "\" sh_name=\"" + longname +
                        "\"><FILTERS><filter name=\"" + longname + "\" sh_name=\"" + longname +
                        "\"/></FILTERS></antenna></ANTENNAS>"
                        "<WHEELS><wheel name=\"" + longname + "\" sh_name=\"" + longname +
                        "\"/></WHEELS>"),
              0);
    EXPECT_EQ(std::string(x.antenna[0].name), std::string(49, 'N'));
    EXPECT_EQ(std::string(x.antenna[0].sh_name), std::string(19, 'N'));
    EXPECT_EQ(strlen(x.antenna[0].filter[0].name), 49u);
    EXPECT_EQ(strlen(x.antenna[0].filter[0].sh_name), 19u);
    EXPECT_EQ(strlen(x.wheel[0].name), 49u);
    EXPECT_EQ(strlen(x.wheel[0].sh_name), 19u);
}

TEST_F(XmlPars, values_out_of_range_or_not_numbers_keep_the_setting)
{
    ASSERT_EQ(read_body("<trigger_type value=\"300\"/>"
                        "<gps_brate_ind value=\"7\"/>"
                        "<backlighter_level value=\"101\"/>"
                        "<measurement_direction value=\"0\"/>"
                        "<soil_velocity value=\"-1\"/>"
                        "<powersave value=\"70000\"/>"
                        "<time_interval value=\"1e999\"/>"
                        "<max_bat_level value=\"nan\"/>"
                        "<current_palette value=\"3\"/>"
                        "<autostacks value=\"2\"/>"
                        "<beeper value=\"yes\"/>"
                        "<units value=\"12abc\"/>"
                        "<gps_on value=\"\"/>"
                        "<SCALES><scale position=\"4\" units=\"-1\" visible=\"0\"/></SCALES>"
                        "<ANTENNAS><antenna index=\"65536\"><samples_in_file value=\"99999\"/>"
                        "<FILTERS><filter index=\"7\"><int_par value=\"3000000000\"/></filter>"
                        "</FILTERS></antenna></ANTENNAS>"
                        "<WHEELS current=\"-1\"><wheel><wheel_direction value=\"2\"/>"
                        "<wheel_calibration value=\"x\"/></wheel></WHEELS>"),
              0);
    CXML_PARS d;
    EXPECT_EQ(x.trigger_type, d.trigger_type);
    EXPECT_EQ(x.gps_brate_ind, d.gps_brate_ind);
    EXPECT_EQ(x.backlighter_level, d.backlighter_level);
    EXPECT_EQ(x.measurement_direction, d.measurement_direction);
    EXPECT_EQ(x.soil_velocity, d.soil_velocity);
    EXPECT_EQ(x.powersave, d.powersave);
    EXPECT_FLOAT_EQ(x.time_interval, d.time_interval);
    EXPECT_FLOAT_EQ(x.max_bat_level, d.max_bat_level);
    EXPECT_EQ(x.current_palette, d.current_palette);
    EXPECT_EQ(x.autostacks, d.autostacks);
    EXPECT_EQ(x.beeper, d.beeper);
    EXPECT_EQ(x.units, d.units);
    EXPECT_EQ(x.gps_on, d.gps_on);
    EXPECT_EQ(x.scales[0].position, d.scales[0].position);
    EXPECT_EQ(x.scales[0].units, d.scales[0].units);
    EXPECT_EQ(x.scales[0].visible, 0); // this one was valid
    EXPECT_EQ(x.antenna[0].index, d.antenna[0].index);
    EXPECT_EQ(x.antenna[0].samples_in_file, d.antenna[0].samples_in_file);
    EXPECT_EQ(x.antenna[0].filter[0].index, 0);
    EXPECT_EQ(x.antenna[0].filter[0].int_par[0], 0);
    EXPECT_EQ(x.current_wheel, 0); // one wheel: the kept 1 is past the end
    EXPECT_EQ(x.wheel[0].wheel_direction, d.wheel[0].wheel_direction);
    EXPECT_DOUBLE_EQ(x.wheel[0].wheel_calibration, d.wheel[0].wheel_calibration);
}

// The values that make the trigger step: absurd ones would make it 1 or 2^31 - 1 pulses.
TEST_F(XmlPars, point_interval_and_wheel_calibration_must_be_finite_and_positive)
{
    CXML_PARS d;
    for (const char* v : {"-99999999999", "0", "-0.01", "nan", "inf", "1e30", "1e300"}) {
        const std::string val = std::string("value=\"") + v + "\"/>";
        ASSERT_EQ(read_body("<ANTENNAS><antenna><point_interval " + val + "</antenna></ANTENNAS>"
                            "<WHEELS current=\"0\"><wheel><wheel_calibration " + val + "</wheel></WHEELS>"),
                  0);
        EXPECT_FLOAT_EQ(x.antenna[0].point_interval, d.antenna[0].point_interval) << v;
        EXPECT_DOUBLE_EQ(x.wheel[0].wheel_calibration, d.wheel[0].wheel_calibration) << v;
    }
    ASSERT_EQ(read_body("<ANTENNAS><antenna><point_interval value=\"0.05\"/></antenna></ANTENNAS>"
                        "<WHEELS current=\"0\"><wheel><wheel_calibration value=\"360.5\"/></wheel></WHEELS>"),
              0);
    EXPECT_FLOAT_EQ(x.antenna[0].point_interval, 0.05f);
    EXPECT_DOUBLE_EQ(x.wheel[0].wheel_calibration, 360.5);
}

TEST_F(XmlPars, from_str_reads_the_indexed_child_and_reports_a_missing_one)
{
    std::string text = "<p><k v=\"1\"/><k v=\" 2.5 \"/><k/></p>";
    XMLNode p = XMLNode::parseString(text.data(), text.size()).getChildNode("p");
    bool missing = true;
    EXPECT_EQ(CXML_PARS::from_str(p, "k", "v", 9, missing, 0), 1);
    EXPECT_FALSE(missing);
    EXPECT_DOUBLE_EQ(CXML_PARS::from_str(p, "k", "v", 9.0, missing, 1), 2.5);
    EXPECT_EQ(CXML_PARS::from_str(p, "k", "v", 9, missing, 1), 9); // not an int
    EXPECT_EQ(CXML_PARS::from_str(p, "k", "v", 9, missing, 2), 9); // no attribute
    EXPECT_FALSE(missing);
    EXPECT_EQ(CXML_PARS::from_str(p, "k", "v", static_cast<uint16_t>(9), missing, 3), 9);
    EXPECT_TRUE(missing);
    EXPECT_TRUE(CXML_PARS::from_str(XMLNode(), "k", "v", true, missing, 0));
    EXPECT_TRUE(missing);
}

TEST_F(XmlPars, a_file_without_a_body_is_no_settings_file)
{
    put_file(main_path(), "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n");
    put_file(sb.path(kFactory), body_file("<soil_velocity value=\"66\"/>"));
    EXPECT_EQ(x.read_xml_tree(), 0);
    EXPECT_EQ(x.soil_velocity, 66);
    EXPECT_EQ(x.antenna_count, 1); // the factory file has no antenna list
    put_file(sb.path(kFactory), "<other/>");
    x.soil_velocity = 17;
    EXPECT_EQ(x.read_xml_tree(), eXMLErrorFirstTagNotFound);
    EXPECT_EQ(x.soil_velocity, 100);
    EXPECT_EQ(x.antenna_count, 5);
}

TEST_F(XmlPars, a_name_is_never_cut_inside_a_utf8_character)
{
    std::string name = std::string(48, 'N') + "\xC3\xA9" + "tail";
    ASSERT_EQ(read_body("<ANTENNAS><antenna name=\"" + name + "\"/></ANTENNAS>"), 0);
    EXPECT_EQ(std::string(x.antenna[0].name), std::string(48, 'N'));
    std::string fits = std::string(47, 'N') + "\xC3\xA9" + "tail";
    ASSERT_EQ(read_body("<ANTENNAS><antenna name=\"" + fits + "\"/></ANTENNAS>"), 0);
    EXPECT_EQ(std::string(x.antenna[0].name), std::string(47, 'N') + "\xC3\xA9");
}
