#include "grid/migration.h"

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/filter_slots.h"
#include "grid/matrix.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

bool trace_empty(const float* t, int N)
{
    if (N <= 0)
        return true;
    const int a = std::min(10, N - 1), b = std::max(N - 10, 0);
    return t[a] == 0.0f && t[b] == 0.0f;
}

MigrationSetup migration_setup(const CMatrix& m)
{
    MigrationSetup s;
    s.N = m.samples();
    s.u = std::max<int>(eep.tz_sample, 0);
    const double res = double(m.resolution) * double(eep.GetUnit(10));
    const double g = double(xml_pars.soil_velocity) * eep.sample_interval * double(eep.GetUnit(0));
    s.G = res > 0.0 ? float(g / res * 0.5) : 0.0f;
    s.a = eep.step_distance > 0.0 ? float(0.5 * eep.ant_separation / eep.step_distance) : 0.0f;
    const CFilterPars p = current_filter_pars();
    s.bg_on = p.dm_on;
    s.bg_traces = p.dm_traces;
    s.migrate = m.hd.migration_on;
    return s;
}

void remove_background(const MigrationSetup& s, const CFTrace* const* in, int count, float* w)
{
    const int N = s.N;
    for (int i = 0; i < count; i++)
        std::copy(in[i]->data, in[i]->data + N, w + size_t(i) * N);
    const int g = s.bg_traces;
    if (!s.bg_on || g < 2)
        return;
    std::vector<char> empty(static_cast<size_t>(count));
    for (int i = 0; i < count; i++)
        empty[size_t(i)] = trace_empty(in[i]->data, N);
    std::vector<double> sum(size_t(N), 0.0);
    std::vector<float> mean(size_t(N), 0.0f); // the previous mean stands while a window is empty
    auto add = [&](int t, double sign) {
        if (empty[size_t(t)])
            return 0;
        const float* x = in[t]->data;
        for (int k = 0; k < N; k++)
            sum[size_t(k)] += sign * x[k];
        return 1;
    };
    int lo = 0, hi = 0, held = 0;
    bool first = true;
    for (int i = 0; i < count; i++) {
        const int nlo = i < g ? 0 : i - g, nhi = i < g ? std::min(count, g) : i;
        if (!first && held >= 4) {
            for (int t = lo; t < nlo; t++)
                held -= add(t, -1.0);
            for (int t = hi; t < nhi; t++)
                held += add(t, 1.0);
        } else {
            std::fill(sum.begin(), sum.end(), 0.0);
            held = 0;
            for (int t = nlo; t < nhi; t++)
                held += add(t, 1.0);
        }
        first = false;
        lo = nlo;
        hi = nhi;
        if (held > 0)
            for (int k = 0; k < N; k++)
                mean[size_t(k)] = float(sum[size_t(k)] / held);
        if (empty[size_t(i)])
            continue;
        float* y = w + size_t(i) * N;
        for (int k = 0; k < N; k++)
            y[k] = in[i]->data[k] - mean[size_t(k)];
    }
}

namespace {

// Travel time in samples of offset h at output sample k, or N when it lies beyond the
// trace (the conversion of a huge value would not be defined).
int travel_time(double G, double a, int u, int k, int h, int N)
{
    const double zk = double(G) * (k - u);
    const double z2 = zk * zk;
    const double v = (std::sqrt(z2 + (a + h) * (a + h)) + std::sqrt(z2 + (h - a) * (h - a))) * 0.5 / G + u;
    return v < double(N) ? int(v) : N;
}

// acc[j] += row[j + h] + row[j - h] where both exist; the one that exists near the ends.
void add_offset(float* __restrict acc, const float* __restrict row, int count, int h)
{
    if (h == 0) {
        for (int j = 0; j < count; j++)
            acc[j] += row[j];
        return;
    }
    const int mid_end = count - h; // j < mid_end: j + h exists
    for (int j = 0; j < std::min(h, mid_end); j++)
        acc[j] += row[j + h];
    for (int j = h; j < mid_end; j++)
        acc[j] += row[j + h] + row[j - h];
    for (int j = std::max(h, mid_end); j < count; j++)
        acc[j] += row[j - h];
}

} // namespace

void migrate_line(const MigrationSetup& s, const CFTrace* const* in, CFTrace* const* out, int count,
                  float& coef)
{
    const int N = s.N;
    if (count <= 0 || N <= 0)
        return;
    std::vector<float> w(size_t(count) * N);
    remove_background(s, in, count, w.data());

    if (!s.migrate || !(s.G > 0.0f) || !std::isfinite(s.G)) {
        // Without a depth scale there is nothing to sum: the line stays background-removed.
        for (int j = 0; j < count; j++)
            std::copy(w.begin() + ptrdiff_t(j) * N, w.begin() + ptrdiff_t(j + 1) * N, out[j]->data);
        return;
    }
    const int u = std::min(s.u, N);
    const double G = s.G, a = s.a;

    // Sample-major copy: row r holds sample r of every trace.
    std::vector<float> wt(size_t(count) * N);
    for (int j = 0; j < count; j++)
        for (int k = 0; k < N; k++)
            wt[size_t(k) * count + j] = w[size_t(j) * N + k];

    std::vector<float> res(size_t(count) * N, 0.0f); // sample-major output
    std::vector<float> acc(static_cast<size_t>(count));
    const double span = G * (N - u);
    for (int k = u; k < N; k++) {
        const double zk = G * (k - u);
        const double apd = std::sqrt(std::max(span * span - zk * zk, 0.0));
        const int ap = apd < double(count) ? int(apd) : count - 1;
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (int h = 0; h <= ap; h++) {
            const int r = travel_time(G, a, u, k, h, N);
            if (r >= N || std::abs(r - k) > kMigrWindow)
                continue;
            add_offset(acc.data(), &wt[size_t(r) * count], count, h);
        }
        float* o = &res[size_t(k) * count];
        for (int j = 0; j < count; j++) {
            const int traces = std::min(j + ap, count - 1) - std::max(j - ap, 0) + 1;
            o[j] = acc[size_t(j)] / float(traces);
        }
    }

    if (coef == 0.0f) {
        for (int j = 0; j < count; j++) {
            const float* x = &w[size_t(j) * N];
            if (trace_empty(x, N))
                continue;
            float in_max = 0, in_min = 0, out_max = 0, out_min = 0;
            for (int k = u; k < N; k++) {
                in_max = std::max(in_max, x[k]);
                in_min = std::min(in_min, x[k]);
                const float y = res[size_t(k) * count + j];
                out_max = std::max(out_max, y);
                out_min = std::min(out_min, y);
            }
            float den = std::max(out_max, std::fabs(out_min));
            if (den == 0.0f)
                den = 1.0f;
            coef = std::max(std::fabs(in_min), in_max) / den;
            break;
        }
    }
    for (int j = 0; j < count; j++) {
        float* y = out[j]->data;
        std::fill(y, y + u, 0.0f);
        for (int k = u; k < N; k++)
            y[k] = res[size_t(k) * count + j] * coef;
    }
}

namespace {

std::vector<CFTrace*> pointers(std::vector<CFTrace>& line, int count)
{
    std::vector<CFTrace*> p(static_cast<size_t>(count));
    for (int i = 0; i < count; i++)
        p[size_t(i)] = &line[size_t(i)];
    return p;
}

} // namespace

void CMatrix::Migration(int d, int line, int count)
{
    if (line < 0 || (d != 0 && d != 1) || line > line_count(d) || line >= int(traces[d].size()))
        return;
    const int T = trace_count(d);
    if (count <= 0 || count > T)
        count = T;
    const MigrationSetup s = migration_setup(*this);
    auto& spare = traces[d][size_t(line_count(d))];
    migrate_line(s, pointers(traces[d][size_t(line)], count).data(), pointers(spare, count).data(), count,
                 migr_coef);
}

void CMatrix::migrate_all() { migrate_all(0); }

void CMatrix::migrate_all(int threads)
{
    migr_coef = 0.0f;
    if (!allocated())
        return;
    const MigrationSetup s = migration_setup(*this);
    std::vector<std::pair<int, int>> jobs;
    for (int d = 0; d < 2; d++)
        for (int i = 0; i < line_count(d); i++)
            jobs.emplace_back(d, i);
    // Each line is migrated in place (its input is copied before the output is written).
    auto run = [&](size_t job, float& coef) {
        const int d = jobs[job].first, i = jobs[job].second;
        auto& line = traces[d][size_t(i)];
        const int T = trace_count(d);
        migrate_line(s, pointers(line, T).data(), pointers(line, T).data(), T, coef);
    };
    // The normalisation comes from the first line that sets it, as when the lines are done
    // one after the other; once it is known the lines are independent.
    size_t next = 0;
    while (next < jobs.size() && (migr_coef == 0.0f || !s.migrate))
        run(next++, migr_coef);
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<size_t> cursor(next);
    const float coef = migr_coef;
    auto worker = [&]() {
        for (size_t j; (j = cursor.fetch_add(1)) < jobs.size();) {
            float c = coef;
            run(j, c);
        }
    };
    std::vector<std::thread> pool;
    try {
        for (int t = 1; t < threads && next < jobs.size(); t++)
            pool.emplace_back(worker);
    } catch (const std::exception&) {
        // Fewer threads than asked: the ones running (and this one) take every line.
    }
    worker();
    for (auto& t : pool)
        t.join();
    // The spare lines hold the last line of each direction, as after migrating one by one.
    for (int d = 0; d < 2; d++)
        if (line_count(d) > 0)
            traces[d][size_t(line_count(d))] = traces[d][size_t(line_count(d) - 1)];
}
