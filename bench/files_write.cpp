// The file side of the per-trace pipeline: one trace appended to the open .rd7 and its .srd
// line, in traces per second, and a reload of a 1000-trace window into the trace store.
// Runs in a private sandbox folder under /tmp (the device's data partition there).
#include "cu/eep.h"
#include "files/radar_data.h"
#include "platform/host_paths.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Scratch {
    std::string root;
    Scratch()
    {
        char tmpl[] = "/tmp/gprmon-bench-XXXXXX";
        root = mkdtemp(tmpl);
        setenv("GPRMON_ROOT", root.c_str(), 1);
        sim_reload_root();
        std::string cmd = "mkdir -p '" + root + "/mnt/hda1' '" + root + "/sim'";
        if (system(cmd.c_str()) != 0)
            abort();
    }
    ~Scratch()
    {
        std::string cmd = "rm -rf '" + root + "'";
        if (system(cmd.c_str()) != 0)
            abort();
    }
};

void BM_AppendTraceAndPositionLine(benchmark::State& state)
{
    Scratch s;
    const int n = (int)state.range(0);
    eep.samples = (uint16_t)n;
    rdr.dClose(true);
    if (rdr.dCreateFiles() != 0)
        state.SkipWithError("profile not created");
    std::vector<int32_t> trace((size_t)n, 123456);
    int k = 0;
    for (auto _ : state) {
        trace[0] = k;
        if (rdr.rd.append_trace(trace.data(), n) != 0 || rdr.rd.srd_add_line(k, k, 0, 0) != 0)
            state.SkipWithError("write failed");
        k++;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * (int64_t)n * 4);
    rdr.rd.p_Close();
    rdr.cur_name[0] = 0;
}
BENCHMARK(BM_AppendTraceAndPositionLine)->Arg(512)->Arg(2048)->Unit(benchmark::kMicrosecond);

// The acquisition thread's trace writes while the GUI flushes the data file as each draw tick
// does (fdatasync), back to back: the writer's longest single trace write, against its
// typical one. The flush runs outside every lock the writer takes.
void BM_WriterStallWhileGuiFlushes(benchmark::State& state)
{
    Scratch s;
    const int n = 512;
    eep.samples = n;
    rdr.dClose(true);
    if (rdr.dCreateFiles() != 0)
        state.SkipWithError("profile not created");
    std::atomic<bool> stop{false};
    std::atomic<int> flushes{0};
    std::thread gui([&] {
        while (!stop) {
            rdr.rd.flush_data();
            flushes++;
        }
    });
    std::vector<int32_t> trace((size_t)n, 4242);
    double longest = 0;
    int k = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (rdr.rd.put_trace(++k, trace.data(), n) != 0 || rdr.rd.srd_add_line(k, k, 0, 0) != 0)
            state.SkipWithError("write failed");
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
        if (us > longest)
            longest = us;
    }
    stop = true;
    gui.join();
    state.counters["longest_write_us"] = longest;
    state.counters["flushes"] = flushes;
    state.SetItemsProcessed(state.iterations());
    rdr.rd.p_Close();
    rdr.cur_name[0] = 0;
}
BENCHMARK(BM_WriterStallWhileGuiFlushes)->Unit(benchmark::kMicrosecond)->Iterations(20000);

void BM_ReloadWindow(benchmark::State& state)
{
    Scratch s;
    const int n = 512;
    eep.samples = n;
    rdr.dClose(true);
    if (rdr.dCreateFiles() != 0 || rdr.rd.hd.h_write() != 0)
        state.SkipWithError("profile not created");
    std::vector<int32_t> trace((size_t)n, -77777);
    for (int k = 0; k < 2000; k++)
        rdr.rd.append_trace(trace.data(), n);
    for (auto _ : state)
        benchmark::DoNotOptimize(rdr.pRead(500, 1000, 0));
    state.SetItemsProcessed(state.iterations() * 1000);
    rdr.rd.p_Close();
    rdr.cur_name[0] = 0;
}
BENCHMARK(BM_ReloadWindow)->Unit(benchmark::kMillisecond);

} // namespace
