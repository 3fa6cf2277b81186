// Grid processing times: the migration of one long line (the fast one and the plain
// reference summation, same input), migrate_all of a 10 m x 5 m grid on one thread and on all
// cores, and the whole "Stop & process" chain of that grid with its four data files.
//
// Settings: the antenna defaults of the block with the CU off, 512 samples, soil velocity 100,
// point interval 0.05 m for the grid and the antenna's for the line.
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "grid/migration.h"
#include "platform/host_paths.h"
#include "tests/grid/migration_reference.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

namespace {

void settings()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    xml_pars.Init();
    eep.pload_l_a();
    eep.samples = 512;
    xml_pars.soil_velocity = 100;
    // A data folder of its own for the files of the chain.
    char dir[] = "/tmp/gprmon-bench-XXXXXX";
    if (mkdtemp(dir)) {
        setenv("GPRMON_ROOT", dir, 1);
        sim_reload_root();
        std::system(("mkdir -p " + std::string(dir) + "/mnt/hda1").c_str());
    }
}

// Hyperbolas of a few point targets over noise, so that every offset has something to add.
float sample_at(int t, int s)
{
    const int apexes[3] = {300, 900, 1500};
    float v = float(std::sin(t * 0.37 + s * 1.3)) * 20.0f;
    for (int a : apexes) {
        const double dx = (t % 2000 - a) * 0.25, z = 40 + a / 20;
        const double r = std::sqrt(dx * dx + z * z) * 4;
        if (std::fabs(s - r) < 6)
            v += float(3000 * std::cos((s - r) * 0.8));
    }
    return v;
}

void line_cube(int traces)
{
    settings();
    CMatrix& m = rdr.mx;
    m.nx = int16_t(traces);
    m.ny = 1;
    m.line_step = 1;
    m.x_step_override = 1;
    m.resolution = float(eep.trace_interval > 0 ? eep.trace_interval : 0.02);
    m.mx_create();
    for (int t = 0; t < traces; t++)
        for (int s = 0; s < eep.samples; s++)
            m.traces[1][0][size_t(t)][s] = sample_at(t, s);
}

void grid_cube()
{
    settings();
    CMatrix& m = rdr.mx;
    m.m_init();
    m.project_type = 2;
    m.x_size = 10;
    m.y_size = 5;
    m.resolution = 0.05f;
    m.profile_spacing = 0.5f;
    m.proper_size();
    m.xSetNames("GR_001");
    m.mx_create();
    m.hd.samples = eep.samples;
    for (int d = 0; d < 2; d++)
        for (int l = 0; l < m.line_count(d); l++)
            for (int t = 0; t < m.trace_count(d); t++) {
                for (int s = 0; s < eep.samples; s++)
                    m.traces[d][size_t(l)][size_t(t)][s] = sample_at(t * 10 + l, s);
                m.filled[d][size_t(l)][size_t(t)] = t % 17 != 5; // a few gaps to fill
            }
}

void BM_MigrationLine(benchmark::State& state)
{
    line_cube(2000);
    for (auto _ : state) {
        migr_coef = 0;
        rdr.mx.Migration(1, 0, 0);
        benchmark::DoNotOptimize(rdr.mx.traces[1][1][1000][200]);
    }
    state.counters["traces/s"] = benchmark::Counter(2000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MigrationLine)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MigrationLineReference(benchmark::State& state)
{
    line_cube(2000);
    const MigrationSetup s = migration_setup(rdr.mx);
    migration_reference::Traces in;
    for (const CFTrace& t : rdr.mx.traces[1][0])
        in.emplace_back(t.data, t.data + t.count);
    for (auto _ : state) {
        float coef = 0;
        auto out = migration_reference::reference(s, in, 2000, coef);
        benchmark::DoNotOptimize(out[1000][200]);
    }
    state.counters["traces/s"] = benchmark::Counter(2000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MigrationLineReference)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Argument: threads (0 = every core).
void BM_MigrateAllGrid(benchmark::State& state)
{
    grid_cube();
    for (auto _ : state)
        rdr.mx.migrate_all(int(state.range(0)));
    state.counters["threads"] = double(state.range(0) > 0 ? state.range(0) : std::thread::hardware_concurrency());
}
BENCHMARK(BM_MigrateAllGrid)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StopAndProcess(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        grid_cube();
        state.ResumeTiming();
        CMatrix& m = rdr.mx;
        m.lin_all();
        m.d_write(0);
        m.d_write(1);
        m.fir_all();
        m.migrate_all();
        m.d_write(2);
        m.d_write(3);
    }
}
BENCHMARK(BM_StopAndProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
