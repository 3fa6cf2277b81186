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
#include <memory>
#include <thread>
#include <utility>
#include <vector>
#ifdef __SSE__
#include <xmmintrin.h>
#endif

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

namespace {

// The loops below run over whole traces; they are built for the wider vector units too, and
// the processor picks the version it can run. The pick (an ifunc resolver) runs while the
// program is loaded, before ThreadSanitizer's runtime is up, so a TSan build keeps one version.
#if (defined(__x86_64__) || defined(__i386__)) && !defined(__SANITIZE_THREAD__)
#define GRID_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define GRID_VECTOR_CLONES
#endif

GRID_VECTOR_CLONES void add_scaled(double* __restrict sum, const float* __restrict x, int n, double sign)
{
    for (int k = 0; k < n; k++)
        sum[k] += sign * x[k];
}

GRID_VECTOR_CLONES void mean_of(float* __restrict mean, const double* __restrict sum, int n, double inv)
{
    for (int k = 0; k < n; k++)
        mean[k] = float(sum[k] * inv);
}

GRID_VECTOR_CLONES void subtract(float* __restrict y, const float* __restrict x, const float* __restrict m, int n)
{
    for (int k = 0; k < n; k++)
        y[k] = x[k] - m[k];
}

// The background-removed traces one by one: emit(i, samples) for i = 0 .. count - 1, in order.
// The samples are the input trace itself when nothing is removed from it.
template <class Emit> void background_rows(const MigrationSetup& s, const CFTrace* const* in, int count, Emit emit)
{
    const int N = s.N;
    const int g = s.bg_traces;
    if (!s.bg_on || g < 2) {
        for (int i = 0; i < count; i++)
            emit(i, in[i]->data);
        return;
    }
    std::vector<char> empty(static_cast<size_t>(count));
    for (int i = 0; i < count; i++)
        empty[size_t(i)] = trace_empty(in[i]->data, N);
    std::vector<double> sum(size_t(N), 0.0);
    std::vector<float> mean(size_t(N), 0.0f); // the previous mean stands while a window is empty
    std::vector<float> row(static_cast<size_t>(N));
    auto add = [&](int t, double sign) {
        if (empty[size_t(t)])
            return 0;
        add_scaled(sum.data(), in[t]->data, N, sign);
        return 1;
    };
    int lo = 0, hi = 0, held = 0;
    for (int i = 0; i < count; i++) {
        const int nlo = i < g ? 0 : i - g, nhi = i < g ? std::min(count, g) : i;
        if (i > 0 && held >= 4) {
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
        lo = nlo;
        hi = nhi;
        if (held > 0)
            mean_of(mean.data(), sum.data(), N, 1.0 / held);
        if (empty[size_t(i)]) {
            emit(i, in[i]->data);
            continue;
        }
        subtract(row.data(), in[i]->data, mean.data(), N);
        emit(i, row.data());
    }
}

} // namespace

void remove_background(const MigrationSetup& s, const CFTrace* const* in, int count, float* w)
{
    const int N = s.N;
    background_rows(s, in, count, [&](int i, const float* x) { std::copy(x, x + N, w + size_t(i) * N); });
}

namespace {

constexpr int kBlock = 16; // traces or samples moved together between the two layouts

// d_c[r] = s_r[c] for r, c < 4: one 4 x 4 tile between the two layouts.
inline void tile4(const float* s0, const float* s1, const float* s2, const float* s3, float* d0, float* d1,
                  float* d2, float* d3)
{
#ifdef __SSE__
    __m128 a = _mm_loadu_ps(s0), b = _mm_loadu_ps(s1), c = _mm_loadu_ps(s2), d = _mm_loadu_ps(s3);
    _MM_TRANSPOSE4_PS(a, b, c, d);
    _mm_storeu_ps(d0, a);
    _mm_storeu_ps(d1, b);
    _mm_storeu_ps(d2, c);
    _mm_storeu_ps(d3, d);
#else
    const float* s[4] = {s0, s1, s2, s3};
    float* d[4] = {d0, d1, d2, d3};
    for (int r = 0; r < 4; r++)
        for (int col = 0; col < 4; col++)
            d[col][r] = s[r][col];
#endif
}

// Travel time in samples of offset h at output sample k, or N when it lies beyond the
// trace (the conversion of a huge value would not be defined).
int travel_time(double G, double a, int u, int k, int h, int N)
{
    const double zk = double(G) * (k - u);
    const double z2 = zk * zk;
    const double v = (std::sqrt(z2 + (a + h) * (a + h)) + std::sqrt(z2 + (h - a) * (h - a))) * 0.5 / G + u;
    return v < double(N) ? std::min(table_index(v), N) : N;
}

// acc[j] += row[j + h] + row[j - h] for j in [from, to), each term where it exists.
GRID_VECTOR_CLONES void add_offset_part(float* __restrict acc, const float* __restrict row, int count, int h,
                                        int from, int to)
{
    const int both_lo = std::max(from, h), both_hi = std::min(to, count - h);
    for (int j = both_lo; j < both_hi; j++)
        acc[j] += row[j + h] + row[j - h];
    for (int j = from, e = std::min({to, h, count - h}); j < e; j++) // j - h before the line
        acc[j] += row[j + h];
    for (int j = std::max({from, count - h, h}); j < to; j++) // j + h beyond it
        acc[j] += row[j - h];
}

// Four offsets at once, where all of their terms exist (j in [lo, hi)): one pass over acc
// instead of four.
GRID_VECTOR_CLONES void add_offsets4(float* __restrict acc, const float* __restrict r0, const float* __restrict r1,
                                     const float* __restrict r2, const float* __restrict r3, int h0, int h1,
                                     int h2, int h3, int lo, int hi)
{
    for (int j = lo; j < hi; j++)
        acc[j] += ((r0[j + h0] + r0[j - h0]) + (r1[j + h1] + r1[j - h1])) +
                  ((r2[j + h2] + r2[j - h2]) + (r3[j + h3] + r3[j - h3]));
}

GRID_VECTOR_CLONES void add_offset1(float* __restrict acc, const float* __restrict r, int h, int lo, int hi)
{
    for (int j = lo; j < hi; j++)
        acc[j] += r[j + h] + r[j - h];
}

GRID_VECTOR_CLONES void add_row(float* __restrict acc, const float* __restrict r, int count)
{
    for (int j = 0; j < count; j++)
        acc[j] += r[j];
}

// Adds the offsets h[i] (rows[i]; all h[i] > 0, ascending) to acc.
void add_offsets(float* acc, const float* const* rows, const int* h, int n, int count)
{
    const int hmax = n > 0 ? h[n - 1] : 0;
    const int lo = std::min(hmax, count), hi = std::max(lo, count - hmax);
    // Near the ends some terms fall outside the line.
    for (int i = 0; i < n; i++) {
        add_offset_part(acc, rows[i], count, h[i], 0, lo);
        add_offset_part(acc, rows[i], count, h[i], hi, count);
    }
    int i = 0;
    for (; i + 4 <= n; i += 4)
        add_offsets4(acc, rows[i], rows[i + 1], rows[i + 2], rows[i + 3], h[i], h[i + 1], h[i + 2], h[i + 3], lo,
                     hi);
    for (; i < n; i++)
        add_offset1(acc, rows[i], h[i], lo, hi);
}

} // namespace

void migrate_line(const MigrationSetup& s, const CFTrace* const* in, CFTrace* const* out, int count,
                  float& coef)
{
    const int N = s.N;
    if (count <= 0 || N <= 0)
        return;
    if (!s.migrate || !(s.G > 0.0f) || !std::isfinite(s.G)) {
        // Without a depth scale there is nothing to sum: the line stays background-removed.
        // (Through a copy: the output may be the input, which the removal still reads.)
        std::vector<float> w(size_t(count) * N);
        remove_background(s, in, count, w.data());
        for (int j = 0; j < count; j++)
            std::copy(w.begin() + ptrdiff_t(j) * N, w.begin() + ptrdiff_t(j + 1) * N, out[j]->data);
        return;
    }
    const int u = std::min(s.u, N);
    const double G = s.G, a = s.a;

    // The background-removed input, sample-major: row r holds sample r of every trace. It is
    // complete before the first output sample is written, so out may be the input.
    // Traces are gathered kBlock at a time and written as runs of kBlock floats per sample.
    std::unique_ptr<float[]> wt(new float[size_t(count) * N]);
    std::vector<float> block(size_t(kBlock) * N);
    int first_full = -1; // the first non-empty trace, for the normalisation
    auto flush_in = [&](int first, int n) {
        const float* src = block.data();
        const int n4 = n & ~3, N4 = N & ~3;
        for (int k = 0; k < N4; k += 4)
            for (int b = 0; b < n4; b += 4) {
                const float* s0 = src + size_t(b) * N + k;
                float* d0 = &wt[size_t(k) * count + first + b];
                tile4(s0, s0 + N, s0 + 2 * N, s0 + 3 * N, d0, d0 + count, d0 + 2 * count, d0 + 3 * count);
            }
        for (int k = 0; k < N; k++)
            for (int b = k < N4 ? n4 : 0; b < n; b++)
                wt[size_t(k) * count + first + b] = src[size_t(b) * N + k];
    };
    background_rows(s, in, count, [&](int i, const float* x) {
        std::copy(x, x + N, &block[size_t(i % kBlock) * N]);
        if (first_full < 0 && !trace_empty(x, N))
            first_full = i;
        if (i % kBlock == kBlock - 1 || i == count - 1)
            flush_in(i - i % kBlock, i % kBlock + 1);
    });
    // Output samples likewise: kBlock samples of every trace, then written trace by trace.
    std::vector<float> rows(size_t(kBlock) * count);
    auto flush_out = [&](int k0, int n) {
        const float* src = rows.data();
        const int n4 = n & ~3, c4 = count & ~3;
        for (int j = 0; j < c4; j += 4)
            for (int b = 0; b < n4; b += 4) {
                const float* s0 = src + size_t(b) * count + j;
                tile4(s0, s0 + count, s0 + 2 * count, s0 + 3 * count, out[j]->data + k0 + b,
                      out[j + 1]->data + k0 + b, out[j + 2]->data + k0 + b, out[j + 3]->data + k0 + b);
            }
        for (int j = 0; j < count; j++)
            for (int b = j < c4 ? n4 : 0; b < n; b++)
                out[j]->data[k0 + b] = src[size_t(b) * count + j];
    };

    std::vector<int> offs(static_cast<size_t>(count));
    std::vector<const float*> offs_rows(static_cast<size_t>(count));
    const bool known = coef != 0.0f;
    const float scale = known ? coef : 1.0f;
    const double span = G * (N - u);
    for (int k = u; k < N; k++) {
        const double zk = G * (k - u);
        const double apd = std::sqrt(std::max(span * span - zk * zk, 0.0));
        const int ap = apd < double(count) ? table_index(apd) : count - 1;
        float* acc = &rows[size_t((k - u) % kBlock) * count];
        std::fill(acc, acc + count, 0.0f);
        // The offsets that contribute: a travel time inside the trace and the window.
        int n = 0;
        for (int h = 0; h <= ap; h++) {
            const int r = travel_time(G, a, u, k, h, N);
            if (r >= N || std::abs(r - k) > kMigrWindow)
                continue;
            if (h == 0) {
                add_row(acc, &wt[size_t(r) * count], count);
                continue;
            }
            offs[size_t(n)] = h;
            offs_rows[size_t(n)] = &wt[size_t(r) * count];
            n++;
        }
        add_offsets(acc, offs_rows.data(), offs.data(), n, count);
        // The mean over the traces of the aperture (2 ap + 1 of them away from the ends), and
        // the normalisation when it is already known.
        const int edge = std::min(ap, count);
        const float inner = scale / float(2 * ap + 1);
        for (int j = 0; j < edge; j++)
            acc[j] = acc[j] / float(std::min(j + ap, count - 1) + 1) * scale;
        for (int j = edge; j < count - edge; j++)
            acc[j] *= inner;
        for (int j = std::max(edge, count - edge); j < count; j++)
            acc[j] = acc[j] / float(count - std::max(j - ap, 0)) * scale;
        if ((k - u) % kBlock == kBlock - 1 || k == N - 1)
            flush_out(k - (k - u) % kBlock, (k - u) % kBlock + 1);
    }

    if (!known && first_full >= 0) {
        float in_max = 0, in_min = 0, out_max = 0, out_min = 0;
        for (int k = u; k < N; k++) {
            const float x = wt[size_t(k) * count + first_full], y = out[first_full]->data[k];
            in_max = std::max(in_max, x);
            in_min = std::min(in_min, x);
            out_max = std::max(out_max, y);
            out_min = std::min(out_min, y);
        }
        float den = std::max(out_max, std::fabs(out_min));
        if (den == 0.0f)
            den = 1.0f;
        coef = std::max(std::fabs(in_min), in_max) / den;
    }
    for (int j = 0; j < count; j++) {
        float* y = out[j]->data;
        std::fill(y, y + u, 0.0f);
        if (!known)
            for (int k = u; k < N; k++)
                y[k] *= coef;
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
