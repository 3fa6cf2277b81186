// The migration against a plain reference of its summation, its independence of the thread
// count, and what it is for: a point target's hyperbola collapses to its apex.
#include "grid_fixture.h"

#include "grid/migration.h"
#include "grid/migration_reference.h"
#include "sim/cu/scene.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using migration_reference::Traces;
using migration_reference::reference;

Traces line_of(const CMatrix& m, int d, int line)
{
    Traces t;
    for (const CFTrace& x : m.traces[d][size_t(line)])
        t.emplace_back(x.data, x.data + x.count);
    return t;
}

} // namespace

class GridMigration : public GridTest {
protected:
    // A line of direction 1 with T traces of N random samples; every `empty_every`-th trace
    // (and the first `empty_first`) empty.
    void random_line(int T, int N, int empty_every, int empty_first, unsigned seed)
    {
        make_cube(T, 1, 1, N);
        std::mt19937 rng(seed);
        std::normal_distribution<float> g(0.0f, 100.0f);
        for (int t = 0; t < T; t++) {
            const bool empty = t < empty_first || (empty_every > 0 && t % empty_every == 0);
            for (int s = 0; s < N; s++)
                mx.traces[1][0][size_t(t)][s] = empty ? 0.0f : g(rng) + 40.0f * std::sin(s * 0.2f);
        }
    }
    void background(bool on, int traces)
    {
        current_antenna().filter[FLT_DEL_MEAN].display_on = on;
        current_antenna().filter[FLT_DEL_MEAN].int_par[0] = traces;
    }
};

TEST_F(GridMigration, TheFastSummationGivesTheReferenceResult)
{
    struct Case {
        const char* what;
        int N, T, count, zero;
        float resolution, separation;
        bool bg;
        int bg_traces, empty_every, empty_first;
        bool migrate;
    } cases[] = {
        {"plain line", 128, 40, 0, 0, 0.05f, 0.0f, false, 0, 0, 0, true},
        {"count below the line", 256, 60, 37, 20, 0.01f, 0.3f, false, 0, 0, 0, true},
        {"zero level and background", 200, 50, 0, 30, 0.02f, 0.1f, true, 5, 7, 3, true},
        {"zero level near the end", 300, 25, 0, 250, 0.02f, 0.0f, true, 2, 0, 0, true},
        {"negative zero level", 150, 30, 0, -40, 0.05f, 0.2f, true, 50, 4, 0, true},
        {"wide aperture", 120, 90, 0, 0, 0.002f, 0.0f, false, 0, 0, 0, true},
        {"every trace empty", 128, 20, 0, 0, 0.05f, 0.0f, true, 5, 1, 0, true},
        {"migration off", 128, 40, 0, 10, 0.05f, 0.0f, true, 6, 9, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        random_line(c.T, c.N, c.empty_every, c.empty_first, unsigned(c.N * 31 + c.T));
        eep.tz_sample = int16_t(c.zero);
        eep.ant_separation = c.separation;
        mx.resolution = c.resolution;
        mx.hd.migration_on = c.migrate;
        background(c.bg, c.bg_traces);
        const MigrationSetup s = migration_setup(mx);
        const int count = c.count > 0 ? c.count : c.T;
        float ref_coef = 0.0f;
        const Traces want = reference(s, line_of(mx, 1, 0), count, ref_coef);
        migr_coef = 0.0f;
        mx.Migration(1, 0, c.count);
        const Traces got = line_of(mx, 1, mx.lines_1);
        float scale = 1e-6f;
        for (auto& t : want)
            for (float v : t)
                scale = std::max(scale, std::fabs(v));
        int bad = 0;
        for (int j = 0; j < count; j++)
            for (int k = 0; k < c.N; k++)
                if (std::fabs(want[size_t(j)][size_t(k)] - got[size_t(j)][size_t(k)]) > 2e-5f * scale && bad++ < 3)
                    ADD_FAILURE() << "trace " << j << " sample " << k << ": " << got[size_t(j)][size_t(k)]
                                  << " instead of " << want[size_t(j)][size_t(k)];
        EXPECT_NEAR(ref_coef, migr_coef, 1e-4 * std::max(1.0f, ref_coef));
        if (c.migrate && c.empty_every != 1) {
            EXPECT_GT(migr_coef, 0.0f);
        }
    }

    // A coefficient already set scales the next line and stays.
    random_line(30, 128, 0, 0, 5);
    background(false, 0);
    mx.hd.migration_on = true;
    migr_coef = 0.0f;
    mx.Migration(1, 0, 0);
    const Traces first = line_of(mx, 1, mx.lines_1);
    migr_coef *= 2.0f;
    const float twice = migr_coef;
    mx.Migration(1, 0, 0);
    EXPECT_EQ(twice, migr_coef);
    EXPECT_FLOAT_EQ(2.0f * first[7][100], mx.traces[1][mx.lines_1][7][100]);
}

TEST_F(GridMigration, MigratingTheCubeGivesTheSameLinesOnAnyNumberOfThreads)
{
    background(true, 10);
    make_cube(21, 11, 5, 160);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> g(-500.0f, 500.0f);
    fill([&](int d, int l, int, int) { return d == 0 && l == 0 ? 0.0f : g(rng); }); // line 0 empty
    Traces before[2][5];
    for (int d = 0; d < 2; d++)
        for (int l = 0; l < mx.line_count(d); l++)
            before[d][l] = line_of(mx, d, l);
    auto restore = [&] {
        for (int d = 0; d < 2; d++)
            for (int l = 0; l < mx.line_count(d); l++)
                for (int t = 0; t < mx.trace_count(d); t++)
                    std::copy(before[d][l][size_t(t)].begin(), before[d][l][size_t(t)].end(),
                              mx.traces[d][size_t(l)][size_t(t)].data);
    };

    // One line after the other, as migrate_all is defined.
    migr_coef = 0.0f;
    Traces one_by_one[2][5];
    for (int d = 0; d < 2; d++)
        for (int l = 0; l < mx.line_count(d); l++) {
            mx.Migration(d, l, 0);
            one_by_one[d][l] = line_of(mx, d, mx.line_count(d));
            for (int t = 0; t < mx.trace_count(d); t++)
                mx.traces[d][size_t(l)][size_t(t)] = mx.traces[d][size_t(mx.line_count(d))][size_t(t)];
        }
    const float coef = migr_coef;
    EXPECT_GT(coef, 0.0f);
    for (int threads : {1, 2, 3, 8}) {
        SCOPED_TRACE(threads);
        restore();
        mx.migrate_all(threads);
        EXPECT_EQ(coef, migr_coef);
        for (int d = 0; d < 2; d++)
            for (int l = 0; l < mx.line_count(d); l++)
                EXPECT_TRUE(one_by_one[d][l] == line_of(mx, d, l)) << "direction " << d << " line " << l;
        EXPECT_TRUE(one_by_one[1][mx.lines_1 - 1] == line_of(mx, 1, mx.lines_1)); // the spare line: the last one
    }
}

TEST_F(GridMigration, APointTargetsHyperbolaCollapsesToItsApex)
{
    // 5 m of line at 2 cm over a point 0.5 m deep at 2.5 m, 0.1 ns per sample at 0.1 m/ns.
    cusim::Scene scene = cusim::Scene::standard();
    scene.layers.clear();
    scene.points = {cusim::ScenePoint{2.5, 0.5, 0.5}};
    scene.clutter_count = 0;
    scene.noise = 0.0;
    const int T = 251, N = 512, apex = 125;
    make_cube(T, 1, 1, N);
    mx.resolution = 0.02f;
    eep.step_distance = 0.02;
    eep.tz_sample = 120; // the direct wave at 12 ns
    xml_pars.soil_velocity = 100;
    background(true, 50);
    std::vector<double> tr;
    for (int t = 0; t < T; t++) {
        scene.render(t * 0.02, 0.0, 0.1, N, uint64_t(t), 1, tr);
        for (int s = 0; s < N; s++)
            mx.traces[1][0][size_t(t)][s] = float(tr[size_t(s)]);
    }
    // Mean energy in a box of traces and samples around the travel time of offset dx (traces).
    auto energy = [&](const std::vector<CFTrace>& line, int from, int to) {
        double e = 0;
        int n = 0;
        for (int t = from; t <= to; t++) {
            const double dx = (t - apex) * 0.02;
            const int at = 120 + int(std::lround(2 * std::sqrt(0.25 + dx * dx) / 0.1 / 0.1));
            for (int s = at - 12; s <= at + 12; s++, n++)
                e += double(line[size_t(t)][s]) * line[size_t(t)][s];
        }
        return e / n;
    };
    auto contrast = [&](const std::vector<CFTrace>& line) {
        const double flanks = (energy(line, apex - 40, apex - 25) + energy(line, apex + 25, apex + 40)) / 2;
        return energy(line, apex - 2, apex + 2) / std::max(flanks, 1e-12);
    };
    const double before = contrast(mx.traces[1][0]);
    migr_coef = 0.0f;
    mx.Migration(1, 0, 0);
    const double after = contrast(mx.traces[1][1]);
    printf("apex against flanks: %.2f before, %.2f after migration (%.1f times)\n", before, after, after / before);
    EXPECT_GT(after / before, 4.0); // 6.0 measured
}
