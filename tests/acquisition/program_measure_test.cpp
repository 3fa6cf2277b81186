// The whole program measuring a profile: gprmon as a child process, headless, against the
// simulated CU on the unix link, driven by its scripted keypad. The key script is a named
// pipe the test writes into as the run goes on (after the program printed what it reached),
// so the keys keep pace with a loaded machine. Checked: the profile files against the CU's
// ground truth and the screenshots of the measurement screen against the stored traces.
#include "live_fixture.h"
#include "program_driver.h"
#include "support/png_shot.h"
#include "support/waits.h"

#include "acq_fixture.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/acq_filter.h"
#include "screens/system_math.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Geometry of screen 3 (gui/rows_measurement.cpp): the radargram image's top left corner.
constexpr int kImageX = 34, kImageY = 46, kImageH = 680;

std::string rad_value(const std::string& path, const std::string& key)
{
    for (const std::string& l : file_lines(path))
        if (l.compare(0, key.size(), key) == 0)
            return l.substr(key.size());
    return "";
}

// Whether image column k of the screenshot holds data (beyond the newest trace it is black).
bool column_drawn(const Png& shot, int k)
{
    for (int y = kImageY + 3; y < kImageY + kImageH - 3; y++)
        if (shot.lum(kImageX + k, y) > 0)
            return true;
    return false;
}

// Whether image column k is one grey from top to bottom (a trace the screen did not get).
bool column_flat(const Png& shot, int k)
{
    const int first = shot.lum(kImageX + k, kImageY + 3);
    for (int y = kImageY + 3; y < kImageY + kImageH - 3; y++)
        if (shot.lum(kImageX + k, y) != first)
            return false;
    return true;
}

// Share of the strong samples of the stored traces whose pixel on the screen has the
// sample's sign (bright above the middle grey, dark below), over the columns 0..n-1 and the
// upper half of the image, for c samples per image row. Column k shows trace k + 1: a trace
// lost on the link has its (middle grey) column too, and is skipped here as it is all zero
// in the file. A stored trace whose column is flat never reached the screen (fetched again
// after the stop): it is counted in *blank.
double sign_agreement(const Png& shot, const std::vector<std::vector<int32_t>>& traces, int n, double c, int* blank)
{
    int agree = 0, total = 0;
    for (int k = 0; k < n; k += 3) {
        const std::vector<int32_t>& t = traces[size_t(k)];
        const int rows = std::min(kImageH / 2, int(t.size() / c) - 1);
        int32_t peak = 0;
        for (int r = 0; r < rows; r++)
            peak = std::max(peak, std::abs(t[size_t(std::lround(c * r))]));
        if (peak == 0 || column_flat(shot, k)) {
            *blank += peak != 0; // stored, but never reached the screen
            continue;
        }
        for (int r = 0; r < rows; r++) {
            const int32_t v = t[size_t(std::lround(c * r))];
            if (std::abs(v) < peak / 3)
                continue;
            const int l = shot.lum(kImageX + k, kImageY + r);
            total++;
            if ((v > 0 && l > 140) || (v < 0 && l < 116))
                agree++;
        }
    }
    return total ? double(agree) / total : 0.0;
}

} // namespace

class ProgramMeasure : public LiveTest, public ::testing::WithParamInterface<int> {};

TEST_P(ProgramMeasure, MenuTo2DProjectNewProfileMarkersAndStop)
{
    const int units = GetParam(); // 1 SI, 0 imperial
    ASSERT_TRUE(store_settings(sb, units));

    // The cart runs 4 m and stands; the CU's GPS blocks keep coming meanwhile (without any
    // data for 3 s a wheel measurement ends with the no-data error).
    LiveOptions o;
    o.cusim_args = cart_args("+4.0005");
    ASSERT_TRUE(start_cusim(o));
    Program p;
    ASSERT_TRUE(p.start(sb)) << p.output();
    ASSERT_NE(std::string::npos, p.wait_out("main loop", 0, 90)) << p.output();

    // Main menu: "2D Project" has the focus. Screen 2 waits until the CU is set up, then
    // resets its radargram; "New" has the focus. Each key goes to a screen waiting for one.
    p.send({"Enter"});
    const size_t cu = p.wait_out("Reading from CU:", 0, 60);
    ASSERT_NE(std::string::npos, cu) << p.output();
    ASSERT_NE(std::string::npos, p.wait_out("sbars_init", cu, 30)) << p.output();
    const size_t from = p.output().size();
    p.send({"Enter"});
    ASSERT_NE(std::string::npos, p.wait_out("mstart 5", from, 60)) << p.output();
    // The cart is at its end once cusim sent the path's last trace and the monitor stored it.
    const int samples0 = atoi(rad_value(data("DAT_0001.rad"), "SAMPLES:").c_str());
    ASSERT_GT(samples0, 100);
    auto stored_count = [&] {
        struct stat st;
        return stat(data("DAT_0001.rd7").c_str(), &st) == 0 ? size_t(st.st_size) / (4 * size_t(samples0)) : 0;
    };
    // (Traces the loaded machine drops on the link at the end of the path never come.)
    size_t cu_read = 0;
    const long at_end = stored_at_path_end(&cu_read, stored_count);
    ASSERT_GT(at_end, 300) << read_file(cu_log);
    // The file may be ahead of the screen, which takes the queued traces at the timer's next
    // tick: screenshots until the newest traces have their columns (the last one or two may
    // lie under the position cursor, a black line).
    const int last_column = std::min(int(at_end), 700) - 3;
    std::string measuring;
    int shots = 0;
    ASSERT_TRUE(eventually([&] {
        measuring = "measuring" + std::to_string(++shots);
        p.send({("shot " + measuring).c_str()});
        Png s;
        return p.wait_shot(measuring, 30) && s.load(p.shots + "/" + measuring + ".png") &&
               column_drawn(s, last_column);
    })) << "the screen never showed trace " << last_column + 1;
    // Markers (Stop -> Restart -> Markers): "Surface" twice, "Object" moved up two steps,
    // the list closed, back to Stop.
    p.send({"Left", "Left", "Enter", "Enter", "Enter", "Left", "Enter", "Right", "Right", "Enter", "shot markers",
            "Up", "Right", "Right", "Enter"});
    ASSERT_TRUE(p.wait_shot("markers", 60));
    const size_t stop = p.wait_out("Stop:", 0, 60);
    ASSERT_NE(std::string::npos, stop) << p.output();
    // Screen 2 opens the profile for viewing again; notices after fetching lost traces wait
    // for a key.
    int answered = 0;
    bool back = false;
    eventually([&] {
        const std::string out = p.output();
        back = out.find("\nopen\n", stop) != std::string::npos;
        int boxes = 0;
        for (size_t q = out.find("(type 0)", stop); q != std::string::npos; q = out.find("(type 0)", q + 1))
            boxes++;
        for (; answered < boxes; answered++)
            p.send({"Space"});
        return back;
    });
    ASSERT_TRUE(back) << p.output();
    p.send({"shot after_stop"});
    ASSERT_TRUE(p.wait_shot("after_stop", 30));
    EXPECT_EQ(0, p.finish()) << "the orderly power-off";
    // The data partition is unmounted now: its files are in the device's folder.
    auto disk = [&](const std::string& f) { return sb.path("/dev/sda1/" + f); };

    // The profile: every trace of the CU, as the acquisition filter makes it.
    const std::string rad = disk("DAT_0001.rad");
    const int samples = atoi(rad_value(rad, "SAMPLES:").c_str());
    ASSERT_GT(samples, 100);
    eep.Init();
    eep.load_parameters(44, 0); // the simulated CU's antenna
    eep.pload_l_a();
    eep.samples = uint16_t(samples);
    // Frames the loaded machine drops on the unix link are lost for good here (the simulated
    // CU has no card, so card recording stays off): such traces are stored as zero traces in
    // their place. Every other trace equals the CU's, through the acquisition filter.
    auto t = of(truth(), 1);
    const auto file = read_rd7(disk("DAT_0001.rd7"), samples);
    ASSERT_EQ(t.size(), file.size());
    EXPECT_EQ(std::to_string(t.size()), rad_value(rad, "LAST TRACE:"));
    int zero = 0, bad = 0;
    std::vector<int32_t> raw(static_cast<size_t>(samples)), want(static_cast<size_t>(samples));
    for (size_t k = 0; k < t.size(); k++) {
        if (std::all_of(file[k].begin(), file[k].end(), [](int32_t v) { return v == 0; })) {
            zero++;
            continue;
        }
        for (int i = 0; i < samples; i++)
            raw[size_t(i)] = t[k].sample(size_t(i));
        DC_Apply(raw.data(), want.data());
        if (want != file[k] && ++bad <= 5)
            ADD_FAILURE() << "trace " << k + 1 << " differs from the truth";
    }
    EXPECT_EQ(0, bad);
    EXPECT_LE(zero, int(t.size()) / 20) << "traces lost on the link";

    // Exactly the two markers: one surface marker although "Surface" was pressed twice at
    // the same trace, and the depth marker, at the cart's final position.
    std::vector<std::vector<std::string>> marks;
    for (const std::string& l : file_lines(disk("DAT_0001.mrk"))) {
        if (l.rfind("HEADER VERSION:", 0) == 0)
            continue;
        std::istringstream s(l);
        std::vector<std::string> f;
        for (std::string w; s >> w;)
            f.push_back(w);
        marks.push_back(f);
    }
    ASSERT_EQ(2u, marks.size());
    EXPECT_EQ("104", marks[0][2]);
    EXPECT_EQ("200", marks[1][2]);
    EXPECT_EQ("400", marks[0][0]) << "the cart's end (4 m) in trigger steps (1 cm)";
    EXPECT_EQ(marks[0][0], marks[1][0]);
    EXPECT_GT(atoi(marks[1][1].c_str()), atoi(marks[0][1].c_str())) << "the depth marker is below the zero level";

    // The screen while measuring: column by column the file's traces (those lost on the link
    // are zero there and middle grey on the screen, and are left out of the comparison).
    Png shot;
    ASSERT_TRUE(shot.load(p.shots + "/" + measuring + ".png"));
    ASSERT_EQ(1024, shot.w);
    const auto stored = read_rd7(disk("DAT_0001.rd7"), samples);
    const int n = std::min<int>(int(stored.size()), 700);
    ASSERT_GT(n, 300);
    const double whole = double(samples) / kImageH; // whole trace in the height, or 1 sample per row
    int blank1 = 0, blank2 = 0;
    const double agree = std::max(sign_agreement(shot, stored, n, 1.0, &blank1),
                                  sign_agreement(shot, stored, n, whole, &blank2));
    EXPECT_GT(agree, 0.9) << "bright where the traces are positive, dark where negative (" << zero
                          << " traces lost on the link)";
    EXPECT_LE(blank1, n / 3 / 10) << "stored traces missing on the screen (lost on the link, fetched at the stop)";
    // Past the newest trace the image is black.
    if (n < 700) {
        EXPECT_TRUE(shot.is(kImageX + n + 5, kImageY + 100, 0, 0, 0));
        EXPECT_TRUE(shot.is(kImageX + n + 5, kImageY + 500, 0, 0, 0));
    }
    // The markers' dots at the cart's end: the surface marker (orange), the depth marker (red).
    Png with_marks;
    ASSERT_TRUE(with_marks.load(p.shots + "/markers.png"));
    const int surface_x = kImageX + 400;
    int orange = 0, red = 0;
    for (int x = kImageX; x < kImageX + 700; x++)
        for (int y = kImageY; y < kImageY + kImageH; y++) {
            if (std::abs(x - surface_x) < 12) {
                orange += with_marks.is(x, y, 255, 100, 50, 10);
                red += with_marks.is(x, y, 255, 0, 0, 10);
            }
        }
    EXPECT_GT(orange, 40);
    EXPECT_GT(red, 40);

    if (const char* doc = getenv("GPRMON_DOC_SHOTS")) {
        const std::string to = std::string(doc) + (units ? "/measure_si.png" : "/measure_imperial.png");
        EXPECT_EQ(0, system(("cp '" + p.shots + "/markers.png' '" + to + "'").c_str()));
    }
}

INSTANTIATE_TEST_SUITE_P(Units, ProgramMeasure, ::testing::Values(1, 0),
                         [](const ::testing::TestParamInfo<int>& i) { return i.param ? "SI" : "Imperial"; });

// A vehicle-towed survey: the cart at 24 m/s, short profiles one after the other, the antenna
// GPS on (the default settings), so the timer asks the CU for its GPS text while each
// measurement starts. Every trace the CU sent whole must be in its profile's file.
class FastCart : public LiveTest {};

TEST_F(FastCart, ShortProfilesKeepTheirFirstTraces)
{
    ASSERT_TRUE(store_settings(sb, 1));
    LiveOptions o;
    o.cusim_args = {"--speed", "24", "--wheel-cal", "1000", "--max-rate", "6000", "--send-patience", "10000"};
    ASSERT_TRUE(start_cusim(o));
    Program p;
    ASSERT_TRUE(p.start(sb)) << p.output();
    ASSERT_NE(std::string::npos, p.wait_out("main loop", 0, 90)) << p.output();
    p.send({"Enter"});
    const size_t cu = p.wait_out("Reading from CU:", 0, 60);
    ASSERT_NE(std::string::npos, cu) << p.output();
    ASSERT_NE(std::string::npos, p.wait_out("sbars_init", cu, 30)) << p.output();

    constexpr int kProfiles = 8;
    for (int k = 1; k <= kProfiles; k++) {
        // New (screen 2's focus), a few hundred traces, Stop (screen 3's focus).
        size_t from = p.output().size();
        p.send({"Enter"});
        ASSERT_NE(std::string::npos, p.wait_out("mstart 5", from, 60)) << p.output();
        char base[16];
        snprintf(base, sizeof base, "DAT_%04d", k);
        const int samples = atoi(rad_value(data(std::string(base) + ".rad"), "SAMPLES:").c_str());
        ASSERT_GT(samples, 100);
        eventually([&] {
            struct stat st;
            return stat(data(std::string(base) + ".rd7").c_str(), &st) == 0 &&
                   size_t(st.st_size) >= 300 * 4 * size_t(samples);
        });
        from = p.output().size();
        p.send({"Enter"});
        const size_t stop = p.wait_out("Stop:", from, 60);
        ASSERT_NE(std::string::npos, stop) << p.output();
        ASSERT_NE(std::string::npos, p.wait_out("\nopen\n", stop, 60)) << p.output();
    }
    EXPECT_EQ(0, p.finish()) << "the orderly power-off";

    eep.Init();
    eep.load_parameters(44, 0); // the simulated CU's antenna
    eep.pload_l_a();
    const auto all = truth();
    for (int k = 1; k <= kProfiles; k++) {
        char base[16];
        snprintf(base, sizeof base, "DAT_%04d", k);
        const std::string rad = sb.path(std::string("/dev/sda1/") + base + ".rad");
        const int samples = atoi(rad_value(rad, "SAMPLES:").c_str());
        const auto t = of(all, uint32_t(k));
        const auto file = read_rd7(sb.path(std::string("/dev/sda1/") + base + ".rd7"), samples);
        ASSERT_EQ(t.size(), file.size()) << base;
        int zero = 0;
        for (size_t i = 0; i < t.size(); i++) {
            const bool empty = std::all_of(file[i].begin(), file[i].end(), [](int32_t v) { return v == 0; });
            if (empty && !t[i].damaged() && ++zero <= 3)
                ADD_FAILURE() << base << ": trace " << i + 1 << " is all zeros, the CU sent it whole";
        }
        EXPECT_EQ(0, zero) << base;
    }
}
