// The migration's summation written plainly, as a reference for the fast one (tests and
// benchmarks): every table entry computed, every trace of the aperture visited, the
// background mean recomputed from scratch for every trace.
#pragma once

#include "grid/migration.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace migration_reference {

using Traces = std::vector<std::vector<float>>;

inline bool empty_trace(const std::vector<float>& t)
{
    const int N = int(t.size());
    return t[10] == 0.0f && t[size_t(N - 10)] == 0.0f;
}

inline Traces reference(const MigrationSetup& s, const Traces& in, int count, float& coef)
{
    const int N = s.N;
    Traces w(in.begin(), in.begin() + count);
    if (s.bg_on && s.bg_traces >= 2) {
        std::vector<double> mean(size_t(N), 0.0);
        for (int i = 0; i < count; i++) {
            const int lo = i < s.bg_traces ? 0 : i - s.bg_traces;
            const int hi = i < s.bg_traces ? std::min(count, s.bg_traces) : i;
            std::vector<double> sum(size_t(N), 0.0);
            int held = 0;
            for (int t = lo; t < hi; t++)
                if (!empty_trace(in[size_t(t)])) {
                    held++;
                    for (int k = 0; k < N; k++)
                        sum[size_t(k)] += in[size_t(t)][size_t(k)];
                }
            if (held > 0)
                for (int k = 0; k < N; k++)
                    mean[size_t(k)] = sum[size_t(k)] / held;
            if (!empty_trace(in[size_t(i)]))
                for (int k = 0; k < N; k++)
                    w[size_t(i)][size_t(k)] = in[size_t(i)][size_t(k)] - float(mean[size_t(k)]);
        }
    }
    if (!s.migrate)
        return w;
    const int u = s.u;
    const double G = s.G, a = s.a;
    std::vector<int> ap(size_t(N), 0);
    std::vector<std::vector<int>> R(size_t(N), std::vector<int>(size_t(count), 0));
    for (int k = u; k < N; k++) {
        const double z2 = (G * (k - u)) * (G * (k - u));
        ap[size_t(k)] = table_index(std::sqrt(G * G * (N - u) * (N - u) - z2));
        for (int h = 0; h < count; h++)
            R[size_t(k)][size_t(h)] = table_index((std::sqrt(z2 + (a + h) * (a + h)) + std::sqrt(z2 + (h - a) * (h - a))) * 0.5 / G + u);
    }
    Traces out(size_t(count), std::vector<float>(size_t(N), 0.0f));
    for (int j = 0; j < count; j++)
        for (int k = u; k < N; k++) {
            const int lo = std::max(j - ap[size_t(k)], 0), hi = std::min(j + ap[size_t(k)], count - 1);
            double sum = 0;
            for (int l = lo; l <= hi; l++) {
                const int r = R[size_t(k)][size_t(std::abs(l - j))];
                if (r < N && std::abs(r - k) <= 119)
                    sum += w[size_t(l)][size_t(r)];
            }
            out[size_t(j)][size_t(k)] = float(sum / (hi - lo + 1));
        }
    if (coef == 0.0f)
        for (int j = 0; j < count; j++) {
            if (empty_trace(w[size_t(j)]))
                continue;
            float in_max = 0, in_min = 0, out_max = 0, out_min = 0;
            for (int k = u; k < N; k++) {
                in_max = std::max(in_max, w[size_t(j)][size_t(k)]);
                in_min = std::min(in_min, w[size_t(j)][size_t(k)]);
                out_max = std::max(out_max, out[size_t(j)][size_t(k)]);
                out_min = std::min(out_min, out[size_t(j)][size_t(k)]);
            }
            const float den = std::max(out_max, -out_min);
            coef = std::max(-in_min, in_max) / (den == 0 ? 1.0f : den);
            break;
        }
    for (auto& t : out)
        for (auto& v : t)
            v *= coef;
    return out;
}

} // namespace migration_reference
