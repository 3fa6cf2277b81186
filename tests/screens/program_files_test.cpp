// The day's work reviewed and exported by the whole program: gprmon headless against the
// simulated CU, driven by its scripted keypad. Two profiles are recorded, viewed (tools,
// screenshot), uploaded to a simulated USB stick, deleted; a baseline-crossing project is
// opened as a folder and emptied; damaged and hostile-named files are met on the way.
#include "acq_fixture.h"
#include "live_fixture.h"
#include "program_driver.h"
#include "support/waits.h"

#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "files/screenshot.h"
#include "grid/matrix.h"
#include "gui/input.h"
#include "link/ethernet.h"
#include "projects/pv_project.h"
#include "screens/file_screens.h"
#include "acquisition/acquisition.h"
#include "config/parameters.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sstream>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ProgramFiles : public LiveTest {
protected:
    Program p;
    size_t at = 0;      // output seen so far
    size_t cu_read = 0; // cusim's log up to its last report of a path's end

    // Wheel trigger, SI units, a trace every centimetre; the cart runs 1 m per profile.
    // `faults`: more cusim options; `card`: the CU has its memory card.
    void start_program(const std::vector<std::string>& wrapper = {}, const std::vector<std::string>& faults = {},
                       bool card = false)
    {
        ASSERT_TRUE(store_settings(sb, 1, [] {
            forward_wheel();
            xml_pars.gps_on = 0;
        }));
        LiveOptions o;
        o.cusim_args = cart_args("+1.0005");
        o.cusim_args.insert(o.cusim_args.end(), faults.begin(), faults.end());
        o.card = card;
        ASSERT_TRUE(start_cusim(o));
        run_program("gprmon", wrapper);
    }
    void run_program(const std::string& run, const std::vector<std::string>& wrapper = {})
    {
        at = 0;
        ASSERT_TRUE(p.start(sb, run, wrapper)) << p.output();
        ASSERT_NE(std::string::npos, p.wait_out("main loop", 0, 90)) << p.output();
        ASSERT_TRUE(reach("Reading from CU:"));
    }
    // The blocks measurement m sent, from cusim's line at its stop (-1: no such line). Besides the
    // traces' blocks the CU sends additional-data blocks at its own pace, so the count varies.
    int blocks_sent(int m)
    {
        const std::string key = "measurement " + std::to_string(m) + " stopped: ";
        int traces = 0, blocks = -1;
        eventually([&] {
            const std::string log = read_file(cu_log);
            const size_t at = log.find(key);
            return at != std::string::npos &&
                   sscanf(log.c_str() + at + key.size(), "%d traces, %d blocks", &traces, &blocks) == 2;
        }, 60);
        return blocks;
    }

    // Keys spaced so that every screen takes each one: "Left*3 Enter" is Left three times,
    // then Enter.
    void keys(const std::string& seq)
    {
        std::istringstream in(seq);
        for (std::string k; in >> k;) {
            const size_t star = k.find('*');
            const int times = star == std::string::npos ? 1 : atoi(k.c_str() + star + 1);
            const std::string key = k.substr(0, star);
            for (int i = 0; i < times; i++)
                p.send({"wait 350", key.c_str()});
        }
    }

    // Waits until `needle` is printed after the last one reached. With `answer`, message
    // boxes that wait for a key meanwhile are answered.
    bool reach(const std::string& needle, bool answer = false)
    {
        size_t answered = 0;
        for (int i = 0; i < 1200; i++) {
            const std::string out = p.output();
            const size_t found = out.find(needle, at);
            if (found != std::string::npos) {
                at = found + needle.size();
                return true;
            }
            size_t boxes = 0;
            for (size_t q = out.find("(type 0)", at); answer && q != std::string::npos; q = out.find("(type 0)", q + 1))
                boxes++;
            for (; answered < boxes; answered++)
                p.send({"wait 300", "Space"});
            usleep(100000);
        }
        ADD_FAILURE() << "not printed: " << needle << "\n" << p.output().substr(at);
        return false;
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
        ASSERT_EQ(100, stored_at_path_end(&cu_read, [&] { return traces_of(base, samples); })) << read_file(cu_log);
        keys("Enter");
        ASSERT_TRUE(reach("\nopen\n"));
    }

    std::string rad_key(const std::string& base, const std::string& key) const
    {
        for (const std::string& l : file_lines(data(base + ".rad")))
            if (l.compare(0, key.size(), key) == 0)
                return l.substr(key.size());
        return "";
    }
    int samples_of(const std::string& base) const { return atoi(rad_key(base, "SAMPLES:").c_str()); }

    // Main menu (2D Project focused) to the file manager.
    void to_file_manager()
    {
        keys("Left*4 Enter");
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

// The profiles the project file `name` lists.
std::vector<std::string> pv_profiles(const char* name)
{
    CPVProject pv;
    snprintf(pv.name, sizeof pv.name, "%s", name);
    std::vector<std::string> v;
    if (pv.read_pvb() == 0)
        for (const auto& prof : pv.profiles)
            v.push_back(prof->name);
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
    keys("Right Enter"); // Back
    to_file_manager();

    // Newest first: DAT_0002 is opened in the viewer (the menu leaves the focus on Select).
    keys("Left*3 Enter");
    ASSERT_TRUE(reach("file viewer: DAT_0002, 100 traces"));
    ASSERT_TRUE(shot("viewer"));
    // The viewer starts on "fs". The trace cursor (past the contrast slider) to trace 50.
    keys("Left*2 Enter Down Right*2 Left Enter");
    ASSERT_TRUE(reach("trace cursor 51"));
    // Tools -> Hyperbola Fitting: the reflector cursor taken as it stands, velocity +3, kept.
    const int velocity = xml_pars.soil_velocity;
    keys("Right*5 Enter Left Enter Enter Right*3");
    ASSERT_TRUE(shot("viewer_hyperbola"));
    keys("Enter");
    ASSERT_TRUE(reach("soil velocity " + std::to_string(velocity + 3)));
    // Tools -> Migration, then again (the columns come back).
    for (int i = 0; i < 2; i++) {
        keys("Enter Left*2 Enter");
        ASSERT_TRUE(reach("viewer tool 2"));
    }
    // jpeg: a screenshot into the data directory.
    keys("Left Enter");
    std::string jpg;
    for (int i = 0; i < 300 && jpg.empty(); i++) {
        for (const std::string& n : names_in(sb.path("/dev/sda1")))
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".jpg") == 0)
                jpg = n;
        usleep(100000);
    }
    ASSERT_FALSE(jpg.empty()) << "screenshot";
    // Back to the file manager (the focus stays on Open).
    keys("Right*2 Enter");
    ASSERT_TRUE(reach("File Dialog: 3 entries"));
    ASSERT_TRUE(shot("file_manager"));

    // Select to DAT_0002 (row 1 under the picture), Mark it and DAT_0001 below it.
    // Open -> Select; Mark
    keys("Right*3 Enter Left Enter Left Enter Left Enter");
    // Upload without a stick: the marks stay, the focus returns to Upload.
    keys("Left*3 Enter");
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
    // Upload -> Select; Delete
    keys("Right*4 Enter Right Enter Left*2 Enter");
    ASSERT_TRUE(reach("message box \"Are you sure that you want to delete the file?\" / \"DAT_0002.rd7\" (type 1)"));
    keys("Right Enter");
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
    // Delete -> Select; Open
    keys("Right*2 Enter Right Enter Left*3 Enter");
    ASSERT_TRUE(reach("picture shown: " + jpg));
    keys("Space");
    // The project (newest, row 0) hides its profiles; it opens as a folder.
    ASSERT_TRUE(reach("File Dialog: 3 entries"));
    keys("Enter");
    ASSERT_TRUE(reach("File Dialog: 3 entries in AB__.pvb"));
    ASSERT_TRUE(shot("project_folder"));
    // Delete AB__0001 (row 1), then the last one: the project file forgets them.
    keys("Right*3 Enter Left Enter Left*2 Enter");
    ASSERT_TRUE(reach("\"AB__0001.rd7\" (type 1)"));
    keys("Right Enter");
    ASSERT_TRUE(reach("File Dialog: 2 entries in AB__.pvb"));
    EXPECT_EQ(std::vector<std::string>{"AB__0002"}, pv_profiles("AB__"));
    keys("Enter"); // Delete again: the current row is AB__0002
    ASSERT_TRUE(reach("\"AB__0002.rd7\" (type 1)"));
    keys("Right Enter");
    ASSERT_TRUE(reach("File Dialog: 1 entries in AB__.pvb"));
    EXPECT_TRUE(pv_profiles("AB__").empty());
    EXPECT_TRUE(file_exists(data("AB__.pvb")));
    EXPECT_TRUE(file_exists(data("DAT_0001.rd7")));
    // A grid project of 1 m x 0.5 m, made by the cube's own writer: the newest entry (row 0)
    // once the list is read again.
    {
        eep.Init();
        eep.load_parameters(44, 0);
        eep.pload_l_a();
        CMatrix& mx = rdr.mx;
        mx.project_type = 2;
        mx.x_size = 1.0f;
        mx.y_size = 0.5f;
        mx.resolution = 0.05f;
        mx.profile_spacing = 0.25f;
        ASSERT_EQ(0, mx.proper_size());
        mx.xDefineName();
        ASSERT_EQ(0, mx.xCreate());
        ASSERT_EQ(0, mx.hd.h_write());
        ASSERT_EQ(0, mx.d_write(0));
        ASSERT_EQ(0, mx.d_write(1));
        const time_t later = time(nullptr) + 60; // newer than the project file just rewritten
        struct timespec ts[2] = {{later, 0}, {later, 0}};
        ASSERT_EQ(0, utimensat(AT_FDCWD, data(std::string(mx.project_name) + ".rhd").c_str(), ts, 0));
        mx.mx_clear();
        mx.m_init();
    }
    // Select on "/.." leaves the folder (the project's row, 0, is current again).
    keys("Right*2 Enter Enter");
    ASSERT_TRUE(reach("File Dialog: 4 entries"));
    // Open: the grid project leads to its section view; its quit back to the file manager.
    keys("Left*3 Enter");
    ASSERT_TRUE(reach("grid: section view 0"));
    keys("Right*4 Enter");
    ASSERT_TRUE(reach("File Dialog: 4 entries"));

    keys("Left*2 Enter"); // Open -> quit: back to the main menu
    ASSERT_TRUE(reach("File Dialog: quit"));
    EXPECT_EQ(0, p.finish());

    if (const char* doc = getenv("GPRMON_DOC_SHOTS")) {
        for (const std::string s : {"file_manager", "viewer"}) {
            EXPECT_EQ(0, system(("cp '" + p.shots + "/" + s + ".png' '" + doc + "/files_" + (s == "viewer" ? s : "manager") + ".png'").c_str()));
        }
    }
}

// Blocks lost on the link and left on the CU's card (the measurement stopped without its
// restore, as Restart does): the file manager's Restore fetches them into their places. In
// this process, with the screens' own calls.
class FilesRestore : public LiveTest {};

TEST_F(FilesRestore, RestoreFetchesTheMissedTracesOfTheLastMeasurement)
{
    LiveOptions o;
    o.cusim_args = cart_args("+1.0005");
    o.cusim_args.insert(o.cusim_args.end(), {"--fault", "loss=0.05", "--seed", "11"});
    o.card = true;
    ASSERT_TRUE(start(o));
    ASSERT_EQ(1, prm.restore_missed) << "the card answered";
    new_profile();
    ASSERT_LT(MStart(), 1000);
    size_t cu_read = 0;
    ASSERT_LE(90, stored_at_path_end(&cu_read, [] { return size_t(std::max(0, int(rdr.rd.hd.last_trace))); }))
        << read_file(cu_log);
    EXPECT_EQ(0, MStop(0));
    ASSERT_TRUE(file_exists(data("missed_data.mbf")));
    eth.mt_RestoreFiles();
    ASSERT_TRUE(restore_offered());
    std::vector<std::string> boxes;
    static std::vector<std::string>* seen;
    seen = &boxes;
    mesmode_observer = [](const char* title, const char*, int) { seen->push_back(title); };
    {
        KeyPresser keys; // the closing message waits for a key
        restore_last_measurement();
    }
    mesmode_observer = nullptr;
    EXPECT_EQ((std::vector<std::string>{"Missed traces are being uploaded now.", "All missed blocks are restored!"}),
              boxes);
    EXPECT_FALSE(file_exists(data("missed_data.mbf"))) << "nothing is left to restore";
    EXPECT_FALSE(restore_offered());
    const auto all = truth();
    ASSERT_FALSE(all.empty());
    const auto t = of(all, all.back().measurement);
    ASSERT_EQ(100u, t.size());
    size_t damaged = 0;
    for (const TruthTrace& x : t)
        damaged += x.damaged();
    EXPECT_GT(damaged, 5u) << "the link lost blocks";
    expect_rd7_equals("DAT_0001", t);
}

// The whole program with card recording on (the CU's card answers): the link loses blocks of
// every measurement. The stop fetches the first profile's lost traces at once; its continued
// run is left with Restart (No), so its lost traces wait on the card over a restart of the
// program, and the file manager's Restore puts them after the first run's traces.
TEST_F(ProgramFiles, LostTracesOfAContinuedProfileComeBackFromTheCardAtTheStopAndAfterARestart)
{
    start_program({}, {"--fault", "loss=0.05", "--seed", "11"}, true);
    keys("Enter");
    ASSERT_TRUE(reach("sbars_init"));
    keys("Enter"); // New
    ASSERT_TRUE(reach("projname(new):DAT_0001"));
    ASSERT_TRUE(reach("mstart 5"));
    ASSERT_EQ(100, next_path_end(&cu_read)) << read_file(cu_log);
    keys("Enter"); // Stop
    ASSERT_TRUE(reach("Missed traces are being uploaded now."));
    ASSERT_TRUE(answer_box("All missed blocks are restored!"));
    ASSERT_TRUE(reach("\nopen\n"));
    eep.Init();
    eep.load_parameters(44, 0);
    eep.pload_l_a();
    eep.samples = uint16_t(samples_of("DAT_0001"));
    auto lost = [](const std::vector<TruthTrace>& t) {
        return std::count_if(t.begin(), t.end(), [](const TruthTrace& x) { return x.damaged(); });
    };
    const auto t1 = of(truth(), 1);
    ASSERT_EQ(100u, t1.size());
    EXPECT_GT(lost(t1), 0) << "the link lost blocks";
    expect_rd7_equals("DAT_0001", t1);

    keys("Left Enter"); // Cont
    ASSERT_TRUE(reach("projname(cont.):DAT_0001"));
    ASSERT_TRUE(reach("mstart 5"));
    ASSERT_EQ(100, next_path_end(&cu_read)) << read_file(cu_log);
    keys("Left Enter"); // Restart: the stop leaves the missed traces on the card
    ASSERT_TRUE(reach("message box \"Last profile will be replaced\""));
    keys("Enter"); // No: the profile stays
    ASSERT_TRUE(reach("\nopen\n"));
    const auto t2 = of(truth(), 2);
    ASSERT_EQ(100u, t2.size());
    EXPECT_GT(lost(t2), 0);
    EXPECT_EQ("TRACE BASE:100\r\nLAST BLOCK:" + std::to_string(blocks_sent(2)) + "\r\n",
              read_file(data("missed_data.run")));
    EXPECT_EQ(0, p.finish());

    run_program("gprmon2");
    to_file_manager();
    keys("Left*6 Enter"); // Restore
    ASSERT_TRUE(answer_box("All missed blocks are restored!"));
    ASSERT_TRUE(reach("File Dialog:"));
    std::vector<TruthTrace> both = t1;
    both.insert(both.end(), t2.begin(), t2.end());
    expect_rd7_equals("DAT_0001", both);
    EXPECT_EQ("200", rad_key("DAT_0001", "LAST TRACE:"));
    for (const char* f : {"missed_data.mbf", "missed_data.trf", "missed_data.run"})
        EXPECT_FALSE(file_exists(data(f))) << f << ": nothing is left to fetch";
    keys("Left*2 Enter"); // Open -> quit
    ASSERT_TRUE(reach("File Dialog: quit"));
    EXPECT_EQ(0, p.finish());
}

namespace {

void write_file(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f) << path;
    ASSERT_EQ(bytes.size(), fwrite(bytes.data(), 1, bytes.size(), f));
    fclose(f);
}

// A profile of `traces` traces made by the profile writer itself, renamed to `base`.
void make_profile(const Sandbox& sb, const std::string& base, int traces)
{
    ASSERT_EQ(0, rdr.dCreateFiles());
    std::vector<int32_t> s(eep.samples);
    for (int k = 0; k < traces; k++) {
        for (size_t i = 0; i < s.size(); i++)
            s[i] = int32_t((k + 1) * 65536 * int(i % 7 + 1)) - int32_t(i * 977);
        ASSERT_EQ(0, rdr.rd.append_trace(s.data(), int(s.size())));
    }
    ASSERT_EQ(0, rdr.rd.hd.h_write());
    const std::string made = rdr.cur_name;
    rdr.dClose(true);
    for (const char* ext : {".rd7", ".rad", ".add", ".srd", ".mrk", ".cor"}) {
        const int r = rename(sb.path("/dev/sda1/" + made + ext).c_str(), sb.path("/dev/sda1/" + base + ext).c_str());
        if (strcmp(ext, ".cor") != 0) {
            ASSERT_EQ(0, r) << ext;
        }
    }
}

// Every file of the data partition with its contents.
std::map<std::string, std::string> disk_contents(const Sandbox& sb)
{
    std::map<std::string, std::string> m;
    struct stat st;
    for (const std::string& n : names_in(sb.path("/dev/sda1")))
        if (stat(sb.path("/dev/sda1/" + n).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            m[n] = read_file(sb.path("/dev/sda1/" + n));
    return m;
}

} // namespace

// Damaged files are refused with a message and a disk check, and left as they are; names that
// a shell would read as commands are copied and deleted as names; a stick that fills up
// reports it and keeps no half profile; a folder of thousands of files is listed.
TEST_F(ProgramFiles, DamagedHostileAndTooManyFilesAndAFullStick)
{
    const std::string hostile = "it's a \"b\"; $(touch PWNED) `touch PWNED2` \xe9";
    const std::string picture = "shot 'x'; touch PWNED3.jpg";
    auto dev = [&](const std::string& f) { return sb.path("/dev/sda1/" + f); };
    {
        ASSERT_TRUE(link_partition(sb, "/mnt/hda1", "/dev/sda1", true));
        eep.Init();
        eep.load_parameters(44, 0);
        eep.pload_l_a();
        eep.gps_enabled = 0;
        for (const char* b : {"BAD_0001", "GARB_0001", "CUT_0001", "ZERO_0001", "NOHDR_0001"})
            make_profile(sb, b, 20);
        make_profile(sb, hostile, 20);
        make_profile(sb, "BIG_0001", 400);
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
        ASSERT_NE(nullptr, s);
        SDL_FillRect(s, nullptr, 0x07E0);
        ASSERT_EQ(0, SaveScreenToJPEG(s, nullptr, 90, ("/mnt/hda1/" + picture).c_str()));
        SDL_FreeSurface(s);
        ASSERT_TRUE(link_partition(sb, "/mnt/hda1", "/dev/sda1", false));
    }
    std::string rad;
    for (const std::string& l : file_lines(dev("BAD_0001.rad")))
        rad += (l.compare(0, 8, "SAMPLES:") == 0 ? std::string("SAMPLES:5000") : l) + "\r\n";
    write_file(dev("BAD_0001.rad"), rad);
    write_file(dev("GARB_0001.rad"), "\x01\x02garbage: \xff\xfe\r\nSAMPLES:-\r\n");
    ASSERT_EQ(0, truncate(dev("CUT_0001.rd7").c_str(), off_t(20) * 4 * eep.samples - 3));
    ASSERT_EQ(0, truncate(dev("ZERO_0001.rd7").c_str(), 0));
    ASSERT_EQ(0, unlink(dev("NOHDR_0001.rad").c_str()));
    constexpr int kMany = 2500;
    for (int i = 0; i < kMany; i++) {
        char n[32];
        snprintf(n, sizeof n, "n%04d.kbn", i);
        write_file(dev(n), "x");
    }
    // Newest first: the damaged ones, the hostile profile, the picture, BIG, the rest.
    const std::vector<std::string> order = {"BAD_0001.rd7",  "GARB_0001.rd7", "CUT_0001.rd7", "ZERO_0001.rd7",
                                            "NOHDR_0001.rd7", hostile + ".rd7", picture,       "BIG_0001.rd7"};
    for (size_t i = 0; i < order.size(); i++) {
        const time_t t = 1900000000 - time_t(i) * 100;
        struct timespec ts[2] = {{t, 0}, {t, 0}};
        ASSERT_EQ(0, utimensat(AT_FDCWD, dev(order[i]).c_str(), ts, 0)) << order[i];
    }
    const auto before = disk_contents(sb);

    // The stick: a 1 MB file system, room for the small profile but not for BIG_0001.
    if (!small_partitions_possible())
        GTEST_SKIP() << "no user namespaces here: sim/small-partition.sh cannot make the 1 MB stick";
    start_program({GPRMON_SOURCE_DIR "/sim/small-partition.sh", "--device", "sdb1", "1m", sb.root()});
    keys("Enter");
    ASSERT_TRUE(reach("sbars_init"));
    keys("Right Enter");
    to_file_manager();
    ASSERT_TRUE(reach(std::to_string(order.size() + kMany) + " entries"));

    // The damaged profiles, rows 0 to 4: each refused with its message; all but the one
    // with too many samples ask for the disk check.
    const char* const titles[] = {"Too many samples in this file.", nullptr, "Zero file length or corrupted file.",
                                  "Zero file length or corrupted file.", "Zero file length or corrupted file."};
    for (int i = 0; i < 5; i++) {
        SCOPED_TRACE(order[size_t(i)]);
        if (i > 0) {
            // Open -> Select, one row on
            keys("Right*3 Enter Left Enter");
        }
        keys("Left*3 Enter");
        ASSERT_TRUE(reach("open " + order[size_t(i)] + ": "));
        if (titles[i]) {
            ASSERT_TRUE(reach(std::string("message box \"") + titles[i] + "\""));
        }
        ASSERT_TRUE(reach("(type 0)"));
        keys("Space");
        ASSERT_TRUE(reach("File Dialog:"));
    }
    EXPECT_NE(std::string::npos, sb.commands_log().find("e2fsck -p -f '" + sb.path("/dev/sda1") + "'"));
    EXPECT_NE(std::string::npos, p.output().find("message box \"Data Disk Errors\""));

    // Rows 5 and 6 marked and uploaded; the picture (now the current row) shown.
    // Mark; Upload
    keys("Right*3 Enter Left Enter Left Enter Left Enter Left*3 Enter");
    ASSERT_TRUE(reach("There are    2 selected files"));
    keys("Enter");
    ASSERT_TRUE(answer_box("Upload was successful"));
    ASSERT_TRUE(reach("File Dialog:"));
    // Open
    keys("Right Enter");
    ASSERT_TRUE(reach("picture shown: " + picture));
    keys("Space");
    ASSERT_TRUE(reach("File Dialog:"));

    // BIG_0001 (row 7) does not fit: the stick keeps nothing of it.
    // Upload
    keys("Right*3 Enter Left Enter Left*4 Enter");
    ASSERT_TRUE(reach("\"BIG_0001.rd7\" (type 2)"));
    keys("Enter");
    ASSERT_TRUE(answer_box("Copy Error: Disk is full or corrupted!"));
    ASSERT_TRUE(reach("File Dialog:"));
    {
        // The monitor's files are untouched.
        const auto now = disk_contents(sb);
        for (const auto& [name, bytes] : before)
            EXPECT_TRUE(now.count(name) && now.at(name) == bytes) << name;
        for (const auto& [name, bytes] : now)
            EXPECT_TRUE(before.count(name)) << "new: " << name;
    }

    // Both hostile entries (rows 5 and 6) deleted together; "No" has the focus.
    // Select; Mark; Delete
    keys("Right*4 Enter Right*2 Enter Left Enter Left Enter Left Enter");
    ASSERT_TRUE(reach("\"There are    2 selected files\" / \"Are you sure that you want to delete selected files?\""));
    keys("Right Enter");
    ASSERT_TRUE(reach("deleted 2 of 2"));
    ASSERT_TRUE(reach(std::to_string(order.size() - 2 + kMany) + " entries"));
    // quit
    keys("Left*3 Enter");
    ASSERT_TRUE(reach("File Dialog: quit"));
    EXPECT_EQ(0, p.finish());

    auto after = disk_contents(sb);
    for (const char* ext : {".rd7", ".rad", ".add", ".srd", ".mrk"})
        EXPECT_EQ(0u, after.count(hostile + ext)) << ext;
    EXPECT_EQ(0u, after.count(picture));
    for (const auto& [name, bytes] : before)
        if (name.compare(0, hostile.size(), hostile) != 0 && name != picture) {
            EXPECT_EQ(bytes, after[name]) << name;
        }
    // On the stick: the hostile set and the picture, byte for byte; nothing of BIG_0001.
    const std::string on_stick = sb.path("/dev/sdb1/SORLAN/");
    for (const char* ext : {".rd7", ".rad", ".srd", ".mrk"})
        EXPECT_EQ(before.at(hostile + ext), read_file(on_stick + hostile + ext)) << ext;
    EXPECT_EQ(before.at(picture), read_file(on_stick + picture));
    for (const std::string& n : names_in(on_stick))
        EXPECT_NE(0, n.compare(0, 8, "BIG_0001")) << n;
    // No name ran as a command anywhere.
    for (const char* f : {"PWNED", "PWNED2", "PWNED3"}) {
        EXPECT_FALSE(file_exists(f));
        EXPECT_FALSE(file_exists(sb.path("/work/") + f));
        EXPECT_FALSE(file_exists(dev(f)));
    }
}
