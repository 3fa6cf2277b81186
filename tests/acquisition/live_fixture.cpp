#include "live_fixture.h"

#include "acq_fixture.h"
#include "acquisition/acquisition.h"
#include "acquisition/pipeline.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "dsp/acq_filter.h"
#include "files/radar_data.h"
#include "gui/key_handover.h"
#include "gui/lang.h"
#include "gui/screen_table.h"
#include "link/ethernet.h"
#include "support/waits.h"

#include <SDL/SDL.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <thread>
#include <sys/wait.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

uint32_t le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

} // namespace

void gui_for_tests()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    lngs.create_M(0);
    mS.del_objs();
    mS.Init();
}

int32_t TruthTrace::sample(size_t i) const
{
    const size_t k = clipped + i;
    if (format == 16)
        return int32_t(uint32_t(int32_t(int16_t(values[k]))) << 16);
    const uint32_t w1 = values[2 * k], w2 = values[2 * k + 1];
    const int32_t d = divisor ? divisor : 1;
    return int32_t((w2 << 16) + uint32_t(int32_t(w1 << 16) / d) + 0x80000000u);
}

std::vector<TruthTrace> read_truth_file(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<TruthTrace> out;
    if (b.size() < 16 || b.compare(0, 8, "CUSIMGT1") != 0)
        return out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(b.data());
    const size_t head = le32(p + 8) >= 2 ? 48 : 40; // version 2 added the plan-view position
    size_t off = le32(p + 12);
    while (off + head <= b.size()) {
        const unsigned char* r = p + off;
        const uint32_t size = le32(r);
        if (size < head || off + size > b.size())
            break;
        TruthTrace t;
        t.measurement = le32(r + 4);
        t.number = le32(r + 8);
        t.trigger = int32_t(le32(r + 12));
        t.wheel = int32_t(le32(r + 16));
        t.time = le32(r + 20);
        t.first_block = le32(r + 24);
        t.clipped = le16(r + 28);
        t.samples = le16(r + 30);
        t.divisor = le16(r + 32);
        t.format = r[34];
        t.source = r[35];
        t.flags = r[36];
        if (head == 48) {
            t.plan_x_mm = int32_t(le32(r + 40));
            t.plan_y_mm = int32_t(le32(r + 44));
        }
        const size_t words = (size - head) / 2;
        for (size_t i = 0; i < words; i++)
            t.values.push_back(le16(r + head + 2 * i));
        out.push_back(std::move(t));
        off += size;
    }
    return out;
}

std::vector<TruthTrace> LiveTest::of(const std::vector<TruthTrace>& all, uint32_t m)
{
    std::vector<TruthTrace> out;
    for (const TruthTrace& t : all)
        if (t.measurement == m)
            out.push_back(t);
    return out;
}

void LiveTest::SetUp()
{
    ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/mnt/hda1") + "'").c_str()));
    // One socket path for the whole process: the link picks its transport from GPRMON_LINK once.
    sock = "/tmp/gprmon-acq-live-" + std::to_string(getpid()) + ".sock";
    truth_path = sb.root() + "/sim/truth.bin";
    cu_log = sb.root() + "/sim/cusim.log";
    gui_for_tests();
    init_globals();
    create_all_mutexes();
    reset_acquisition_state();
    mode = 0; // no screen that polls the CU
}

void LiveTest::TearDown()
{
    if (MeasureMode)
        MStop(0);
    disconnect();
    stop_cusim();
    if (HasFailure()) {
        std::string log = read_file(cu_log);
        printf("---- cusim log (end) ----\n%s\n", log.substr(log.size() > 3000 ? log.size() - 3000 : 0).c_str());
        printf("link: missed blocks %d, intervals %d, good packets %d, buf_over %d\n",
               eth.tot_missed_blocks.load(), eth.tot_missed_blocks_intervals.load(), eth.good_packets.load(), eth.buf_over.load());
        // The whole programs a test ran leave their output in sim/RUN.out: its end tells
        // what each run saw when a check failed on a machine we cannot look at.
        if (DIR* d = opendir(sb.path("/sim").c_str())) {
            while (dirent* e = readdir(d)) {
                const std::string n = e->d_name;
                if (n.size() > 4 && n.compare(n.size() - 4, 4, ".out") == 0) {
                    const std::string out = read_file(sb.path("/sim/" + n));
                    printf("---- %s (end) ----\n%s\n", n.c_str(), out.substr(out.size() > 6000 ? out.size() - 6000 : 0).c_str());
                }
            }
            closedir(d);
        }
    }
    rdr.dClose(true);
    reset_acquisition_state();
    prm = CParameters();
    xml_pars.Init();
    eep.Init();
    unsetenv("GPRMON_LINK");
}

void configure_monitor(const LiveOptions& o)
{
    xml_pars.Init();
    xml_pars.trigger_type = o.trigger;
    xml_pars.time_interval = o.time_interval;
    xml_pars.units = 1;
    xml_pars.gps_on = 0;
    xml_pars.wheel[xml_pars.current_wheel].wheel_calibration = o.wheel_calibration;
    xml_pars.wheel[xml_pars.current_wheel].wheel_direction = 1;
    xml_pars.measurement_direction = 1;
    for (int a = 0; a < xml_pars.antenna_count; a++)
        xml_pars.antenna[a].point_interval = o.point_interval;
    prm = CParameters();
    prm.after_loading();
    prm.udp_mode = o.udp ? 1 : 0;
    prm.restore_missed = o.card ? 1 : 0;
    eep.Init();
    eep.load_parameters(0, 0);
    eep.pload_l_a();
}

bool LiveTest::start_cusim(const LiveOptions& o)
{
    std::string cmd = std::string("exec '") + GPRMON_BINARY_DIR + "/sim/cu/cusim' --link 'unix:" + sock +
                      "' --truth '" + truth_path + "'";
    for (const std::string& a : o.cusim_args)
        cmd += " '" + a + "'";
    if (!o.card)
        cmd += " --no-card"; // the CU's card would turn card recording on
    cmd += " >'" + cu_log + "' 2>&1";
    cu = fork();
    if (cu == 0) {
        // A test that dies (a sanitizer's report ends it at once) takes its CU along.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (cu < 0)
        return false;
    eventually([&] { return access(sock.c_str(), F_OK) == 0; }, 20);
    setenv("GPRMON_LINK", ("unix:" + sock).c_str(), 1);
    return access(sock.c_str(), F_OK) == 0;
}

void LiveTest::stop_cusim()
{
    if (cu > 0) {
        kill(cu, SIGTERM);
        waitpid(cu, nullptr, 0);
        cu = -1;
        unlink(sock.c_str());
        unlink((sock + ".mon").c_str());
    }
}

bool connect_monitor()
{
    eth.eth_first_Init();
    acq_install();
    if (!start_collect())
        return false;
    // As the program's start does, the CU is called until it answers. A CU still streaming the
    // measurement of a killed monitor fills the socket, and on a loaded machine its answers can be
    // lost for a while; the deadline only guards against a hang.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    do {
        {
            MutexLock g(lock_dw);
            CallDevice();
        }
        MutexLock g(lock_cuOn);
        if (pisOn)
            return true;
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

void disconnect_monitor()
{
    MeaThread = false;
    if (mThread) {
        SDL_WaitThread(mThread, nullptr);
        mThread = nullptr;
    }
    eth.kill_thread();
    eth.eth_Close();
    {
        MutexLock g(lock_cuOn);
        pisOn = false;
    }
    MeaThread = true;
}

bool LiveTest::start(const LiveOptions& o)
{
    configure_monitor(o);
    if (!start_cusim(o))
        return false;
    return connect();
}

void LiveTest::new_profile()
{
    rdr.dClose(true);
    ASSERT_EQ(0, rdr.dCreateFiles());
    ASSERT_EQ(0, rdr.rd.hd.h_write());
    rad_at_start = file_lines(data("DAT_0001.rad"));
    add_at_start = read_file(data("DAT_0001.add"));
}

void LiveTest::expect_header_files(const std::string& base, int traces)
{
    auto value = [&](const char* key) {
        for (const std::string& l : rad_at_start)
            if (l.compare(0, strlen(key), key) == 0)
                return l.substr(strlen(key));
        return std::string();
    };
    const bool time = value("TIME FLAG:") == "1";
    const double interval = atof(value(time ? "TIME INTERVAL:" : "DISTANCE INTERVAL:").c_str());
    std::vector<std::string> want = rad_at_start;
    char line[64];
    for (std::string& l : want) {
        if (l.compare(0, 11, "LAST TRACE:") == 0) {
            snprintf(line, sizeof line, "LAST TRACE:%d", traces);
            l = line;
        } else if (l.compare(0, 14, "STOP POSITION:") == 0) {
            snprintf(line, sizeof line, "STOP POSITION:%10.6f", (traces - 1) * interval);
            l = line;
        }
    }
    EXPECT_EQ(want, file_lines(data(base + ".rad")));
    EXPECT_EQ(add_at_start, read_file(data(base + ".add")));
    EXPECT_EQ(std::vector<std::string>{"HEADER VERSION:101"}, file_lines(data(base + ".mrk")));
    EXPECT_FALSE(file_exists(data(base + ".cor")));
}

bool LiveTest::wait_traces(int n, double seconds)
{
    const bool reached = eventually([&] { return rdr.rd.hd.last_trace >= n || mea_errors; }, seconds) &&
                         rdr.rd.hd.last_trace >= n;
    if (!reached && mea_errors)
        printf("acquisition error: %d %d %d %d %d %d %d\n", int(thError), int(thError2), int(thError3),
               int(thError4), int(thError5), int(wrError), int(memError));
    return reached;
}

int LiveTest::next_path_end(size_t* from, double seconds, uint32_t* measurement) const
{
    // "cusim: measurement M: the cart is at the end of its path after N traces"
    static const std::string line = ": the cart is at the end of its path after ";
    static const std::string head = "measurement ";
    int n = -1;
    eventually(
        [&] {
            const std::string log = read_file(cu_log);
            const size_t at = log.find(line, *from);
            if (at == std::string::npos)
                return false;
            n = atoi(log.c_str() + at + line.size());
            const size_t m = log.rfind(head, at);
            if (measurement)
                *measurement = m == std::string::npos ? 0 : uint32_t(atoi(log.c_str() + m + head.size()));
            *from = at + line.size();
            return true;
        },
        seconds);
    return n;
}

long LiveTest::stored_at_path_end(size_t* from, const std::function<size_t()>& stored) const
{
    uint32_t m = 0;
    if (next_path_end(from, 120, &m) < 0)
        return -1;
    // The truth holds the whole path once cusim reported its end.
    const std::vector<TruthTrace> t = of(truth(), m);
    size_t whole = t.size();
    while (whole > 0 && t[whole - 1].damaged())
        whole--;
    eventually([&] { return stored() >= whole; });
    return long(stored());
}

void LiveTest::expect_rd7_equals(const std::string& base, const std::vector<TruthTrace>& expected)
{
    const int n = eep.samples;
    auto stored = read_rd7(data(base + ".rd7"), n);
    ASSERT_EQ(expected.size(), stored.size());
    std::vector<int32_t> raw(static_cast<size_t>(n), 0), want(static_cast<size_t>(n), 0);
    int bad = 0;
    for (size_t k = 0; k < expected.size(); k++) {
        ASSERT_EQ(size_t(n), size_t(expected[k].samples)) << k;
        for (int i = 0; i < n; i++)
            raw[size_t(i)] = expected[k].sample(size_t(i));
        DC_Apply(raw.data(), want.data());
        if (want != stored[k] && ++bad <= 5)
            ADD_FAILURE() << "trace " << k + 1 << " differs from the truth";
    }
    EXPECT_EQ(0, bad);
}

struct KeyPresser::Impl {
    std::atomic<bool> stop{false};
    std::thread t;
};

KeyPresser::KeyPresser() : impl_(new Impl)
{
    impl_->t = std::thread([this] {
        // Space at every key wait; the short time-out only lets the loop see the stop.
        while (!impl_->stop)
            handover_press(SDLK_SPACE, 100);
    });
}

KeyPresser::~KeyPresser()
{
    impl_->stop = true;
    handover_cancel();
    impl_->t.join();
    delete impl_;
}
