// Sustained acquisition rate: the simulated CU (cusim, a child process on the unix link) sends
// wheel traces at a set rate, or flat out; the monitor's link, Collect and per-trace pipeline
// store them in a profile in a scratch device folder. Reported per run: traces stored per
// second, traces lost (sent by the CU but not in the file), and the monitor's CPU time per
// trace (this process: receiving thread, Collect and pipeline).
//
//   bench_acq_rate --benchmark_filter=...   args: samples, traces/s (0 = flat out)
//
// Over a real wire: run it inside sim/netns/veth-harness.sh, which starts cusim with libpcap
// on the far end of a veth pair and sets GPRMON_LINK=pcap:eth0. The CU's options are then the
// harness's (--cusim "..."), so only the run whose cusim options equal them is made (the
// others are skipped with the options they need).
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/pipeline.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"

#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double cpu_seconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

std::string exe_dir()
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return ".";
    self[n] = 0;
    std::string s(self);
    return s.substr(0, s.rfind('/'));
}

// The simulated CU's options for a run.
std::string cusim_options(int samples, int rate)
{
    char args[512];
    // 1 mm per trace and 1000 pulses per metre: one trace per pulse step of 1; the cart
    // speed sets the rate (speed m/s x 1000 traces/s). On the unix link a full queue holds
    // the CU back (as flat out) instead of dropping: the loss counted is the monitor's own.
    if (rate > 0)
        snprintf(args, sizeof args, "--speed %.4f --wheel-cal 1000 --max-rate 10000000 --gps-rate 0 --send-patience 2000 --samples %d --cu-samples %d",
                 rate / 1000.0, samples, samples < 1536 ? 1536 : samples);
    else
        snprintf(args, sizeof args, "--flat-out --wheel-cal 1000 --gps-rate 0 --samples %d --cu-samples %d", samples,
                 samples < 1536 ? 1536 : samples);
    return args;
}

struct Rig {
    std::string root, sock;
    pid_t cu = -1;
    bool ok = false;

    // True when the link is libpcap on an interface (the veth harness runs cusim).
    static bool over_pcap()
    {
        const char* l = getenv("GPRMON_LINK");
        return l && std::string(l).compare(0, 5, "pcap:") == 0;
    }

    Rig(int samples, int rate)
    {
        char tmpl[] = "/tmp/gprmon-acqbench-XXXXXX";
        root = mkdtemp(tmpl);
        std::string cmd = exe_dir() + "/../../sim/make-sandbox.sh '" + root + "' >/dev/null";
        if (system(cmd.c_str()) != 0) {
            // Source-tree script not next to the build: a minimal device folder.
            cmd = "mkdir -p '" + root + "/mnt/hda1' '" + root + "/sim' '" + root +
                  "/sys/class/net/eth0' && echo 02:00:5e:10:00:01 > '" + root + "/sys/class/net/eth0/address'";
            if (system(cmd.c_str()) != 0)
                return;
        }
        system(("mkdir -p '" + root + "/mnt/hda1'").c_str());
        setenv("GPRMON_ROOT", root.c_str(), 1);
        sim_reload_root();
        if (over_pcap()) {
            connect_cu();
            return;
        }
        // One socket path per process: the link picks its transport from GPRMON_LINK once.
        sock = "/tmp/gprmon-acqbench-" + std::to_string(getpid()) + ".sock";
        unlink(sock.c_str());
        const std::string c = "exec '" + exe_dir() + "/../sim/cu/cusim' --link 'unix:" + sock + "' " +
                              cusim_options(samples, rate) +
                              " >'" + root + "/sim/cusim.log' 2>&1";
        cu = fork();
        if (cu == 0) {
            execl("/bin/sh", "sh", "-c", c.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && access(sock.c_str(), F_OK) != 0; i++)
            usleep(10000);
        setenv("GPRMON_LINK", ("unix:" + sock).c_str(), 1);
        connect_cu();
    }

    void connect_cu()
    {
        init_globals();
        create_all_mutexes();
        xml_pars.Init();
        xml_pars.trigger_type = 0;
        xml_pars.units = 1;
        xml_pars.wheel[xml_pars.current_wheel].wheel_calibration = 1000.0;
        for (int a = 0; a < xml_pars.antenna_count; a++)
            xml_pars.antenna[a].point_interval = 0.001f;
        prm = CParameters();
        prm.after_loading();
        eep.Init();
        eep.load_parameters(0, 0);
        eep.pload_l_a();
        eth.eth_first_Init();
        acq_install();
        start_collect();
        for (int i = 0; i < 5 && !pisOn; i++) {
            MutexLock g(lock_dw);
            CallDevice();
        }
        ok = pisOn;
    }
    ~Rig()
    {
        MeaThread = false;
        if (mThread) {
            SDL_WaitThread(mThread, nullptr);
            mThread = nullptr;
        }
        eth.kill_thread();
        eth.eth_Close();
        pisOn = false;
        if (cu > 0) {
            kill(cu, SIGTERM);
            waitpid(cu, nullptr, 0);
        }
        if (!sock.empty()) {
            unlink(sock.c_str());
            unlink((sock + ".mon").c_str());
        }
        system(("rm -rf '" + root + "'").c_str());
    }
};

void BM_AcquisitionRate(benchmark::State& state)
{
    const int samples = int(state.range(0)), rate = int(state.range(1));
    if (Rig::over_pcap()) {
        const char* h = getenv("CUSIM_HARNESS_OPTIONS");
        if (!h || cusim_options(samples, rate) != h) {
            state.SkipWithError(("the harness's cusim must run with --cusim \"" + cusim_options(samples, rate) + "\"").c_str());
            return;
        }
    }
    Rig rig(samples, rate);
    if (!rig.ok) {
        state.SkipWithError("the simulated CU was not reached");
        return;
    }
    if (int(eep.samples) != samples) {
        state.SkipWithError("the CU did not take the sample count");
        return;
    }
    double traces = 0, lost = 0, cpu = 0, wall = 0;
    for (auto _ : state) {
        rdr.dClose(true);
        rdr.dCreateFiles();
        rdr.rd.hd.h_write();
        const double c0 = cpu_seconds();
        const Uint32 t0 = SDL_GetTicks();
        if (MStart() >= 1000) {
            state.SkipWithError("start refused");
            return;
        }
        SDL_Delay(5000);
        MStop(0);
        wall = (SDL_GetTicks() - t0) / 1000.0;
        cpu = cpu_seconds() - c0;
        traces = double(tot_traces);
        // The file holds as many traces as the CU numbered when nothing was lost; the
        // difference (and the traces that are still zero-filled holes) is the loss.
        long stored = 0;
        {
            FILE* f = fopen(host_path("/mnt/hda1/DAT_0001.rd7").c_str(), "rb");
            if (f) {
                fseek(f, 0, SEEK_END);
                stored = ftell(f) / (long(samples) * 4);
                fclose(f);
            }
        }
        lost = double(eth.tot_missed_blocks) + (traces - double(stored) > 0 ? traces - double(stored) : 0);
        rdr.dClose(true);
    }
    state.counters["traces_per_s"] = traces / wall;
    state.counters["lost_blocks"] = lost;
    state.counters["cpu_us_per_trace"] = traces > 0 ? cpu / traces * 1e6 : 0;
    state.counters["traces"] = traces;
}

} // namespace

BENCHMARK(BM_AcquisitionRate)
    ->ArgNames({"samples", "rate"})
    ->Args({512, 1000})->Args({512, 2000})->Args({512, 3000})->Args({512, 0})
    ->Args({2048, 500})->Args({2048, 1000})->Args({2048, 0})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
