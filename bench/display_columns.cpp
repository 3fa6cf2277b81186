// Radargram rendering in columns per second: the whole window rendered again (a palette-free
// redraw after a gain or zoom change) and the live path, where each new trace scrolls the
// image one column and renders one column, for 512- and 2048-sample traces, with and without
// background removal. Run with SDL_VIDEODRIVER=dummy.
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/profile_record.h"
#include "files/radar_data.h"
#include "gui/scrbuf.h"
#include "gui/screen_table.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

void setup(int samples, int background)
{
    (void)&mS; // SDL and the screen
    eep.ant_record = nullptr;
    eep.samples = uint16_t(samples);
    eep.view_samples = uint16_t(samples);
    eep.sample_interval = 0.0001;
    eep.screen_opt2 = 0;
    eep.display_opt = 0;
    prm.gain_switch = 0;
    CFilterSlot* f = xml_pars.antenna[xml_pars.current_antenna].filter;
    f[FLT_DEL_MEAN].display_on = background > 0;
    f[FLT_DEL_MEAN].int_par[0] = background;
    f[FLT_TIME_GAIN].int_par[3] = 50;
    rdr.prof.Empty();
    shown_traces = 0;
}

void append_trace(int samples, int t)
{
    float* col = rdr.prof.slot(rdr.prof.end);
    for (int s = 0; s < samples; s++)
        col[s] = float(1e5 * std::sin(s * 0.05 + t * 0.01) + (s == 100 + t % 50 ? 4e5 : 0));
    rdr.prof.end = CProfile::prof_ind(rdr.prof.end + 1);
    if (rdr.prof.b_size() == 0) {
        rdr.prof.start = CProfile::prof_ind(rdr.prof.start + 1);
        rdr.prof.first_trace++;
    }
    shown_traces++;
}

void BM_FullWindow(benchmark::State& state)
{
    const int samples = int(state.range(0));
    setup(samples, int(state.range(1)));
    auto b = std::make_unique<CScrBuf>("images/empty1_1024.bmp", 0, 0, false);
    for (int t = 0; t < 2000; t++)
        append_trace(samples, t);
    b->resampdef();
    long columns = 0;
    for (auto _ : state)
        columns += b->datatran(0, false, 0, 2, false);
    state.counters["columns/s"] = benchmark::Counter(double(columns), benchmark::Counter::kIsRate);
}

void BM_LiveColumn(benchmark::State& state)
{
    const int samples = int(state.range(0));
    setup(samples, int(state.range(1)));
    auto b = std::make_unique<CScrBuf>("images/empty1_1024.bmp", 0, 0, false);
    int t = 0;
    for (; t < 1000; t++)
        append_trace(samples, t);
    b->resampdef();
    b->datatran(1000, false, 0, 2, false);
    long columns = 0;
    for (auto _ : state) {
        state.PauseTiming(); // the acquisition's share: the trace into the store
        append_trace(samples, t++);
        state.ResumeTiming();
        columns += b->datatran(1, false, 0, 2, false);
    }
    state.counters["columns/s"] = benchmark::Counter(double(columns), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_FullWindow)->Args({512, 0})->Args({2048, 0})->Args({512, 50})->Args({2048, 50})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveColumn)->Args({512, 0})->Args({2048, 0})->Args({512, 50})->Args({2048, 50})
    ->Unit(benchmark::kMicrosecond);
