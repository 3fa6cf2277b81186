// A field crew's day against the simulated CU, the whole program driven by its keypad:
// the zero level moved while measuring, a profile continued and restarted, a new profile
// restarted, and a cart too fast for the CU. Checked against the files, cusim's command log
// and its ground truth.
#include "live_fixture.h"
#include "program_driver.h"

#include "acq_fixture.h"

#include "support/png_shot.h"
#include "support/waits.h"

#include <cmath>
#include <cstdlib>
#include <sys/stat.h>

namespace {

std::string key_value(const std::string& path, const std::string& key)
{
    for (const std::string& l : file_lines(path))
        if (l.compare(0, key.size(), key) == 0)
            return l.substr(key.size());
    return "";
}

long long file_size(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long long)st.st_size : -1;
}

// Mean of the lower half of each trace, averaged over traces [from, to).
double deep_mean(const std::vector<std::vector<int32_t>>& t, size_t from, size_t to)
{
    double sum = 0;
    size_t n = 0;
    for (size_t k = from; k < to && k < t.size(); k++)
        for (size_t i = t[k].size() / 2; i < t[k].size(); i++, n++)
            sum += t[k][i];
    return n ? sum / double(n) : 0;
}

// The .srd's trace lines: their trace-number column must run 1, 2, ... without a gap.
int srd_numbered_lines(const std::string& path)
{
    int expected = 1;
    for (const std::string& l : file_lines(path)) {
        if (l.empty() || l[0] == '#')
            continue;
        int a, b, n;
        if (sscanf(l.c_str(), "%d\t%d\t%d", &a, &b, &n) != 3 || n != expected)
            return -expected;
        expected++;
    }
    return expected - 1;
}

// Pixels of a screenshot within [x0, x1) x [y0, y1) near the colour (r, g, b); -1 unreadable.
int count_rgb(const std::string& png, int x0, int y0, int x1, int y1, int r, int g, int b, int tol)
{
    Png shot;
    if (!shot.load(png))
        return -1;
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            n += shot.is(x, y, r, g, b, tol);
    return n;
}

class FieldCrew : public LiveTest {
protected:
    Program p;
    int samples = 0;
    std::string cmd_log;

    bool begin(std::vector<std::string> cusim)
    {
        cmd_log = sb.root() + "/sim/commands.cu";
        cusim.insert(cusim.end(), {"--command-log", cmd_log});
        LiveOptions o;
        o.cusim_args = cusim;
        if (!store_settings(sb, 1) || !start_cusim(o) || !p.start(sb))
            return false;
        if (p.wait_out("main loop", 0, 90) == std::string::npos)
            return false;
        p.send({"wait 1000", "Enter"});
        const size_t cu = p.wait_out("Reading from CU:", 0, 60);
        return cu != std::string::npos && p.wait_out("sbars_init", cu, 30) != std::string::npos;
    }
    // Presses Enter on screen 2's focused button (New or Cont) and waits for the measurement;
    // a question whether to restore the profile's settings is answered Yes.
    bool start_measuring()
    {
        const size_t from = p.output().size();
        p.send({"wait 800", "Enter"});
        for (int i = 0; i < 600; i++) {
            const std::string out = p.output();
            if (out.find("mstart 5", from) != std::string::npos)
                return true;
            if (out.find("(type 1)", from) != std::string::npos) {
                p.send({"wait 300", "Enter"});
                return p.wait_out("mstart 5", from, 60) != std::string::npos;
            }
            usleep(100000);
        }
        return false;
    }
    size_t traces(const std::string& base) const
    {
        const long long s = file_size(data(base + ".rd7"));
        return s > 0 && samples > 0 ? size_t(s) / (4 * size_t(samples)) : 0;
    }
    bool wait_traces(const std::string& base, size_t n)
    {
        return eventually([&] { return traces(base) >= n; });
    }
    // Stop is focused: stops and waits until screen 2 shows the profile again, answering the
    // boxes that wait for a key.
    bool stop_and_back()
    {
        const size_t from = p.output().size();
        p.send({"Enter"});
        const size_t stop = p.wait_out("Stop:", from, 60);
        if (stop == std::string::npos)
            return false;
        int answered = 0;
        for (int i = 0; i < 600; i++, usleep(100000)) {
            const std::string out = p.output();
            if (out.find("\nopen\n", stop) != std::string::npos)
                return true;
            int boxes = 0;
            for (size_t q = out.find("(type 0)", stop); q != std::string::npos; q = out.find("(type 0)", q + 1))
                boxes++;
            for (; answered < boxes; answered++)
                p.send({"wait 300", "Space"});
        }
        return false;
    }
    // Restart (one step from Stop), answered Yes; waits for the restart's result line.
    size_t restart()
    {
        const size_t from = p.output().size();
        p.send({"wait 300", "Left", "wait 500", "Enter"});
        if (p.wait_out("Restart the profile?", from, 60) == std::string::npos)
            return std::string::npos;
        p.send({"wait 500", "Right", "wait 500", "Enter"});
        return p.wait_out("restart: ", from, 60);
    }
    void read_samples()
    {
        samples = atoi(key_value(data("DAT_0001.rad"), "SAMPLES:").c_str());
    }
};

} // namespace

TEST_F(FieldCrew, ZeroLevelContinueAndRestart)
{
    // The cart keeps going at 0.5 m/s: 50 traces a second at 1 cm.
    ASSERT_TRUE(begin(cart_args("+300"))) << p.output();
    ASSERT_TRUE(start_measuring()) << p.output();
    read_samples();
    ASSERT_GT(samples, 100);
    ASSERT_TRUE(wait_traces("DAT_0001", 150));

    // Tools (three steps from Stop) -> "Set Zero Level" (the list's end, one back) -> the
    // cursor 15 rows down -> Enter.
    size_t from = p.output().size();
    p.send({"wait 300", "Left", "wait 400", "Left", "wait 400", "Left", "wait 400", "Enter", "wait 600"});
    for (int i = 0; i < 5; i++)
        p.send({"Left", "wait 250"});
    p.send({"Right", "wait 400", "Enter", "wait 600"});
    for (int i = 0; i < 15; i++)
        p.send({"Left", "wait 120"});
    p.send({"Enter"});
    const size_t zl_at = p.wait_out("zero level: sample ", from, 60);
    ASSERT_NE(std::string::npos, zl_at) << p.output();
    const int zero_level = atoi(p.output().c_str() + zl_at);
    const size_t at_change = traces("DAT_0001");
    // The tools list again (Tools keeps the focus), left open while the radargram scrolls.
    p.send({"wait 300", "Enter", "wait 2000", "shot tools_open", "Escape", "wait 500"});
    ASSERT_TRUE(p.wait_shot("tools_open", 30));
    ASSERT_TRUE(wait_traces("DAT_0001", at_change + 150));
    p.send({"wait 300", "Right", "wait 400", "Right", "wait 400", "Right", "wait 400"});
    ASSERT_TRUE(stop_and_back()) << p.output();

    // The profile as stopped: a continue and its restart must give back exactly this.
    const char* exts[] = {".rd7", ".srd", ".rad", ".add", ".mrk"};
    std::vector<std::string> saved;
    for (const char* e : exts)
        saved.push_back(read_file(data(std::string("DAT_0001") + e)));
    const size_t stopped = traces("DAT_0001");

    // Cont (one step from New), more traces, Restart -> Yes.
    p.send({"wait 500", "Left", "wait 500"});
    ASSERT_TRUE(start_measuring()) << p.output();
    ASSERT_TRUE(wait_traces("DAT_0001", stopped + 100));
    const size_t r1 = restart();
    ASSERT_NE(std::string::npos, r1) << p.output();
    EXPECT_NE(std::string::npos, p.output().find("cut back to the continue (0 not put back)", r1 - 9))
        << p.output().substr(r1);
    ASSERT_NE(std::string::npos, p.wait_out("sbars_init", r1, 30));
    for (size_t i = 0; i < saved.size(); i++)
        EXPECT_TRUE(saved[i] == read_file(data(std::string("DAT_0001") + exts[i])))
            << exts[i] << " is not as it was saved before the continue";

    // New (one step back from Cont), Restart -> Yes: that profile is gone, and Cont says so.
    p.send({"wait 500", "Right", "wait 500"});
    ASSERT_TRUE(start_measuring()) << p.output();
    ASSERT_TRUE(wait_traces("DAT_0002", 60));
    const size_t r2 = restart();
    ASSERT_NE(std::string::npos, r2) << p.output();
    ASSERT_NE(std::string::npos, p.wait_out("sbars_init", r2, 30));
    for (const char* e : exts)
        EXPECT_EQ(-1, file_size(data(std::string("DAT_0002") + e))) << e;
    from = p.output().size();
    p.send({"wait 500", "Left", "wait 500", "Enter"});
    EXPECT_NE(std::string::npos, p.wait_out("There is no measurement to continue", from, 60)) << p.output();
    p.send({"wait 500", "Space"});
    EXPECT_EQ(std::string::npos, p.output().find("errors in the previous header", from));
    EXPECT_EQ(0, p.finish()) << "the orderly power-off";

    // The zero level is the monitor's own: the CU's DC level (command 194) is never sent, and
    // the deep samples keep their mean across the change.
    for (const std::string& l : file_lines(cmd_log))
        EXPECT_NE(0u, l.rfind("194 ", 0)) << l;
    const std::string disk = sb.path("/dev/sda1/DAT_0001");
    const auto t = read_rd7(disk + ".rd7", samples);
    ASSERT_EQ(stopped, t.size());
    ASSERT_GT(at_change, 100u);
    const double before = deep_mean(t, at_change - 100, at_change), after = deep_mean(t, at_change + 20, at_change + 120);
    EXPECT_LT(std::fabs(after - before), 3e5) << "before " << before << ", after " << after;
    EXPECT_EQ(zero_level, atoi(key_value(disk + ".add", "ZERO LEVEL:").c_str()));
    EXPECT_EQ(int(t.size()), srd_numbered_lines(disk + ".srd")) << "a position line for every stored trace";
    // The list is still there, on top: its selected row's lavender, which no radargram has.
    EXPECT_GT(count_rgb(p.shots + "/tools_open.png", 620, 294, 880, 510, 200, 200, 255, 30), 1000);
}

TEST_F(FieldCrew, TooFastCartIsReported)
{
    // 300 triggers a second for a sampler that manages 150.
    ASSERT_TRUE(begin(cart_args("+24", "3", "150"))) << p.output();
    ASSERT_TRUE(start_measuring()) << p.output();
    read_samples();
    ASSERT_GT(samples, 100);
    ASSERT_TRUE(wait_traces("DAT_0001", 300));
    p.send({"wait 300", "shot fast"});
    ASSERT_TRUE(p.wait_shot("fast", 30));
    // The cart stands at its end and the file holds every trace that reached the monitor.
    size_t cu_read = 0;
    ASSERT_LT(0, stored_at_path_end(&cu_read, [&] { return traces("DAT_0001"); })) << read_file(cu_log);
    const size_t from = p.output().size();
    ASSERT_TRUE(stop_and_back()) << p.output();
    const std::string out = p.output();
    int ours = 0, cu_count = 0, blank = 0;
    const size_t at = out.find("traces skipped: ", from);
    ASSERT_NE(std::string::npos, at) << out.substr(from);
    ASSERT_EQ(3, sscanf(out.c_str() + at, "traces skipped: %d (CU: %d), blank: %d", &ours, &cu_count, &blank));
    EXPECT_GT(cu_count, 100);
    // (A frame the loaded link drops takes its trace's step with it: a few more or less.)
    EXPECT_NEAR(cu_count, ours, 5 + cu_count / 10) << "the jumps of the trigger position count the CU's missed triggers";
    EXPECT_NE(std::string::npos, out.find("Cart too fast: " + std::to_string(cu_count) + " traces missed", at));
    EXPECT_EQ(0, p.finish()) << "the orderly power-off";
    EXPECT_NE(std::string::npos, p.output().find("message box \"Switching off\"", at))
        << "the screen says why the power-off takes seconds";

    // The warning was on the measurement screen: white on red above the distance ruler.
    EXPECT_GT(count_rgb(p.shots + "/fast.png", 420, 0, 860, 16, 200, 0, 0, 25), 500);

    const std::string disk = sb.path("/dev/sda1/DAT_0001");
    EXPECT_EQ(int(read_rd7(disk + ".rd7", samples).size()), srd_numbered_lines(disk + ".srd"));
}
