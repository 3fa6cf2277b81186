// The day's work reviewed and exported by the whole program: gprmon headless against the
// simulated CU, driven by its scripted keypad. Two profiles are recorded, viewed (tools,
// screenshot), uploaded to a simulated USB stick, deleted; a baseline-crossing project is
// opened as a folder and emptied; damaged and hostile-named files are met on the way.
#include "acq_fixture.h"
#include "live_fixture.h"
#include "program_driver.h"

#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "projects/pv_project.h"

#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ProgramFiles : public LiveTest {
protected:
    Program p;
    size_t at = 0; // output seen so far

    // Wheel trigger, SI units, a trace every centimetre; the cart runs 1 m per profile.
    void start_program(bool card = false, const std::vector<std::string>& cusim = {},
                       const std::vector<std::string>& wrapper = {})
    {
        ASSERT_TRUE(link_partition(sb, "/mnt/hda3", "/dev/sda3", true));
        xml_pars.Init();
        xml_pars.read_xml_tree();
        xml_pars.units = 1;
        xml_pars.trigger_type = 0;
        xml_pars.gps_on = 0;
        xml_pars.measurement_direction = 1;
        xml_pars.wheel[xml_pars.current_wheel].wheel_calibration = 1000.0;
        xml_pars.wheel[xml_pars.current_wheel].wheel_direction = 1;
        for (int a = 0; a < xml_pars.antenna_count; a++)
            xml_pars.antenna[a].point_interval = 0.01f;
        ASSERT_EQ(0, xml_pars.write_xml_tree());
        ASSERT_TRUE(link_partition(sb, "/mnt/hda3", "/dev/sda3", false));
        if (card) {
            prm = CParameters();
            prm.after_loading();
            prm.udp_mode = 1;
            prm.restore_missed = 1;
            ASSERT_EQ(0, prm.p_write());
        }
        LiveOptions o;
        o.cusim_args = {"--speed", "0.5", "--wheel-cal", "1000", "--path", "+1.0005", "--max-rate", "100000"};
        o.cusim_args.insert(o.cusim_args.end(), cusim.begin(), cusim.end());
        ASSERT_TRUE(start_cusim(o));
        ASSERT_TRUE(p.start(sb, "gprmon", wrapper)) << p.output();
        ASSERT_NE(std::string::npos, p.wait_out("main loop", 0, 90)) << p.output();
        ASSERT_TRUE(reach("Reading from CU:"));
    }

    // Keys spaced so that every screen takes each one.
    void keys(const char* key, int times = 1)
    {
        for (int i = 0; i < times; i++)
            p.send({"wait 350", key});
    }

    // Waits until `needle` is printed after the last one reached; answers nothing.
    bool reach(const std::string& needle, double seconds = 120)
    {
        const size_t r = p.wait_out(needle, at, seconds);
        if (r == std::string::npos) {
            ADD_FAILURE() << "not printed: " << needle << "\n" << p.output().substr(at);
            return false;
        }
        at = r;
        return true;
    }
    // A message box that waits for a key: answered with Space once it is shown.
    bool answer_box(const std::string& title)
    {
        if (!reach("message box \"" + title + "\""))
            return false;
        keys("Space");
        return true;
    }
    bool shot(const std::string& name)
    {
        p.send({"wait 800", ("shot " + name).c_str()});
        return p.wait_shot(name, 60);
    }

    size_t traces_of(const std::string& base, int samples) const
    {
        struct stat st;
        return stat(data(base + ".rd7").c_str(), &st) == 0 ? size_t(st.st_size) / (4 * size_t(samples)) : 0;
    }

    // From screen 2 (New focused): one profile of 1 m, stopped; back on screen 2.
    void record(const std::string& base)
    {
        keys("Enter");
        ASSERT_TRUE(reach("projname(new):" + base));
        ASSERT_TRUE(reach("mstart 5"));
        const int samples = samples_of(base);
        ASSERT_GT(samples, 100);
        size_t at_rest = 0;
        for (int quiet = 0, i = 0; i < 600 && (quiet < 15 || at_rest < 100); i++) {
            usleep(100000);
            const size_t now = traces_of(base, samples);
            quiet = now == at_rest ? quiet + 1 : 0;
            at_rest = now;
        }
        ASSERT_EQ(100u, at_rest);
        keys("Enter");
        ASSERT_TRUE(reach("\nopen\n"));
    }

    int samples_of(const std::string& base) const
    {
        for (const std::string& l : file_lines(data(base + ".rad")))
            if (l.compare(0, 8, "SAMPLES:") == 0)
                return atoi(l.c_str() + 8);
        return 0;
    }

    // Main menu (2D Project focused) to the file manager.
    void to_file_manager()
    {
        keys("Left", 4);
        keys("Enter");
        ASSERT_TRUE(reach("File Dialog:"));
    }

    std::string stick(const std::string& f) const { return sb.path("/dev/sdb1/SORLAN/" + f); }
};

const char* const kSet[] = {".rd7", ".rad", ".add", ".srd", ".mrk"};

std::vector<std::string> names_in(const std::string& dir)
{
    std::vector<std::string> v;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                v.push_back(e->d_name);
        closedir(d);
    }
    std::sort(v.begin(), v.end());
    return v;
}

bool copy_file(const std::string& from, const std::string& to)
{
    return system(("cp -p '" + from + "' '" + to + "'").c_str()) == 0;
}

} // namespace

TEST_F(ProgramFiles, RecordViewUploadAndDeleteTheDaysWork)
{
    start_program();
    // Main menu -> 2D Project; screen 2 waits for the CU, then "New" has the focus.
    keys("Enter");
    ASSERT_TRUE(reach("sbars_init"));
    record("DAT_0001");
    record("DAT_0002");
    keys("Right"); // Back
    keys("Enter");
    to_file_manager();

    // Newest first: DAT_0002 is opened in the viewer (the menu leaves the focus on Select).
    keys("Left", 3);
    keys("Enter");
    ASSERT_TRUE(reach("file viewer: DAT_0002, 100 traces"));
    ASSERT_TRUE(shot("viewer"));
    // The viewer starts on "fs". The trace cursor (past the contrast slider) to trace 50.
    keys("Left", 2);
    keys("Enter");
    keys("Down");
    keys("Right", 2);
    keys("Left");
    keys("Enter");
    ASSERT_TRUE(reach("trace cursor 51"));
    // Tools -> Hyperbola Fitting: the reflector cursor taken as it stands, velocity +3, kept.
    const int velocity = xml_pars.soil_velocity;
    keys("Right", 5);
    keys("Enter");
    keys("Left");
    keys("Enter");
    keys("Enter");
    keys("Right", 3);
    ASSERT_TRUE(shot("viewer_hyperbola"));
    keys("Enter");
    ASSERT_TRUE(reach("soil velocity " + std::to_string(velocity + 3)));
    // Tools -> Migration, then again (the columns come back).
    for (int i = 0; i < 2; i++) {
        keys("Enter");
        keys("Left", 2);
        keys("Enter");
        ASSERT_TRUE(reach("viewer tool 2"));
    }
    // jpeg: a screenshot into the data directory.
    keys("Left");
    keys("Enter");
    std::string jpg;
    for (int i = 0; i < 300 && jpg.empty(); i++) {
        for (const std::string& n : names_in(sb.path("/dev/sda1")))
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".jpg") == 0)
                jpg = n;
        usleep(100000);
    }
    ASSERT_FALSE(jpg.empty()) << "screenshot";
    // Back to the file manager (the focus stays on Open).
    keys("Right", 2);
    keys("Enter");
    ASSERT_TRUE(reach("File Dialog: 3 entries"));
    ASSERT_TRUE(shot("file_manager"));

    // Select to DAT_0002 (row 1 under the picture), Mark it and DAT_0001 below it.
    keys("Right", 3); // Open -> Select
    keys("Enter");
    keys("Left");
    keys("Enter");
    keys("Left"); // Mark
    keys("Enter");
    keys("Left");
    keys("Enter");
    // Upload without a stick: the marks stay, the focus returns to Upload.
    keys("Left", 3);
    keys("Enter");
    ASSERT_TRUE(answer_box("The USB Device is not accessible"));
    ASSERT_EQ(0, system(("'" GPRMON_SOURCE_DIR "/sim/usb-stick.sh' '" + sb.root() + "' >/dev/null").c_str()));
    keys("Enter");
    ASSERT_TRUE(reach("message box \"There are    2 selected files\" / \"Are you sure that you want to upload selected files?\" (type 2)"));
    keys("Enter"); // Copy
    ASSERT_TRUE(answer_box("Upload was successful"));
    ASSERT_TRUE(reach("File Dialog:"));
    for (const std::string base : {"DAT_0001", "DAT_0002"})
        for (const char* ext : {".rd7", ".rad", ".srd", ".mrk"})
            EXPECT_EQ(read_file(data(base + ext)), read_file(stick(base + ext))) << base << ext;
    EXPECT_EQ(size_t(100) * samples_of("DAT_0001") * 2, read_file(stick("DAT_0001.rd3")).size());
    EXPECT_FALSE(file_exists(sb.path("/mnt/usb/SORLAN"))) << "the stick is unmounted after the upload";

    // DAT_0001 (the current row, the last one marked) once more: its copy takes "_1".
    keys("Enter");
    ASSERT_TRUE(reach("message box \"Are you sure that you want to upload the file?\" / \"DAT_0001.rd7\" (type 2)"));
    keys("Enter");
    ASSERT_TRUE(answer_box("Upload was successful"));
    EXPECT_EQ(read_file(data("DAT_0001.rd7")), read_file(stick("DAT_0001_1.rd7")));
    EXPECT_EQ(read_file(data("DAT_0001.rad")), read_file(stick("DAT_0001_1.rad")));

    // Delete DAT_0002: Select up one row, Delete, Yes (No has the focus).
    keys("Right", 4); // Upload -> Select
    keys("Enter");
    keys("Right");
    keys("Enter");
    keys("Left", 2); // Delete
    keys("Enter");
    ASSERT_TRUE(reach("message box \"Are you sure that you want to delete the file?\" / \"DAT_0002.rd7\" (type 1)"));
    keys("Right");
    keys("Enter");
    ASSERT_TRUE(reach("File Dialog: 2 entries"));
    for (const char* ext : kSet) {
        EXPECT_FALSE(file_exists(data(std::string("DAT_0002") + ext))) << ext;
        EXPECT_TRUE(file_exists(data(std::string("DAT_0001") + ext))) << ext;
    }
    EXPECT_NE(std::string::npos, sb.commands_log().find("sync"));

    // A baseline-crossing project of two profiles (copies of DAT_0001) opens as a folder.
    {
        CPVProject pv;
        snprintf(pv.name, sizeof pv.name, "AB__");
        pv.active = true;
        ASSERT_EQ(0, pv.new_Prof("AB__0001", 1, 1.0f, 90, 0.5f));
        ASSERT_EQ(0, pv.new_Prof("AB__0002", 2, 2.0f, 90, 1.5f));
        ASSERT_EQ(0, pv.write_pvb());
        for (const char* ext : kSet)
            for (const char* b : {"AB__0001", "AB__0002"})
                ASSERT_TRUE(copy_file(data(std::string("DAT_0001") + ext), data(std::string(b) + ext)));
    }
    // Open the picture (row 0; any key ends it): the list is read again.
    keys("Right", 2); // Delete -> Select
    keys("Enter");
    keys("Right");
    keys("Enter");
    keys("Left", 3); // Open
    keys("Enter");
    ASSERT_TRUE(reach("picture shown: " + jpg));
    keys("Space");
    // The project (newest, row 0) hides its profiles; it opens as a folder.
    ASSERT_TRUE(reach("File Dialog: 3 entries"));
    keys("Enter");
    ASSERT_TRUE(reach("File Dialog: 3 entries in AB__.pvb"));
    ASSERT_TRUE(shot("project_folder"));
    // Delete AB__0001 (row 1), then the last one: the project file forgets them.
    keys("Right", 3);
    keys("Enter");
    keys("Left");
    keys("Enter");
    keys("Left", 2);
    keys("Enter");
    ASSERT_TRUE(reach("\"AB__0001.rd7\" (type 1)"));
    keys("Right");
    keys("Enter");
    ASSERT_TRUE(reach("File Dialog: 2 entries in AB__.pvb"));
    {
        CPVProject pv;
        snprintf(pv.name, sizeof pv.name, "AB__");
        ASSERT_EQ(0, pv.read_pvb());
        ASSERT_EQ(1u, pv.profiles.size());
        EXPECT_STREQ("AB__0002", pv.profiles[0]->name);
    }
    keys("Enter"); // Delete again: the current row is AB__0002
    ASSERT_TRUE(reach("\"AB__0002.rd7\" (type 1)"));
    keys("Right");
    keys("Enter");
    ASSERT_TRUE(reach("File Dialog: 1 entries in AB__.pvb"));
    {
        CPVProject pv;
        snprintf(pv.name, sizeof pv.name, "AB__");
        ASSERT_EQ(0, pv.read_pvb());
        EXPECT_TRUE(pv.profiles.empty());
    }
    EXPECT_TRUE(file_exists(data("AB__.pvb")));
    EXPECT_TRUE(file_exists(data("DAT_0001.rd7")));
    // Select on "/.." leaves the folder.
    keys("Right", 2);
    keys("Enter");
    keys("Enter");
    ASSERT_TRUE(reach("File Dialog: 3 entries"));

    // Quit: back to the main menu, the CU set up again.
    keys("Left", 5); // Select -> quit
    keys("Enter");
    ASSERT_TRUE(reach("File Dialog: quit"));
    EXPECT_EQ(0, p.finish());

    if (const char* doc = getenv("GPRMON_DOC_SHOTS")) {
        for (const char* pair : {"file_manager:files_manager", "viewer:files_viewer", "viewer_hyperbola:files_hyperbola",
                                 "project_folder:files_project"}) {
            const std::string s = pair;
            const std::string from = s.substr(0, s.find(':')), to = s.substr(s.find(':') + 1);
            EXPECT_EQ(0, system(("cp '" + p.shots + "/" + from + ".png' '" + doc + "/" + to + ".png'").c_str()));
        }
    }
}
