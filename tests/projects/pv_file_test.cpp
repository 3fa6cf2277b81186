// The project file of a baseline-crossing project: written byte for byte in both versions,
// read back as far as it is sound, the name checks of a new project, dropping deleted
// profiles; the angle indicator's keypad steps.
#include "files/keylines.h"
#include "gui/pv_angle.h"
#include "projects/pv_project.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

class PvFile : public ::testing::Test {
protected:
    Sandbox sb;
    CPVProject p;
    void SetUp() override { ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/mnt/hda1") + "'").c_str())); }
    std::string data(const std::string& f) const { return sb.path("/mnt/hda1/" + f); }
    void put(const std::string& f, const std::string& text) const
    {
        FILE* o = fopen(data(f).c_str(), "wb");
        ASSERT_TRUE(o);
        fputs(text.c_str(), o);
        fclose(o);
    }
    void add(const char* name, float len, int angle, float dist)
    {
        p.profiles.push_back(std::make_unique<CPVProfile>());
        snprintf(p.profiles.back()->name, sizeof p.profiles.back()->name, "%s", name);
        p.profiles.back()->X_LENGTH = len;
        p.profiles.back()->X_ANGLE = angle;
        p.profiles.back()->X_DIST2BASE = dist;
    }
};

const char* const kVersion1 = "VERSION:1\r\n"
                              "NUMBER_OF_BASELINES:1\r\n"
                              "BASELINE:1\r\n"
                              "START_X:          0.000\r\n"
                              "START_Y:        -12.500\r\n"
                              "STOP_X:       1234.567\r\n"
                              "STOP_Y:          0.000\r\n"
                              "NUMBER_OF_PROFILES:    2\r\n"
                              "AB__0001\r\n"
                              "X_LENGTH:    1.0010\r\n"
                              "X_ANGLE:  9\r\n"
                              "X_DIST2BASE:    5.0000\r\n"
                              "AB__0002\r\n"
                              "X_LENGTH:   12.2500\r\n"
                              "X_ANGLE:357\r\n"
                              "X_DIST2BASE:   10.0000\r\n";

} // namespace

TEST_F(PvFile, both_versions_are_written_byte_for_byte_and_read_back)
{
    copy_text(p.name, sizeof p.name, "AB__");
    p.start_y = -12.5;
    p.stop_x = 1234.567;
    add("AB__0001", 1.001f, 9, 5.0f);
    add("AB__0002", 12.25f, 357, 10.0f);
    ASSERT_EQ(0, p.write_pvb());
    EXPECT_EQ(kVersion1, read_file(data("AB__.pvb")));
    EXPECT_FALSE(file_exists(data("AB__.pv~"))) << "the file is written beside and renamed into place";

    CPVProject q;
    copy_text(q.name, sizeof q.name, "AB__");
    ASSERT_EQ(0, q.read_pvb());
    EXPECT_EQ(1, q.version);
    EXPECT_DOUBLE_EQ(-12.5, q.start_y);
    EXPECT_DOUBLE_EQ(1234.567, q.stop_x);
    ASSERT_EQ(2u, q.profiles.size());
    EXPECT_STREQ("AB__0002", q.profiles[1]->name);
    EXPECT_FLOAT_EQ(12.25f, q.profiles[1]->X_LENGTH);
    EXPECT_EQ(357, q.profiles[1]->X_ANGLE);
    EXPECT_FLOAT_EQ(10.0f, q.profiles[1]->X_DIST2BASE);

    // GPS positioning: neither baseline nor crossings in the file; read back with zeros.
    p.version = 2;
    ASSERT_EQ(0, p.write_pvb());
    EXPECT_EQ("VERSION:2\r\nNUMBER_OF_PROFILES:    2\r\nAB__0001\r\nAB__0002\r\n", read_file(data("AB__.pvb")));
    ASSERT_EQ(0, q.read_pvb());
    EXPECT_EQ(2, q.version);
    ASSERT_EQ(2u, q.profiles.size());
    EXPECT_EQ(0, q.profiles[0]->X_ANGLE);
    EXPECT_EQ(0.0f, q.profiles[0]->X_DIST2BASE);

    q.version = 1;
    copy_text(q.name, sizeof q.name, "NONE");
    EXPECT_EQ(1, q.read_pvb()) << "a missing file";
    copy_text(q.name, sizeof q.name, "../x");
    EXPECT_EQ(1, q.write_pvb()) << "a name that leaves the data directory";
}

TEST_F(PvFile, a_damaged_file_is_read_as_far_as_it_is_sound)
{
    const std::string head = "VERSION:1\r\nNUMBER_OF_BASELINES:1\r\nBASELINE:1\r\nSTART_X: 1\r\nSTART_Y: 2\r\n"
                             "STOP_X: 3\r\nSTOP_Y: 4\r\nNUMBER_OF_PROFILES:    9\r\n";
    std::string many = "VERSION:2\r\nNUMBER_OF_PROFILES:20000\r\n";
    for (int i = 0; i < 20000; i++)
        many += "P_" + std::to_string(i) + "\r\n";
    struct Case {
        const char* what;
        std::string text;
        size_t profiles;
        double stop_y;
        const char* last_name;
        int last_angle;
        float last_dist;
    };
    const Case cases[] = {
        {"empty", "", 0, 0, "", 0, 0},
        {"ends inside the baseline", "VERSION:1\r\nNUMBER_OF_BASELINES:1\r\nBASELINE:1\r\nSTART_X: 7\r\n", 0, 0, "", 0,
         0},
        {"ends inside a profile", head + "AB__0001\r\nX_LENGTH: 1.5\r\n", 1, 4, "AB__0001", 0, 0},
        {"missing and non-numeric values keep the previous profile's",
         head + "AB__0001\r\nX_LENGTH: 1\r\nX_ANGLE: 45\r\nX_DIST2BASE: 2\r\n"
                "AB__0002\r\nX_LENGTH: 3\r\nANGLE: 7\r\nX_DIST2BASE: abc\r\n",
         2, 4, "AB__0002", 45, 2},
        {"an over-long line ends the reading",
         head + "AB__0001\r\nX_LENGTH: 1\r\nX_ANGLE: 45\r\nX_DIST2BASE: 2\r\n" + std::string(300, 'x') + "\r\nAB__0002\r\n",
         1, 4, "AB__0001", 45, 2},
        {"only 8 characters of a name", head + "AB__0001.rd7 and more\r\nX_LENGTH: 1\r\nX_ANGLE: 5\r\nX_DIST2BASE: 2\r\n",
         1, 4, "AB__0001", 5, 2},
        {"no line ends", "VERSION:1", 0, 0, "", 0, 0},
        {"thousands of profiles", many, CPVProject::kMaxProfiles, 0, "P_9998", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        put("BAD_.pvb", c.text);
        CPVProject q;
        copy_text(q.name, sizeof q.name, "BAD_");
        q.stop_y = 0;
        EXPECT_EQ(0, q.read_pvb());
        EXPECT_EQ(c.profiles, q.profiles.size());
        EXPECT_DOUBLE_EQ(c.stop_y, q.stop_y);
        if (c.profiles && q.profiles.size() == c.profiles) {
            EXPECT_STREQ(c.last_name, q.profiles.back()->name);
            EXPECT_EQ(c.last_angle, q.profiles.back()->X_ANGLE);
            EXPECT_FLOAT_EQ(c.last_dist, q.profiles.back()->X_DIST2BASE);
        }
    }
}

TEST_F(PvFile, a_new_project_needs_a_name_no_project_or_profile_uses)
{
    char padded[16];
    pv_pad_name(padded, sizeof padded, "AB");
    EXPECT_STREQ("AB__", padded);
    EXPECT_FALSE(pvn_is_correct("DAT_"));
    EXPECT_TRUE(pvn_is_correct("DA_T"));

    struct Case {
        const char* existing;
        const char* name;
        int result;
    } cases[] = {
        {"AB__0003.rd7", "AB__", 2}, {"AB__.pvb", "AB__", 2},   {"ABC_0001.rd7", "AB__", 0},
        {"AB__.txt", "AB__", 0},     {"AB__.pvb", "AB", 0},     {"X.rd7", "AB__", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.existing) + " / " + c.name);
        ASSERT_EQ(0, system(("rm -f '" + sb.path("/mnt/hda1") + "'/*").c_str()));
        put(c.existing, "");
        CPVProject q;
        copy_text(q.name, sizeof q.name, c.name);
        add("OLD_0001", 0, 0, 0);
        q.profiles.push_back(std::move(p.profiles.back()));
        p.profiles.clear();
        EXPECT_EQ(c.result, q.Start());
        EXPECT_EQ(c.result == 0, q.active);
        if (c.result == 0) {
            EXPECT_TRUE(q.profiles.empty());
            EXPECT_TRUE(file_exists(data(std::string(c.name) + ".pvb")));
        }
    }
    ASSERT_EQ(0, system(("rm -rf '" + sb.path("/mnt/hda1") + "'").c_str()));
    EXPECT_EQ(3, p.Start()) << "no data directory";
    EXPECT_FALSE(p.active);
}

TEST_F(PvFile, profiles_and_crossings_only_while_active_and_deleted_profiles_leave)
{
    copy_text(p.name, sizeof p.name, "AB__");
    EXPECT_EQ(1, p.new_Prof("AB__0001", 1, 0, 0, 0));
    EXPECT_EQ(1, p.new_Marker(1, 2, 3));
    ASSERT_EQ(0, p.Start());
    EXPECT_EQ(1, p.new_Marker(1, 2, 3)) << "no profile yet";
    for (const char* n : {"AB__0001", "AB__0002", "AB__0003"}) {
        EXPECT_EQ(0, p.new_Prof(n, 1, 0, 0, 0));
        put(std::string(n) + ".rd7", "");
    }
    EXPECT_EQ(0, p.new_Marker(2.5f, 90, 7));
    EXPECT_NE(std::string::npos, read_file(data("AB__.pvb"))
                                     .find("NUMBER_OF_PROFILES:    3\r\nAB__0001\r\nX_LENGTH:    0.0000\r\n"))
        << "each new profile is on the disk at once";
    EXPECT_NE(std::string::npos,
              read_file(data("AB__.pvb")).find("AB__0003\r\nX_LENGTH:    2.5000\r\nX_ANGLE: 90\r\nX_DIST2BASE:    7.0000\r\n"))
        << "and so is each crossing";
    p.Stop();
    EXPECT_FALSE(p.active);

    unlink(data("AB__0002.rd7").c_str());
    copy_text(p.name, sizeof p.name, "PVP_");
    EXPECT_EQ(0, p.Clear_proj_file("AB__.pvb"));
    EXPECT_STREQ("PVP_", p.name) << "the current name is kept";
    CPVProject q;
    copy_text(q.name, sizeof q.name, "AB__");
    ASSERT_EQ(0, q.Continue());
    EXPECT_TRUE(q.active);
    ASSERT_EQ(2u, q.profiles.size());
    EXPECT_STREQ("AB__0001", q.profiles[0]->name);
    EXPECT_STREQ("AB__0003", q.profiles[1]->name);
    EXPECT_EQ(90, q.profiles[1]->X_ANGLE);

    copy_text(q.name, sizeof q.name, "GONE");
    EXPECT_EQ(1, q.Continue());
    EXPECT_FALSE(q.active) << "a project without its file is not continued";
}

TEST(PvAngle, steps_wrap_around_the_circle)
{
    const struct {
        int angle, direction;
        bool held;
        int result;
    } steps[] = {
        {90, 1, false, 93}, {90, -1, false, 87}, {2, -1, false, 357}, {0, -1, false, 357}, {357, 1, false, 0},
        {358, 1, false, 0}, {5, -1, true, 351}, {9, -1, true, 0},     {351, 1, true, 0},  {350, 1, true, 359},
    };
    for (const auto& s : steps)
        EXPECT_EQ(s.result, pv_angle_step(s.angle, s.direction, s.held)) << s.angle << " " << s.direction;
}
