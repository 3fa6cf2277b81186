// A whole grid project in the real program against the simulated CU's site: gprmon as a child
// process, headless, driven by its scripted keypad. A 2 m x 2 m grid (5 cm points, lines 50 cm
// apart) is set up on screen 23, every line of both directions walked on screens 30/28 (the
// cart's control file names each line before it starts), then "Stop & process", the section
// view and the plan view. Checked: the project files and that the processed slice is brighter
// along the pipe of the site than away from it.
#include "live_fixture.h"
#include "program_driver.h"

#include "acq_fixture.h"

#include "config/xml_pars.h"
#include "support/waits.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The site: one deep weak layer and a pipe crossing the grid obliquely at 0.4 m (its plan
// line from (-0.5, 0.2) to (2.5, 1.8)).
const char* const kScene = "seed 11\nvelocity 0.10\nnoise 0.0005\nlength 40\nwidth 2\nclutter 0 0\n"
                           "layer 3.0 0.05 0 0 31 0\npipe -0.5 0.2 2.5 1.8 0.4 0.9 0.05\n";
constexpr double kPipeX1 = -0.5, kPipeY1 = 0.2, kPipeX2 = 2.5, kPipeY2 = 1.8;

double pipe_distance(double x, double y)
{
    const double dx = kPipeX2 - kPipeX1, dy = kPipeY2 - kPipeY1;
    return std::fabs(dy * (x - kPipeX1) - dx * (y - kPipeY1)) / std::hypot(dx, dy);
}

std::string key_value(const std::string& path, const std::string& key)
{
    for (const std::string& l : file_lines(path))
        if (l.compare(0, key.size(), key) == 0)
            return l.substr(key.size());
    return "";
}

off_t file_size(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

// Writes the file whole, then renames it into place (cusim reads it at the start).
bool put_file(const std::string& path, const std::string& text)
{
    const std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary);
        f << text;
        if (!f)
            return false;
    }
    return rename(tmp.c_str(), path.c_str()) == 0;
}

struct Rd6Record {
    int32_t code;
    std::vector<float> v;
};

// The records of a .rd6 (int16 or float32 samples); nx from its head.
std::vector<Rd6Record> read_rd6(const std::string& path, int samples, bool floats, int32_t* nx)
{
    std::vector<Rd6Record> out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return out;
    if (fread(nx, 4, 1, f) != 1) {
        fclose(f);
        return out;
    }
    for (;;) {
        Rd6Record r;
        if (fread(&r.code, 4, 1, f) != 1)
            break;
        r.v.resize(size_t(samples));
        bool ok = true;
        for (int s = 0; s < samples && ok; s++) {
            if (floats) {
                ok = fread(&r.v[size_t(s)], 4, 1, f) == 1;
            } else {
                int16_t x;
                ok = fread(&x, 2, 1, f) == 1;
                r.v[size_t(s)] = x;
            }
        }
        if (!ok)
            break;
        out.push_back(std::move(r));
    }
    fclose(f);
    return out;
}

} // namespace

class GridProgram : public LiveTest {
protected:
    std::string scene, cart;

    // The settings the program starts with (SI, 1000 pulses per metre, a trace every 1 cm, the
    // screen always lit, and the given proposals of the last grid), then cusim on the site
    // with the cart's control file, walking `path` by default; `extra` are more arguments.
    bool start_site(float x, float y, float interval, float spacing, const char* path,
                    const std::vector<std::string>& extra = {})
    {
        const bool stored = store_settings(sb, 1, [&] {
            xml_pars.powersave = 0; // a key after a long wait would only light the screen again
            xml_pars.grid_x_size = x;
            xml_pars.grid_y_size = y;
            xml_pars.grid_point_interval = interval;
            xml_pars.grid_line_spacing = spacing;
        });
        if (!stored)
            return false;
        scene = sb.path("/sim/grid.scene");
        cart = sb.path("/sim/cart.txt");
        if (!put_file(scene, kScene))
            return false;
        LiveOptions o;
        o.cusim_args = cart_args(path, "1.0");
        o.cusim_args.insert(o.cusim_args.end(), {"--scene", scene, "--cart", cart, "--send-patience", "10000"});
        o.cusim_args.insert(o.cusim_args.end(), extra.begin(), extra.end());
        return start_cusim(o);
    }

    // The cart's next run: line k of direction d (lines 0.5 m apart; direction 0 along +y at
    // x = 0.5 k, direction 1 along +x), `length` metres.
    bool name_line(int d, int k, double length)
    {
        char text[120];
        snprintf(text, sizeof text, "start %.2f %.2f\nheading %d\npath +%.2f\n", d == 0 ? 0.5 * k : 0.0,
                 d == 0 ? 0.0 : 0.5 * k, d == 0 ? 0 : 90, length);
        return put_file(cart, text);
    }
};

TEST_F(GridProgram, A2mGridIsSetUpWalkedLineByLineProcessedAndShown)
{
    // The proposals of the last grid: X 2.1 m (the keypad takes it to 2 m).
    ASSERT_TRUE(start_site(2.1f, 2.0f, 0.05f, 0.5f, "+2.1"));
    Program p;
    ASSERT_TRUE(p.start(sb)) << p.output();
    ASSERT_NE(std::string::npos, p.wait_out("main loop", 0, 90)) << p.output();

    // Main menu: 2D Project -> 3D Grid Project. Screen 23 has "Start the Project" in focus.
    p.send({"wait 1000", "Left", "wait 300", "Enter"});
    ASSERT_NE(std::string::npos, p.wait_out("grid: new project GR_001", 0, 60)) << p.output();
    // Back to "X-size" (8 fields up), ten steps of 1 cm down, and on to Start again.
    std::vector<std::string> keys = {"wait 800"};
    for (int i = 0; i < 8; i++)
        keys.insert(keys.end(), {"Right", "wait 150"});
    keys.insert(keys.end(), {"Enter", "wait 300"});
    for (int i = 0; i < 10; i++)
        keys.insert(keys.end(), {"Left", "wait 100"});
    keys.insert(keys.end(), {"Enter", "wait 300", "shot grid_23"});
    for (int i = 0; i < 8; i++)
        keys.insert(keys.end(), {"Left", "wait 150"});
    keys.insert(keys.end(), {"Enter"});
    for (const std::string& k : keys)
        p.send({k.c_str()});
    ASSERT_TRUE(p.wait_shot("grid_23", 30));
    size_t at = p.wait_out("grid: 41x41 points, line step 10", 0, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    // Screen 26: "Start" has the focus; screen 30 follows with its first line.
    p.send({"wait 1000", "Enter"});
    at = p.wait_out("grid line 0 0", at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();

    // Every line: direction 0 at x = 0, 0.5 .. 2 m along +y, then direction 1 along +x.
    for (int i = 0; i < 10; i++) {
        SCOPED_TRACE(i);
        const int d = i / 5, k = i % 5;
        ASSERT_TRUE(name_line(d, k, 2.1));
        p.send({"wait 800", "Enter"}); // Start line
        if (i == 2) {
            ASSERT_NE(std::string::npos, p.wait_out("mstart 5", at, 60)) << p.output();
            p.send({"wait 800", "shot grid_28"});
        }
        at = p.wait_out("MStop(): Return", at, 120);
        ASSERT_NE(std::string::npos, at) << p.output();
        char next[40];
        snprintf(next, sizeof next, "grid line %d %d", d, k);
        at = p.wait_out(next, at, 60);
        ASSERT_NE(std::string::npos, at) << p.output();
        if (i < 9) {
            p.send({"wait 600", "Enter"}); // Next line
            snprintf(next, sizeof next, "grid line %d %d", (i + 1) / 5, (i + 1) % 5);
            at = p.wait_out(next, at, 60);
            ASSERT_NE(std::string::npos, at) << p.output();
        }
    }
    ASSERT_NE(std::string::npos, p.wait_out("grid: all lines measured", 0, 60)) << p.output();
    p.send({"wait 800", "shot grid_30"});
    ASSERT_TRUE(p.wait_shot("grid_30", 30));
    // "Next line" has the focus; "Previous line" is hidden now: Left goes to "Stop & process".
    p.send({"wait 300", "Left", "wait 300", "Enter"});
    at = p.wait_out("grid: section view 0", at, 300);
    ASSERT_NE(std::string::npos, at) << p.output();
    // The X section moved to x = 1 m (20 points up), where it crosses the pipe; then the plan
    // view.
    p.send({"wait 1500", "Enter", "wait 300", "Up", "wait 300", "Up", "wait 300", "Enter", "wait 2500",
            "shot grid_31", "Left", "wait 200", "Left", "wait 200", "Left", "wait 200", "Enter"});
    ASSERT_TRUE(p.wait_shot("grid_31", 60));
    ASSERT_NE(std::string::npos, p.wait_out("grid: top view", at, 60)) << p.output();
    // The slice 89 samples down (the pipe's top) at the default contrast.
    p.send({"wait 1000", "Left", "wait 200", "Left", "wait 200", "Enter", "wait 300"});
    for (int i = 0; i < 4; i++)
        p.send({"Down", "wait 400"});
    for (int i = 0; i < 9; i++)
        p.send({"Left", "wait 200"});
    p.send({"Enter", "wait 1500", "shot grid_32"});
    ASSERT_TRUE(p.wait_shot("grid_32", 60));
    EXPECT_EQ(0, p.finish()) << "the orderly power-off";
    // GRID_DOC_SHOTS=FOLDER keeps the pictures (docs/grid_*.png are made this way).
    if (const char* keep = getenv("GRID_DOC_SHOTS")) {
        for (const char* shot : {"grid_23", "grid_28", "grid_30", "grid_31", "grid_32"})
            EXPECT_EQ(0, system(("cp '" + p.shots + "/" + shot + ".png' '" + keep + "/'").c_str())) << shot;
    }

    // The project files (the data partition is unmounted now: its device folder).
    auto disk = [&](const std::string& f) { return sb.path("/dev/sda1/" + f); };
    const std::string rhd = disk("GR_001.rhd");
    EXPECT_EQ("GR_001", key_value(rhd, "PROJECT NAME:"));
    EXPECT_EQ("2.00000", key_value(rhd, "X-SIZE(M):"));
    EXPECT_EQ("2.00000", key_value(rhd, "Y-SIZE(M):"));
    EXPECT_EQ("0.0500000", key_value(rhd, "RESOLUTION(M):"));
    EXPECT_EQ("0.50000", key_value(rhd, "PROFILE SPACING(M):"));
    EXPECT_EQ("41", key_value(rhd, "X-SIZE:"));
    EXPECT_EQ("41", key_value(rhd, "Y-SIZE:"));
    EXPECT_EQ("10", key_value(rhd, "PROFILE SPACING:"));
    const int N = atoi(key_value(disk("GR_001.rad"), "SAMPLES:").c_str());
    const int tz = atoi(key_value(disk("GR_001.rad"), "ZERO LEVEL:").c_str());
    ASSERT_GT(N, 100);
    const off_t records = 5 * 41;
    EXPECT_EQ(4 + records * (4 + 2 * N), file_size(disk("GR_001_1.rd6")));
    EXPECT_EQ(4 + records * (4 + 2 * N), file_size(disk("GR_001_2.rd6")));
    EXPECT_EQ(4 + records * (4 + 4 * N), file_size(disk("GR_001_3.rd6")));
    EXPECT_EQ(4 + records * (4 + 4 * N), file_size(disk("GR_001_4.rd6")));

    // Codes in the file order: direction 0 t + 10 k 41, direction 1 t 41 + 10 k; every raw
    // trace recorded (a line ends at 97 % or more, the rest filled in between).
    double near = 0, far = 0;
    int n_near = 0, n_far = 0;
    for (int file = 0; file < 4; file++) {
        SCOPED_TRACE(file);
        int32_t nx = 0;
        const auto recs = read_rd6(disk("GR_001_" + std::to_string(file + 1) + ".rd6"), N, file >= 2, &nx);
        EXPECT_EQ(41, nx);
        ASSERT_EQ(size_t(records), recs.size());
        int empty = 0;
        for (size_t r = 0; r < recs.size(); r++) {
            const int k = int(r) / 41, t = int(r) % 41;
            const int dir = file % 2;
            EXPECT_EQ(dir == 0 ? t + 10 * k * 41 : t * 41 + 10 * k, recs[r].code);
            const auto& v = recs[r].v;
            if (file < 2) {
                empty += std::all_of(v.begin(), v.end(), [](float x) { return x == 0; });
                continue;
            }
            // The processed slice around the pipe: the largest amplitude below the direct wave.
            const double x = 0.05 * (recs[r].code / 41), y = 0.05 * (recs[r].code % 41);
            float peak = 0;
            for (int s = std::max(tz, 0) + 25; s < N - 10; s++)
                peak = std::max(peak, std::fabs(v[size_t(s)]));
            const double dist = pipe_distance(x, y);
            if (dist < 0.1) {
                near += peak;
                n_near++;
            } else if (dist > 0.5) {
                far += peak;
                n_far++;
            }
        }
        EXPECT_EQ(0, empty) << "unrecorded traces";
    }
    ASSERT_GT(n_near, 10);
    ASSERT_GT(n_far, 10);
    const double ratio = (near / n_near) / std::max(far / n_far, 1e-9);
    printf("pipe contrast: near %.1f far %.1f ratio %.2f\n", near / n_near, far / n_far, ratio);
    EXPECT_GT(ratio, 4.0) << "the slice is brighter along the pipe (measured 6.9 to 8.3)";
}

namespace {

// Runs `command` in the mount namespace of the program started through
// sim/small-partition.sh, where its small data partition is mounted: its output.
std::string in_partition(pid_t pid, const std::string& command)
{
    const std::string line = "nsenter -U -m -t " + std::to_string(pid) + " sh -c '" + command + "' 2>&1";
    std::string out;
    if (FILE* f = popen(line.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        pclose(f);
    }
    return out;
}

} // namespace

// A 0.5 m x 0.5 m grid (two lines each way) on a data partition of 8 MB: the CU goes quiet
// in the middle of the first line and comes back; the disk fills up before the raw cubes
// are written ("Yes": the data folder is emptied and the project saved), a new project finds
// too little room, and one more project meets a full disk ("No": it is deleted).
TEST_F(GridProgram, ALostCuAndAFullDiskLeaveWholeProjectsOrNone)
{
    const std::string small = std::string(GPRMON_SOURCE_DIR) + "/sim/small-partition.sh";
    if (!small_partitions_possible() || system("command -v nsenter >/dev/null") != 0)
        GTEST_SKIP() << "no user namespaces or no nsenter here: " << small << " cannot make a small partition";
    // The link goes quiet for 60 s after the 15th trace of the first line walked.
    ASSERT_TRUE(start_site(0.5f, 0.5f, 0.05f, 0.5f, "+0.6", {"--fault", "silence=60@trace:15"}));
    Program p;
    ASSERT_TRUE(p.start(sb, "gprmon", {small, "8m", sb.root()})) << p.output();
    ASSERT_NE(std::string::npos, p.wait_out("main loop", 0, 90)) << p.output();
    char real[PATH_MAX];
    ASSERT_TRUE(realpath(sb.root().c_str(), real));
    const std::string part = std::string(real) + "/dev/sda1";
    auto files = [&] { return in_partition(p.pid, "ls " + part + " | grep -e GR_ -e filler"); };
    auto fill_disk = [&] { in_partition(p.pid, "dd if=/dev/zero of=" + part + "/filler bs=4k"); };
    auto box = [](const char* title, const char* text) {
        return std::string("message box \"") + title + "\" / \"" + text + "\"";
    };
    // Lines from..to of the grid: direction 0 at x = 0, 0.5 along +y, then direction 1 along
    // +x; `before_last` runs before the last line starts.
    size_t at = 0;
    auto walk = [&](int from, const std::function<void()>& before_last) {
        for (int i = from; i < 4; i++) {
            SCOPED_TRACE(i);
            const int d = i / 2, k = i % 2;
            ASSERT_TRUE(name_line(d, k, 0.6));
            char line[40];
            if (i == 3 && before_last)
                before_last();
            p.send({"wait 300", "Enter"}); // Start line
            at = p.wait_out("MStop(): Return", at, 120);
            ASSERT_NE(std::string::npos, at) << p.output();
            if (i < 3) {
                snprintf(line, sizeof line, "grid line %d %d", d, k);
                at = p.wait_out(line, at, 60);
                ASSERT_NE(std::string::npos, at) << p.output();
                p.send({"wait 300", "Enter"}); // Next line
                snprintf(line, sizeof line, "grid line %d %d", (i + 1) / 2, (i + 1) % 2);
                at = p.wait_out(line, at, 60);
                ASSERT_NE(std::string::npos, at) << p.output();
            }
        }
    };
    auto new_project = [&](const char* name) {
        p.send({"wait 500", "Enter"}); // 3D Grid Project, then "Start the Project"
        at = p.wait_out(std::string("grid: new project ") + name, at, 60);
        ASSERT_NE(std::string::npos, at) << p.output();
        p.send({"wait 500", "Enter"});
    };

    // The first project: the CU goes quiet in its first line.
    p.send({"wait 1000", "Left", "wait 300"});
    new_project("GR_001");
    at = p.wait_out("grid: 11x11 points, line step 10", at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    p.send({"wait 500", "Enter"}); // screen 26: Start
    at = p.wait_out("grid line 0 0", at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    ASSERT_TRUE(name_line(0, 0, 0.6));
    p.send({"wait 300", "Enter"});
    at = p.wait_out(box("Measurement Error", "(code 01 - No data coming)"), at, 120);
    ASSERT_NE(std::string::npos, at) << p.output();
    p.send({"Space"});
    at = p.wait_out("grid line 0 0", at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    // Still quiet: any button asks whether to leave the project, and No keeps it. Before the
    // screen's CU poll found the CU gone, "Start line" finds it and cannot start.
    const std::string gone = box("Control Unit is disconnected.", "Do you want to exit this project?");
    const std::string no_start = box("It is impossible to start measurements", "Control Unit is not connected!");
    p.send({"wait 300", "Right", "wait 300", "Enter"});
    ASSERT_TRUE(eventually([&] {
        const std::string out = p.output();
        return out.find(gone, at) != std::string::npos || out.find(no_start, at) != std::string::npos;
    }, 60)) << p.output();
    if (p.output().find(gone, at) == std::string::npos) {
        at = p.wait_out(no_start, at, 1);
        p.send({"Space"});
        at = p.wait_out("grid line 0 0", at, 60);
        ASSERT_NE(std::string::npos, at) << p.output();
        p.send({"wait 300", "Right", "wait 300", "Enter"});
    }
    at = p.wait_out(gone, at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    p.send({"Enter"});
    EXPECT_EQ("GR_001.add\nGR_001.rad\nGR_001.rhd\n", files()) << "the project stays on the disk as created";
    // The CU back: the same line is walked again from its start, and the rest of the grid.
    ASSERT_TRUE(eventually([&] { return read_file(cu_log).find("link back after its silence") != std::string::npos; },
                           90));
    walk(0, fill_disk); // "Start line" has the focus
    // The disk filled up before the last line: Yes empties the data folder and saves.
    at = p.wait_out(box("Write Error (disk is full)", "Do you want to clean the disk and save the project?"), at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    p.send({"wait 300", "Right", "wait 300", "Enter"});
    at = p.wait_out("grid: all lines measured", at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    EXPECT_EQ("GR_001.add\nGR_001.rad\nGR_001.rhd\nGR_001_1.rd6\nGR_001_2.rd6\n", files());
    // Exit (complete: the files stay), back in the main menu.
    p.send({"wait 300", "Left", "wait 200", "Left", "wait 200", "Left", "wait 200", "Enter"});

    // A full disk: the new project is refused before anything is written.
    fill_disk();
    new_project("GR_002");
    at = p.wait_out(box("There is not enough free space on the disk", "Delete some files"), at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    EXPECT_EQ("GR_001.add\nGR_001.rad\nGR_001.rhd\nGR_001_1.rd6\nGR_001_2.rd6\nfiller\n", files());
    p.send({"Space"});

    // Room again; the disk fills up before the last line once more, and No gives it up.
    in_partition(p.pid, "rm " + part + "/filler");
    p.send({"wait 500", "Enter"});
    at = p.wait_out("grid: 11x11 points, line step 10", at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    p.send({"wait 500", "Enter"});
    at = p.wait_out("grid line 0 0", at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    walk(0, fill_disk);
    at = p.wait_out(box("Write Error (disk is full)", "Do you want to clean the disk and save the project?"), at, 60);
    ASSERT_NE(std::string::npos, at) << p.output();
    p.send({"wait 300", "Enter"});
    EXPECT_TRUE(eventually([&] {
        return files() == "GR_001.add\nGR_001.rad\nGR_001.rhd\nGR_001_1.rd6\nGR_001_2.rd6\nfiller\n";
    }, 30)) << files();
    EXPECT_EQ(0, p.finish()) << p.output();

    // The saved project: its header and its cubes agree, every trace recorded.
    auto disk = [&](const std::string& f) { return sb.path("/dev/sda1/" + f); };
    EXPECT_EQ("11", key_value(disk("GR_001.rhd"), "X-SIZE:"));
    EXPECT_EQ("10", key_value(disk("GR_001.rhd"), "PROFILE SPACING:"));
    const int N = atoi(key_value(disk("GR_001.rad"), "SAMPLES:").c_str());
    ASSERT_GT(N, 100);
    for (int file = 1; file <= 2; file++) {
        SCOPED_TRACE(file);
        int32_t nx = 0;
        const auto recs = read_rd6(disk("GR_001_" + std::to_string(file) + ".rd6"), N, false, &nx);
        EXPECT_EQ(11, nx);
        EXPECT_EQ(4 + 22 * (4 + 2 * N), file_size(disk("GR_001_" + std::to_string(file) + ".rd6")));
        ASSERT_EQ(22u, recs.size());
        for (const Rd6Record& r : recs)
            EXPECT_FALSE(std::all_of(r.v.begin(), r.v.end(), [](float x) { return x == 0; })) << r.code;
    }
}
