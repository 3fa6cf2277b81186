// Whole measurements against the simulated CU over the unix link, headless: what lands in the
// profile files compared with the CU's ground truth.
#include "live_fixture.h"

#include "acq_fixture.h"
#include "acquisition/acquisition.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "dsp/acq_filter.h"
#include "files/radar_data.h"
#include "gui/input.h"
#include "link/ethernet.h"
#include "support/waits.h"

#include <SDL/SDL.h>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The .srd lines the pipeline writes for these traces (in arrival order, no GPS time).
std::vector<std::string> expected_srd(const std::vector<TruthTrace>& t, int first_count, int prev_time)
{
    std::vector<std::string> out = {"#Version: 2", "#CUtime\tWh.pos\tTr.number\tGPS Time(sec)\tGPS Time(ms)"};
    char line[160];
    for (size_t k = 0; k < t.size(); k++) {
        const int ms = int(std::lround(double(int32_t(t[k].time)) / eep.clock_freq * 1000.0));
        snprintf(line, sizeof line, "%d\t%d\t%d\t\t%10d\t%3d", prev_time + ms, t[k].wheel,
                 first_count + int(k) + 1, 0, 0);
        out.push_back(line);
    }
    return out;
}

// The same for block mode, where the count column is each trace's own number.
std::vector<std::string> expected_srd_numbered(const std::vector<TruthTrace>& t, int prev_traces)
{
    std::vector<std::string> out = {"#Version: 2", "#CUtime\tWh.pos\tTr.number\tGPS Time(sec)\tGPS Time(ms)"};
    char line[160];
    for (const TruthTrace& x : t) {
        const int ms = int(std::lround(double(int32_t(x.time)) / eep.clock_freq * 1000.0));
        snprintf(line, sizeof line, "%d\t%d\t%d\t\t%10d\t%3d", ms, x.wheel, prev_traces + int(x.number), 0, 0);
        out.push_back(line);
    }
    return out;
}

std::string rad_value(const std::string& path, const std::string& key)
{
    for (const std::string& l : file_lines(path))
        if (l.compare(0, key.size(), key) == 0)
            return l.substr(key.size());
    return "?";
}

LiveOptions wheel_path(double metres, std::vector<std::string> extra = {})
{
    // 1000 pulses/m and 1 cm per trace: a trigger step of 10 pulses, a trace per 10 pulses.
    // The unix link's queue holds only net.unix.max_dgram_qlen (10) datagrams: the CU waits up
    // to 10 s for room instead of dropping a frame, so a monitor thread descheduled on a loaded
    // machine slows the stream down but loses nothing, and every count below is exact.
    LiveOptions o;
    o.card = true;
    char path[32];
    snprintf(path, sizeof path, "+%.4f", metres);
    o.cusim_args = {"--speed", "2.5", "--wheel-cal", "1000", "--path", path, "--max-rate", "100000",
                    "--gps-rate", "0", "--send-patience", "10000"};
    o.cusim_args.insert(o.cusim_args.end(), extra.begin(), extra.end());
    return o;
}

} // namespace

class Live : public LiveTest {};

TEST_F(Live, WheelProfileInBlockModeStoresEveryTraceAndItsPositionLine)
{
    ASSERT_TRUE(start(wheel_path(50.0005)));
    EXPECT_EQ(1, prm.udp_mode);
    new_profile();
    ASSERT_LT(MStart(), 1000);
    EXPECT_EQ(10, triggCond);
    EXPECT_TRUE(eth.block_mode());
    ASSERT_TRUE(wait_traces(5000, 300));
    {
        KeyPresser keys; // a restore (after a loss, which fails below) would wait for a key
        EXPECT_EQ(0, MStop(1));
    }
    EXPECT_FALSE(MeasureMode);
    auto t = of(truth(), 1);
    ASSERT_EQ(5000u, t.size()); // 50 m of 10-pulse steps, none missed by the CU
    EXPECT_EQ(5000, tot_traces);
    EXPECT_EQ(0, eth.tot_missed_blocks);
    expect_rd7_equals("DAT_0001", t);
    EXPECT_EQ(expected_srd(t, 0, 0), file_lines(data("DAT_0001.srd")));
    const std::string rad = data("DAT_0001.rad");
    EXPECT_EQ("5000", rad_value(rad, "LAST TRACE:"));
    EXPECT_EQ("736", rad_value(rad, "SAMPLES:"));
    EXPECT_EQ("1", rad_value(rad, "DISTANCE FLAG:"));
    EXPECT_EQ("0", rad_value(rad, "TIME FLAG:"));
    EXPECT_EQ("0", rad_value(rad, "PROGRAM FLAG:"));
    EXPECT_EQ(" 0.010000", rad_value(rad, "DISTANCE INTERVAL:"));
    EXPECT_EQ(" 49.990000", rad_value(rad, "STOP POSITION:"));
    expect_header_files("DAT_0001", 5000);
}

TEST_F(Live, WheelProfileInRawModeStoresEveryTrace)
{
    LiveOptions o = wheel_path(50.0005, {"--program-version", "0x30004000"});
    o.udp = false;
    o.card = false; // raw mode has no block numbers to fetch again
    ASSERT_TRUE(start(o));
    EXPECT_EQ(0, prm.udp_mode);
    new_profile();
    ASSERT_LT(MStart(), 1000);
    EXPECT_FALSE(eth.block_mode());
    ASSERT_TRUE(wait_traces(5000, 300));
    MStop(1);
    auto t = of(truth(), 1);
    ASSERT_EQ(5000u, t.size());
    EXPECT_EQ(expected_srd(t, 0, 0), file_lines(data("DAT_0001.srd")));
    // A trigger step without a trace would be filled with a zero trace: one trace per step of
    // 10 pulses in the file, here every one of them real.
    auto stored = read_rd7(data("DAT_0001.rd7"), eep.samples);
    const size_t steps = size_t((t.back().trigger - t.front().trigger) / 10 + 1);
    ASSERT_EQ(steps, stored.size());
    std::vector<int32_t> raw(eep.samples, 0), want(eep.samples, 0);
    const std::vector<int32_t> zero(eep.samples, 0);
    size_t real = 0, lost = 0;
    std::vector<bool> has(steps, false);
    for (const TruthTrace& x : t) {
        const size_t k = size_t((x.trigger - t.front().trigger) / 10);
        has[k] = true;
        for (int i = 0; i < eep.samples; i++)
            raw[size_t(i)] = x.sample(size_t(i));
        DC_Apply(raw.data(), want.data());
        if (stored[k] == want)
            real++;
        else if (stored[k] == zero)
            lost++; // dropped on the link
        else
            ADD_FAILURE() << "trace at step " << k << " differs from the truth";
    }
    for (size_t k = 0; k < steps; k++)
        if (!has[k]) {
            EXPECT_EQ(zero, stored[k]) << k;
        }
    printf("raw mode: %zu traces stored, %zu lost on the link, %zu steps zero-filled\n", real, lost,
           steps - t.size());
    EXPECT_EQ(0u, lost);
    EXPECT_EQ(5000u, real);
    expect_header_files("DAT_0001", 5000);
}

TEST_F(Live, TimeTriggeredProfileKeepsTheTracesSentUpToTheStop)
{
    LiveOptions o;
    o.trigger = kTrigTime;
    o.time_interval = 0.004f;
    o.card = true;
    o.cusim_args = {"--max-rate", "100000", "--gps-rate", "0", "--send-patience", "10000"};
    ASSERT_TRUE(start(o));
    new_profile();
    ASSERT_LT(MStart(), 1000);
    EXPECT_EQ(4, triggCond);
    ASSERT_TRUE(wait_traces(1000, 120));
    {
        KeyPresser keys;
        MStop(1); // the CU is still sending: what it sent before stopping must all be stored
    }
    auto t = of(truth(), 1);
    ASSERT_GE(t.size(), 1000u);
    EXPECT_EQ(int(t.size()), tot_traces);
    EXPECT_EQ(0, eth.tot_missed_blocks);
    expect_rd7_equals("DAT_0001", t);
    EXPECT_EQ(expected_srd(t, 0, 0), file_lines(data("DAT_0001.srd")));
    const std::string rad = data("DAT_0001.rad");
    EXPECT_EQ(std::to_string(t.size()), rad_value(rad, "LAST TRACE:"));
    EXPECT_EQ("1", rad_value(rad, "TIME FLAG:"));
    EXPECT_EQ("0", rad_value(rad, "DISTANCE FLAG:"));
    EXPECT_EQ(" 0.004000", rad_value(rad, "TIME INTERVAL:"));
    expect_header_files("DAT_0001", int(t.size()));
}

TEST_F(Live, KeyboardTriggeredProfileTakesOneTracePerPress)
{
    LiveOptions o;
    o.trigger = kTrigKeyboard;
    ASSERT_TRUE(start(o));
    new_profile();
    EXPECT_EQ(0, MStart());
    EXPECT_TRUE(MeasureMode);
    for (int i = 0; i < 20; i++)
        ASSERT_EQ(0, KeyTrigger()) << i;
    EXPECT_EQ(20, rdr.rd.hd.last_trace);
    MStop(1);
    stop_cusim(); // single traces reach the truth file when cusim ends
    auto t = of(truth(), 0);
    ASSERT_EQ(20u, t.size());
    expect_rd7_equals("DAT_0001", t);
    EXPECT_EQ(22u, file_lines(data("DAT_0001.srd")).size());
    EXPECT_EQ("1", rad_value(data("DAT_0001.rad"), "PROGRAM FLAG:"));
    expect_header_files("DAT_0001", 20);
}

TEST_F(Live, ContinuedProfileAppendsTheSecondRunAfterTheFirst)
{
    ASSERT_TRUE(start(wheel_path(20.0005)));
    new_profile();
    ASSERT_LT(MStart(), 1000);
    ASSERT_TRUE(wait_traces(2000, 150));
    {
        KeyPresser keys;
        MStop(1);
    }
    const int first_run = int(of(truth(), 1).size());
    ASSERT_EQ(2000, first_run);
    EXPECT_EQ("2000", rad_value(data("DAT_0001.rad"), "LAST TRACE:"));

    // "Cont" on the measurement screen: the same name, reopened for appending.
    ASSERT_EQ(0, rdr.dSetNames("DAT_0001"));
    ASSERT_EQ(0, rdr.rd.hd.h_read()); // the screen reads the header to compare the settings
    ASSERT_EQ(0, rdr.dCOpen());
    EXPECT_EQ(first_run, prev_meas_traces);
    cont_meas = true;
    ASSERT_LT(MStart(), 1000);
    ASSERT_TRUE(wait_traces(4000, 300));
    {
        KeyPresser keys;
        MStop(1);
    }
    cont_meas = false;
    auto all = truth();
    auto t1 = of(all, 1), t2 = of(all, 2);
    ASSERT_EQ(2000u, t1.size());
    ASSERT_EQ(2000u, t2.size());
    // The second run's wheel positions go on from the first run's last step.
    EXPECT_EQ(20010, t2.front().trigger);
    std::vector<TruthTrace> both = t1;
    both.insert(both.end(), t2.begin(), t2.end());
    expect_rd7_equals("DAT_0001", both);
    std::vector<std::string> srd = expected_srd_numbered(t1, 0), srd2 = expected_srd_numbered(t2, 2000);
    srd.insert(srd.end(), srd2.begin() + 2, srd2.end());
    EXPECT_EQ(srd, file_lines(data("DAT_0001.srd")));
    expect_header_files("DAT_0001", 4000);
}

TEST_F(Live, LostBlocksAreFetchedFromTheCardAfterTheStop)
{
    LiveOptions o = wheel_path(50.0005, {"--fault", "loss=0.05", "--seed", "11", "-v"});
    o.card = true;
    ASSERT_TRUE(start(o));
    EXPECT_EQ(1, prm.restore_missed); // the card answered
    new_profile();
    ASSERT_LT(MStart(), 1000);
    ASSERT_TRUE(wait_traces(5000, 300));
    std::vector<std::string> boxes;
    static std::vector<std::string>* seen;
    seen = &boxes;
    mesmode_observer = [](const char* title, const char*, int) { seen->push_back(title); };
    const int lost = eth.tot_missed_blocks;
    const Uint32 stop_at = SDL_GetTicks();
    {
        KeyPresser keys; // the restore's closing message waits for a key
        EXPECT_EQ(0, MStop(1));
    }
    const Uint32 stop_ms = SDL_GetTicks() - stop_at;
    mesmode_observer = nullptr;
    // Each block is asked for once, even where the margins of neighbouring ranges overlap.
    std::vector<int> asked(200000, 0);
    int fetched = 0, twice = 0;
    const std::string log = read_file(cu_log);
    for (size_t q = log.find("cusim: resent "); q != std::string::npos; q = log.find("cusim: resent ", q + 1)) {
        int n = 0, a = 0, b = 0;
        if (sscanf(log.c_str() + q, "cusim: resent %d of blocks %d..%d", &n, &a, &b) != 3)
            continue;
        for (int k = a; k <= b && k < int(asked.size()); k++)
            twice += asked[size_t(k)]++ > 0;
        fetched += b - a + 1;
    }
    EXPECT_EQ(0, twice) << "blocks asked for twice";
    printf("restore: %d blocks lost, %d fetched (%.2f per lost block), stop with restore %u ms\n", lost,
           fetched, lost ? double(fetched) / lost : 0.0, unsigned(stop_ms));
    EXPECT_EQ((std::vector<std::string>{"Missed traces are being uploaded now.", "All missed blocks are restored!"}),
              boxes);
    auto t = of(truth(), 1);
    ASSERT_EQ(5000u, t.size());
    std::vector<TruthTrace> whole;
    for (const TruthTrace& x : t)
        if (!x.damaged())
            whole.push_back(x);
    EXPECT_GT(t.size() - whole.size(), t.size() / 10); // 5 % of 6 blocks per trace
    expect_rd7_equals("DAT_0001", t);
    // Every trace has its position line, in order: one that came whole with its time and
    // wheel, a lost one (restored after the stop) at its trigger step.
    const auto lines = file_lines(data("DAT_0001.srd")), exact = expected_srd_numbered(t, 0);
    ASSERT_EQ(exact.size(), lines.size());
    for (size_t i = 2; i < lines.size(); i++) {
        int ms = 0, wheel = 0, n = 0;
        ASSERT_EQ(3, sscanf(lines[i].c_str(), "%d\t%d\t%d", &ms, &wheel, &n)) << lines[i];
        EXPECT_EQ(int(i - 1), n);
        if (!t[i - 2].damaged())
            EXPECT_EQ(exact[i], lines[i]);
        else
            EXPECT_NEAR(t[i - 2].trigger, wheel, 10) << lines[i];
    }
    expect_header_files("DAT_0001", 5000);
    EXPECT_FALSE(file_exists(data("missed_data.mbf"))); // nothing left to restore
}

// Collect's stalled-link check on a clock the test moves: each step is looked at by at least
// one full round of the thread before the test looks at the flags.
class StallClock {
public:
    StallClock() : old_(stall_clock.exchange(&StallClock::read)) { now_ = 0; }
    ~StallClock() { stall_clock = old_; }
    // Sets the clock and returns once Collect has compared against the new time (or has
    // stopped looking at it after an error).
    bool set(Uint32 ms)
    {
        now_ = ms;
        const uint64_t from = reads_;
        return eventually([&] { return reads_ >= from + 2 || mea_errors; });
    }

private:
    static Uint32 read()
    {
        reads_++;
        return now_;
    }
    static std::atomic<Uint32> now_;
    static std::atomic<uint64_t> reads_;
    Uint32 (*old_)();
};
std::atomic<Uint32> StallClock::now_{0};
std::atomic<uint64_t> StallClock::reads_{0};

TEST_F(Live, NoDataForJustOverThreeSecondsStopsWithTheNoDataError)
{
    LiveOptions o;
    o.cusim_args = {"--speed", "0", "--gps-rate", "0"};
    ASSERT_TRUE(start(o));
    new_profile();
    StallClock clock;
    ASSERT_LT(MStart(), 1000);
    ASSERT_TRUE(clock.set(0));
    ASSERT_TRUE(clock.set(3000));
    EXPECT_FALSE(thError) << "three seconds without data are allowed";
    EXPECT_FALSE(mea_errors);
    ASSERT_TRUE(clock.set(3001));
    EXPECT_TRUE(eventually([] { return thError.load(); }));
    EXPECT_TRUE(mea_errors);
    MStop(0);
}

TEST_F(Live, NoDataIsNoErrorWhileTheCuRecordsToItsCard)
{
    LiveOptions o;
    o.card = true;
    o.cusim_args = {"--speed", "0", "--gps-rate", "0"};
    ASSERT_TRUE(start(o));
    new_profile();
    StallClock clock;
    ASSERT_LT(MStart(), 1000);
    ASSERT_TRUE(clock.set(0));
    ASSERT_TRUE(clock.set(10000));
    ASSERT_TRUE(clock.set(20000));
    EXPECT_FALSE(thError);
    EXPECT_FALSE(mea_errors);
    MStop(0);
}

TEST_F(Live, StartWhileMeasuringChangesNothing)
{
    ASSERT_TRUE(start(wheel_path(10.0005)));
    new_profile();
    ASSERT_LT(MStart(), 1000);
    ASSERT_TRUE(wait_traces(200, 120));
    const int packets = eth.good_packets, cond = triggCond;
    EXPECT_EQ(0, MStart());
    EXPECT_GE(eth.good_packets, packets); // the statistics were not reset
    EXPECT_EQ(cond, triggCond);
    EXPECT_TRUE(MeasureMode);
    ASSERT_TRUE(wait_traces(1000, 120));
    {
        KeyPresser keys; // a failed restore would wait for a key
        MStop(1);
    }
    auto t = of(truth(), 1);
    ASSERT_EQ(1000u, t.size()); // the CU was not started again: one measurement, every step
    EXPECT_EQ(0u, of(truth(), 2).size());
    expect_rd7_equals("DAT_0001", t);
}

// The monitor side of the kill test, run as a child process that the test kills.
TEST(LiveChild, RecordsUntilKilled)
{
    const char* sock = getenv("ACQ_CHILD_SOCK");
    if (!sock)
        GTEST_SKIP() << "runs only as the child process of the kill test";
    setenv("GPRMON_LINK", (std::string("unix:") + sock).c_str(), 1);
    init_globals();
    create_all_mutexes();
    LiveOptions o;
    configure_monitor(o);
    ASSERT_TRUE(connect_monitor());
    ASSERT_EQ(0, rdr.dCreateFiles());
    ASSERT_EQ(0, rdr.rd.hd.h_write());
    ASSERT_LT(MStart(), 1000);
    for (;;)
        pause(); // until killed
}

TEST_F(Live, KilledDuringAMeasurementKeepsEveryWrittenTraceAndContinues)
{
    LiveOptions o = wheel_path(1000, {"--speed", "3"});
    configure_monitor(o);
    ASSERT_TRUE(start_cusim(o));
    char self[4096];
    const ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(len, 0);
    self[len] = 0;
    const std::string log = sb.root() + "/sim/child.log";
    // Made before the fork: the child of this threaded test may not allocate.
    setenv("ACQ_CHILD_SOCK", sock.c_str(), 1);
    const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(log_fd, 0);
    pid_t child = fork();
    if (child == 0) {
        if (dup2(log_fd, 1) < 0 || dup2(log_fd, 2) < 0)
            _exit(126);
        execl(self, self, "--gtest_filter=LiveChild.RecordsUntilKilled", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(log_fd);
    unsetenv("ACQ_CHILD_SOCK");
    ASSERT_GT(child, 0);
    const long trace_bytes = 736L * 4;
    auto rd7_size = [&] {
        FILE* f = fopen(data("DAT_0001.rd7").c_str(), "rb");
        long n = 0;
        if (f) {
            fseek(f, 0, SEEK_END);
            n = ftell(f);
            fclose(f);
        }
        return n;
    };
    // Killed mid-stream, wherever the writer is once 400 traces are on the disk.
    ASSERT_TRUE(eventually([&] { return rd7_size() >= 400 * trace_bytes; })) << read_file(log);
    long size = 0;
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    // Power back: the CU was reset with the monitor; the profile is continued.
    ASSERT_TRUE(connect());
    {
        MutexLock g(lock_dw);
        gpr.mStop(nullptr, nullptr, nullptr);
    }
    FILE* f = fopen(data("DAT_0001.rd7").c_str(), "rb");
    ASSERT_TRUE(f);
    fseek(f, 0, SEEK_END);
    size = ftell(f);
    fclose(f);
    const int whole = int(size / trace_bytes);
    auto m1 = of(truth(), 1);
    ASSERT_GE(int(m1.size()), whole);
    m1.resize(size_t(whole));

    ASSERT_EQ(0, rdr.dSetNames("DAT_0001"));
    ASSERT_EQ(0, rdr.rd.hd.h_read()); // the screen reads the header to compare the settings
    ASSERT_EQ(0, rdr.dCOpen());
    EXPECT_EQ(whole, prev_meas_traces);
    cont_meas = true;
    ASSERT_LT(MStart(), 1000);
    ASSERT_TRUE(wait_traces(whole + 300, 120));
    {
        KeyPresser keys;
        MStop(1);
    }
    cont_meas = false;
    auto m2 = of(truth(), 2);
    std::vector<TruthTrace> both = m1;
    both.insert(both.end(), m2.begin(), m2.end());
    // Every trace written before the kill is there; a trace the loaded link dropped before the
    // kill is a hole of zeros (its blocks were never tabled: the process died first).
    auto stored = read_rd7(data("DAT_0001.rd7"), eep.samples);
    ASSERT_EQ(both.size(), stored.size());
    std::vector<int32_t> raw(eep.samples, 0), want(eep.samples, 0);
    int wrong = 0, holes = 0;
    for (size_t k = 0; k < both.size(); k++) {
        for (int i = 0; i < eep.samples; i++)
            raw[size_t(i)] = both[k].sample(size_t(i));
        DC_Apply(raw.data(), want.data());
        if (want == stored[k])
            continue;
        if (k < size_t(whole) && stored[k] == std::vector<int32_t>(eep.samples, 0))
            holes++;
        else
            wrong++;
    }
    EXPECT_EQ(0, wrong);
    EXPECT_EQ(0, holes);
    printf("killed at %d traces\n", whole);
    EXPECT_EQ(std::to_string(both.size()), rad_value(data("DAT_0001.rad"), "LAST TRACE:"));
}

TEST_F(Live, SingleTraceComesIntoTraceTrigger)
{
    ASSERT_TRUE(start(LiveOptions()));
    clear_error_flags();
    ASSERT_EQ(0, TraceTrigg());
    EXPECT_TRUE(canShow);
    stop_cusim();
    auto t = of(truth(), 0);
    ASSERT_EQ(1u, t.size());
    for (int i = 0; i < eep.samples; i++)
        ASSERT_EQ(int32_t(int16_t(t[0].values[size_t(t[0].clipped + i)])), ttrace[i]) << i;
    // Without a CU the trace view gets the ramp and the error code.
    EXPECT_EQ(-1, TraceTrigg());
    EXPECT_TRUE(thError);
    EXPECT_EQ(733, int(TraceError));
    EXPECT_EQ(50 * 7, ttrace[7]);
}

TEST_F(Live, TimeZeroSearchStoresAPositionInBothModesAndRestoresTheCu)
{
    // A direct wave late enough to lie inside the scanned windows (they start 50 position
    // units after the CU's default one).
    const std::string scene = sb.root() + "/sim/late.scene";
    FILE* f = fopen(scene.c_str(), "w");
    ASSERT_TRUE(f);
    fputs("timezero 900\n", f);
    fclose(f);
    LiveOptions o;
    o.cusim_args = {"--scene", scene};
    ASSERT_TRUE(start(o));
    const int samples = eep.samples, runs = eep.runs;
    for (uint8_t m : {uint8_t(0), uint8_t(1)}) {
        eep.tz_search_opt = m;
        eep.cu_word = int16_t(0xFFFF - 150);
        ASSERT_EQ(1, SearchTimeZero()) << int(m);
        const int sp = uint16_t(eep.cu_word);
        EXPECT_GT(sp, 0xFFFF - 2000) << int(m);
        EXPECT_LE(sp, 0xFFFF) << int(m);
    }
    // The CU got its own settings back: a trace has the antenna's sample count again.
    EXPECT_EQ(0, TraceTrigg());
    EXPECT_EQ(samples, int(eep.samples));
    EXPECT_EQ(runs, int(eep.runs));
}
