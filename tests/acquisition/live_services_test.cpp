// Services around a measurement against the simulated CU: the hardware tests of the test
// screen, the CU's trace count at the stop, and the block ranges the restore asks for.
#include "live_fixture.h"
#include "support/waits.h"

#include "acq_fixture.h"
#include "acquisition/acquisition.h"
#include "acquisition/hw_test_view.h"
#include "platform/globals.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "link/ethernet.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <dirent.h>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// What the test screen would show: every line change in order, and the caption.
class RecordedView : public CHwTestView {
public:
    void line(int which, const char* text) override
    {
        std::lock_guard<std::mutex> g(m);
        lines.emplace_back(which, text);
        if (which == cancel_at_line && std::string(text) == "Testing")
            cancel_hw_tests = 1;
    }
    void caption(const char* text) override
    {
        std::lock_guard<std::mutex> g(m);
        captions.push_back(text);
    }
    std::vector<std::pair<int, std::string>> snapshot()
    {
        std::lock_guard<std::mutex> g(m);
        return lines;
    }

    int cancel_at_line = -1; // the screen's Cancel, pressed as this line starts testing
    std::vector<std::string> captions;

private:
    std::mutex m;
    std::vector<std::pair<int, std::string>> lines;
};

class HwTests : public LiveTest {
protected:
    RecordedView view;
    CHwTestView* saved = nullptr;

    void SetUp() override
    {
        LiveTest::SetUp();
        saved = hw_test_view;
        hw_test_view = &view;
    }
    void TearDown() override
    {
        hw_tests_are_started = 0;
        cancel_hw_tests = 0;
        mode = 0;
        hw_test_view = saved;
        LiveTest::TearDown();
    }

    // Starts the sequence as the test screen's Start button does; true when it ended in time.
    bool run_on_test_screen(double seconds)
    {
        mode = 27;
        hw_tests_are_started = 1;
        eventually([] { return hw_tests_are_started == 0; }, seconds);
        mode = 0;
        return hw_tests_are_started == 0;
    }

    std::vector<std::string> gps_dumps() const
    {
        std::vector<std::string> out;
        DIR* d = opendir(sb.path("/mnt/hda1").c_str());
        if (!d)
            return out;
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n.size() > 9 && n.compare(n.size() - 9, 9, "_GPS_dump") == 0)
                out.push_back(n);
        }
        closedir(d);
        return out;
    }
};

using Lines = std::vector<std::pair<int, std::string>>;

size_t count_of(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        n++;
    return n;
}

} // namespace

TEST_F(HwTests, AHealthyCuPassesEveryTestAndItsGpsIsDumped)
{
    ASSERT_TRUE(start(LiveOptions()));
    const int samples = eep.samples, runs = eep.runs;
    ASSERT_TRUE(run_on_test_screen(60));
    const Lines expected = {
        {kHwLineMemory, "Testing"}, {kHwLineMemory, "pass"},
        {kHwLineFpga, "Testing"},   {kHwLineFpga, "pass"},
        {kHwLinePass, "pass"},
        {kHwLineGps, "Testing"},    {kHwLineGps, "pass"},
        {kHwLineBoard, "Testing"},  {kHwLineBoard, "Init is OK. Other errors: 0/ 0/ 0/ 0/ 0/ 0/ -1"},
    };
    EXPECT_EQ(expected, view.snapshot());
    EXPECT_EQ(std::vector<std::string>{"Start Tests"}, view.captions);
    // Three GPS strings read one second apart, as the CU sent them.
    auto dumps = gps_dumps();
    ASSERT_EQ(1u, dumps.size());
    const std::string dump = read_file(data(dumps[0]));
    EXPECT_EQ(3u, count_of(dump, "$GPGGA")) << dump;
    // The CU is back on the antenna's settings: a single trace has its sample count.
    EXPECT_EQ(0, TraceTrigg());
    EXPECT_EQ(samples, int(eep.samples));
    EXPECT_EQ(runs, int(eep.runs));
}

TEST_F(HwTests, CuErrorsGiveTheErrorLinesAndTheSequenceGoesOn)
{
    LiveOptions o;
    // Every test command (65) is answered with an error report of code 0x42: result 200 + 66.
    o.cusim_args = {"--fault", "error=0x42@cmd:65"};
    ASSERT_TRUE(start(o));
    ASSERT_TRUE(run_on_test_screen(60));
    const Lines expected = {
        {kHwLineMemory, "Testing"}, {kHwLineMemory, "Errors: 10000000/ 0/ 55/ 0"},
        {kHwLineFpga, "Testing"},   {kHwLineFpga, "Error: -5/ 10A/ 251C"},
        {kHwLinePass, "pass"},
        {kHwLineGps, "Testing"},    {kHwLineGps, "pass"},
        {kHwLineBoard, "Testing"},  {kHwLineBoard, "Init Errors: 266/ 0/ 0/ 0/ 0/ 0/ 0/ 0/ 0"},
    };
    EXPECT_EQ(expected, view.snapshot());
    EXPECT_EQ(std::vector<std::string>{"Start Tests"}, view.captions);
}

TEST_F(HwTests, CancelEndsTheSequenceAfterTheRunningTest)
{
    ASSERT_TRUE(start(LiveOptions()));
    view.cancel_at_line = kHwLineGps;
    ASSERT_TRUE(run_on_test_screen(60));
    const Lines lines = view.snapshot();
    ASSERT_FALSE(lines.empty());
    // The GPS test ends without its three reads; the board test never starts.
    EXPECT_EQ(kHwLineGps, lines.back().first);
    EXPECT_NE("Testing", lines.back().second);
    for (const auto& l : lines)
        EXPECT_NE(kHwLineBoard, l.first) << l.second;
    auto dumps = gps_dumps();
    ASSERT_EQ(1u, dumps.size());
    EXPECT_EQ("", read_file(data(dumps[0])));
    EXPECT_EQ(std::vector<std::string>{"Start Tests"}, view.captions);
    EXPECT_EQ(0, hw_tests_are_started.load());
}

class LiveStop : public LiveTest {};

TEST_F(LiveStop, TheCusTraceCountAboveAMillionIsTakenAsAMillion)
{
    // A CU whose trace counter stands at 1,499,990: its stop reports 1,500,010 for 20 traces.
    LiveOptions o;
    o.udp = false;
    o.cusim_args = {"--program-version", "0x30004000", "--first-trace", "1499990", "--speed", "1",
                    "--wheel-cal", "1000", "--path", "+0.2005", "--max-rate", "100000", "--gps-rate", "0",
                    "--send-patience", "10000", "-v"};
    ASSERT_TRUE(start(o));
    new_profile();
    ASSERT_LT(MStart(), 1000);
    ASSERT_TRUE(wait_traces(20, 120));
    size_t from = 0;
    ASSERT_EQ(20, next_path_end(&from)) << "the cart is at its end: no trace is on its way";
    {
        KeyPresser keys;
        MStop(1);
    }
    EXPECT_EQ(1000000, tot_traces);
    EXPECT_NE(std::string::npos, read_file(cu_log).find("1500010 traces")) << read_file(cu_log);
    const auto rad = file_lines(data("DAT_0001.rad"));
    EXPECT_NE(rad.end(), std::find(rad.begin(), rad.end(), "LAST TRACE:20"));
    auto t = of(truth(), 1);
    ASSERT_EQ(20u, t.size());
    expect_rd7_equals("DAT_0001", t);
}

TEST_F(LiveStop, TheRestoreAsksForEachLostRangeWithOneTraceOfMarginIn38BlockRequests)
{
    // 1024 samples: n = (4096 + 30) / 496 + 1 = 9 blocks per trace, trace T in blocks
    // 9T - 8 .. 9T. Lost: block 3, and blocks 901..982 (traces 101..109 and part 1 of 110).
    std::string drops = "drop=1.3";
    for (int t = 101; t <= 109; t++)
        for (int p = 1; p <= 9; p++)
            drops += ",drop=" + std::to_string(t) + "." + std::to_string(p);
    drops += ",drop=110.1";
    LiveOptions o;
    o.card = true;
    o.cusim_args = {"--samples", "1024", "--clipped", "0", "--speed", "1", "--wheel-cal", "1000",
                    "--path", "+2.0005", "--max-rate", "100000", "--gps-rate", "0",
                    "--send-patience", "10000", "--fault", drops, "-v"};
    ASSERT_TRUE(start(o));
    ASSERT_EQ(1024, int(eep.samples));
    new_profile();
    ASSERT_LT(MStart(), 1000);
    ASSERT_TRUE(wait_traces(200, 120));
    size_t from = 0;
    ASSERT_EQ(200, next_path_end(&from)) << "the cart is at its end: no trace is on its way";
    {
        KeyPresser keys; // the restore's closing message waits for a key
        EXPECT_EQ(0, MStop(1));
    }
    // Block 3 (n = 9) is asked for from block 1 to 12; 901..982 with its margins is 892..991,
    // 100 blocks: 38 + 38 + 24.
    std::vector<std::string> resent;
    for (const std::string& l : file_lines(cu_log)) {
        for (size_t p = 0, q; p < l.size(); p = q + 1) {
            q = l.find('\n', p);
            if (q == std::string::npos)
                q = l.size();
            const std::string one = l.substr(p, q - p);
            if (one.compare(0, 13, "cusim: resent") == 0)
                resent.push_back(one);
        }
    }
    EXPECT_EQ((std::vector<std::string>{"cusim: resent 12 of blocks 1..12", "cusim: resent 38 of blocks 892..929",
                                        "cusim: resent 38 of blocks 930..967",
                                        "cusim: resent 24 of blocks 968..991"}),
              resent);
    auto t = of(truth(), 1);
    ASSERT_EQ(200u, t.size());
    expect_rd7_equals("DAT_0001", t);
    EXPECT_FALSE(file_exists(data("missed_data.mbf")));
}
