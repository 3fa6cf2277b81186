// A baseline-crossing project measured by the whole program: gprmon headless against the
// simulated CU, driven by its scripted keypad. Checked: the project file byte for byte, the
// profiles on the disk, a continued project without a deleted profile, and a kill mid-profile.
#include "acq_fixture.h"
#include "live_fixture.h"
#include "program_driver.h"
#include "support/waits.h"

#include "config/parameters.h"
#include "config/xml_pars.h"

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <vector>

namespace {

class ProgramPlavik : public LiveTest {
protected:
    Program p;
    size_t cu_log_read = 0; // cusim's log up to its last report of a path's end

    // Settings as a crew would have saved them (SI units, the wheel running forward); the
    // cart runs 1 m per profile.
    void start_program()
    {
        ASSERT_TRUE(store_settings(sb, 1, forward_wheel));
        LiveOptions o;
        o.cusim_args = cart_args("+1.0005");
        ASSERT_TRUE(start_cusim(o));
        ASSERT_TRUE(p.start(sb)) << p.output();
        ASSERT_NE(std::string::npos, p.wait_out("main loop", 0, 90)) << p.output();
        ASSERT_NE(std::string::npos, p.wait_out("Reading from CU:", 0, 60)) << p.output();
    }

    // Each key goes to a screen waiting for one (the scripted keypad hands them over there).
    void keys(const char* key, int times = 1)
    {
        for (int i = 0; i < times; i++)
            p.send({key});
    }

    // Waits until `needle` is printed after `from`, answering the message boxes that wait for
    // a key meanwhile; the position after it.
    size_t reach(const std::string& needle, size_t from)
    {
        size_t answered = 0, at = std::string::npos;
        eventually([&] {
            const std::string out = p.output();
            at = out.find(needle, from);
            if (at != std::string::npos)
                return true;
            size_t boxes = 0;
            for (size_t q = out.find("(type 0)", from); q != std::string::npos; q = out.find("(type 0)", q + 1))
                boxes++;
            for (; answered < boxes; answered++)
                p.send({"Space"});
            return false;
        }, 120);
        if (at != std::string::npos)
            return at + needle.size();
        ADD_FAILURE() << "not printed: " << needle << "\n" << p.output().substr(from);
        return std::string::npos;
    }

    size_t traces_of(const std::string& base, int samples) const
    {
        struct stat st;
        return stat(data(base + ".rd7").c_str(), &st) == 0 ? size_t(st.st_size) / (4 * size_t(samples)) : 0;
    }

    // Measures the next profile from screen 37 until the cart stands at its end.
    void measure_profile(const std::string& base, size_t from)
    {
        keys("Enter");
        ASSERT_NE(std::string::npos, reach("projname(new):" + base, from));
        ASSERT_NE(std::string::npos, reach("mstart 5", from));
        const int samples = atoi(rad_value(data(base + ".rad"), "SAMPLES:").c_str());
        ASSERT_GT(samples, 100);
        // The cart is at its end once cusim sent the path's last trace and the file holds it.
        ASSERT_EQ(100, stored_at_path_end(&cu_log_read, [&] { return traces_of(base, samples); }))
            << "1 m of profile, a trace every centimetre\n" << read_file(cu_log);
    }

    static std::string rad_value(const std::string& path, const std::string& key)
    {
        for (const std::string& l : file_lines(path))
            if (l.compare(0, key.size(), key) == 0)
                return l.substr(key.size());
        return "";
    }
};

// Button 11 of the measurement screen is 7 focus steps after Stop: the time-gain slider is
// hidden with automatic gain, which a fresh parameter store has on.
constexpr int kStopToButton11 = 7;

} // namespace

TEST_F(ProgramPlavik, ThreeProfilesWithCrossingsThenContinueWithoutADeletedOne)
{
    ASSERT_TRUE(CParameters().gain_switch) << "the focus steps below count on automatic gain";
    start_program();
    // Main menu -> "Plavik Project" -> "New Project".
    keys("Left", 2);
    keys("Enter");
    keys("Enter");
    // The text fields take the arrows as the focus does: Left forward (next character, next
    // letter), Right back. Project name "PVP_" -> "AB": from the end back to the first letter,
    // delete two, A, then B over the '_', and past the end to close the field.
    keys("Enter");
    keys("Right", 4);
    keys("Up", 2);
    keys("Enter");
    keys("Right", 15);
    keys("Enter");
    keys("Left");
    keys("Enter");
    keys("Left", 2);
    keys("Enter");
    keys("Left", 2);
    keys("Enter");
    // Start Y: its last digit becomes '-' (refused, the field stays open), then '0' again.
    keys("Left", 3);
    keys("Enter");
    keys("Right");
    keys("Enter");
    keys("Left", 2);
    keys("Enter");
    keys("Left", 2);
    keys("Enter");
    size_t at = reach("\"The number is not correct. There must be no spaces\"", 0);
    ASSERT_NE(std::string::npos, at);
    keys("Space");
    keys("Right", 2);
    keys("Enter");
    keys("Right", 2);
    keys("Enter");
    keys("Left", 2);
    keys("Enter");
    // Stop X: 1.000 -> 5.000.
    keys("Left");
    keys("Enter");
    keys("Right", 5);
    keys("Enter");
    keys("Left", 4);
    keys("Enter");
    keys("Left", 6);
    keys("Enter");
    p.send({"shot pv_setup"});
    ASSERT_TRUE(p.wait_shot("pv_setup", 60));
    // "Start the project", then screen 37.
    keys("Left", 2);
    keys("Enter");
    at = reach("save_pars AB__", at);
    ASSERT_NE(std::string::npos, at);

    struct Crossing {
        std::vector<const char*> keys; // on screen 20, from the distance button
    };
    // 1: "()" and the proposals 0 and 0 -> distance 5, angle 9. 2: proposals 10 and 18 taken.
    // 3: proposal 15 taken, angle 27 turned back over 0 to 357.
    const std::vector<Crossing> crossings = {
        {{"Enter", "Right", "Right", "Right", "Right", "Right", "Enter", "Enter", "Left", "Enter", "Right", "Right",
          "Right", "Enter"}},
        {{}},
        {{"Left", "Enter", "Left", "Left", "Left", "Left", "Left", "Left", "Left", "Left", "Left", "Left", "Enter"}},
    };
    for (size_t k = 0; k < crossings.size(); k++) {
        const std::string base = "AB__000" + std::to_string(k + 1);
        SCOPED_TRACE(base);
        measure_profile(base, at);
        keys("Left", kStopToButton11);
        keys("Enter");
        for (const char* key : crossings[k].keys)
            keys(key);
        if (k == 2) {
            p.send({"shot pv_crossing"});
            ASSERT_TRUE(p.wait_shot("pv_crossing", 60));
        }
        // To "Create the crossing" (past the angle button).
        const int to_create = crossings[k].keys.empty() ? 2 : 1;
        keys("Left", to_create);
        keys("Enter");
        at = reach("new marker ok", at);
        ASSERT_NE(std::string::npos, at);
        keys("Right", kStopToButton11);
        keys("Enter");
        at = reach("Stop:", at);
        ASSERT_NE(std::string::npos, at);
        at = reach("dClosed!", at);
    }
    // Screen 37 -> "Main Menu": the project is stopped there.
    keys("Left", 2);
    keys("Enter");
    at = reach("PVP stopped", at);
    ASSERT_NE(std::string::npos, at);

    const std::vector<std::string> lines = file_lines(data("AB__.pvb"));
    const std::vector<std::string> want = {
        "VERSION:1",          "NUMBER_OF_BASELINES:1",    "BASELINE:1",         "START_X:          0.000",
        "START_Y:          0.000", "STOP_X:          5.000", "STOP_Y:          0.000", "NUMBER_OF_PROFILES:    3",
        "AB__0001",           "X_LENGTH:",                "X_ANGLE:  9",        "X_DIST2BASE:    5.0000",
        "AB__0002",           "X_LENGTH:",                "X_ANGLE: 18",        "X_DIST2BASE:   10.0000",
        "AB__0003",           "X_LENGTH:",                "X_ANGLE:357",        "X_DIST2BASE:   15.0000",
    };
    ASSERT_EQ(want.size(), lines.size()) << read_file(data("AB__.pvb"));
    for (size_t i = 0; i < want.size(); i++) {
        if (want[i] == "X_LENGTH:") {
            // Where the cart stood: 1 m, to the wheel's last pulse.
            ASSERT_EQ(19u, lines[i].size()) << lines[i];
            EXPECT_NEAR(1.0, atof(lines[i].c_str() + 9), 0.0015) << lines[i];
            EXPECT_EQ(lines[i].substr(lines[i].size() - 5, 1), ".") << "four decimals";
        } else {
            EXPECT_EQ(want[i], lines[i]);
        }
    }
    EXPECT_NE(std::string::npos, read_file(data("AB__.pvb")).find("STOP_X:          5.000\r\n")) << "CR LF lines";
    // Each crossing is also the profile's end marker (code -1) at its trace, on the zero level.
    for (const char* base : {"AB__0001", "AB__0002", "AB__0003"}) {
        EXPECT_EQ("100", rad_value(data(std::string(base) + ".rad"), "LAST TRACE:")) << base;
        const std::vector<std::string> marks = file_lines(data(std::string(base) + ".mrk"));
        ASSERT_FALSE(marks.empty()) << base;
        EXPECT_EQ(0u, marks.back().rfind("000100\t", 0)) << marks.back();
        EXPECT_EQ(3u, marks.back().size() - marks.back().rfind("\t-1")) << marks.back();
    }

    // The second profile's files are deleted; continuing the project drops it.
    ASSERT_EQ(0, system(("rm -f '" + data("AB__0002") + "'.*").c_str()));
    keys("Enter");
    keys("Left");
    keys("Enter");
    keys("Enter");
    keys("Enter");
    at = reach("save_pars AB__", at);
    ASSERT_NE(std::string::npos, at);
    keys("Left", 2);
    keys("Enter");
    at = reach("PVP stopped", at);
    ASSERT_NE(std::string::npos, at);
    const std::string cont = read_file(data("AB__.pvb"));
    EXPECT_NE(std::string::npos, cont.find("NUMBER_OF_PROFILES:    2\r\nAB__0001\r\n")) << cont;
    EXPECT_NE(std::string::npos, cont.find("AB__0003\r\nX_LENGTH:")) << cont;
    EXPECT_EQ(std::string::npos, cont.find("AB__0002")) << cont;
    EXPECT_EQ(0, p.finish()) << "the orderly power-off";

    if (const char* doc = getenv("GPRMON_DOC_SHOTS")) {
        EXPECT_EQ(0, system(("cp '" + p.shots + "/pv_setup.png' '" + doc + "/plavik_setup.png'").c_str()));
        EXPECT_EQ(0, system(("cp '" + p.shots + "/pv_crossing.png' '" + doc + "/plavik_crossing.png'").c_str()));
    }
}

TEST_F(ProgramPlavik, KilledMidProfileLeavesTheProjectFileWhole)
{
    start_program();
    // A new project "PVP_" with GPS positioning: no baseline in its file.
    keys("Left", 2);
    keys("Enter");
    keys("Enter");
    keys("Left");
    keys("Enter");
    keys("Left");
    keys("Enter");
    size_t at = reach("save_pars PVP_", 0);
    ASSERT_NE(std::string::npos, at);
    keys("Enter");
    ASSERT_NE(std::string::npos, reach("mstart 5", at));
    ASSERT_EQ(0, p.end_with(SIGTERM)) << "SIGTERM runs the orderly power-off";
    // Unmounted now: the files are in the partition's folder.
    const std::string disk = sb.path("/dev/sda1/");
    EXPECT_EQ("VERSION:2\r\nNUMBER_OF_PROFILES:    1\r\nPVP_0001\r\n", read_file(disk + "PVP_.pvb"));
    EXPECT_FALSE(file_exists(disk + "PVP_.pv~"));
    EXPECT_TRUE(file_exists(disk + "PVP_0001.rd7"));
}
