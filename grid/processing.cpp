// Grid processing besides the migration: gap filling, the band-pass filter of every trace,
// and the top-view chain (slice pick, gain along the lines, horizontal filter, interpolation
// between the lines, combining both directions).
#include "grid/matrix.h"

#include "dsp/filter_slots.h"
#include "dsp/float_filter.h"

#include <algorithm>
#include <cmath>

namespace {

// Trace i becomes a + (b - a) * f sample by sample.
void blend(CFTrace& out, const CFTrace& a, const CFTrace& b, float f)
{
    const int n = std::min({out.count, a.count, b.count});
    for (int s = 0; s < n; s++)
        out.data[s] = a.data[s] + (b.data[s] - a.data[s]) * f;
}

int clamp_index(double v, int m) { return std::clamp(int(v), 0, m - 1); } // truncates toward 0

} // namespace

bool CMatrix::Linearization(int d, int line)
{
    const int T = trace_count(d);
    if (line < 0 || line >= line_count(d) || line >= int(filled[d].size()))
        return false;
    auto& tr = traces[d][size_t(line)];
    auto& f = filled[d][size_t(line)];
    int filled_in = 0;
    int s = 0;
    while (s < T) {
        if (f[size_t(s)]) {
            s++;
            continue;
        }
        int e = s;
        while (e < T && !f[size_t(e)])
            e++;
        if (s > 0 && e == T) {
            for (int i = s; i < e; i++)
                tr[size_t(i)] = tr[size_t(s - 1)];
        } else if (s > 0) {
            for (int i = s; i < e; i++)
                blend(tr[size_t(i)], tr[size_t(s - 1)], tr[size_t(e)], float(i - s + 1) / float(e - s + 1));
        } else if (e < T) {
            for (int i = s; i < e; i++)
                tr[size_t(i)] = tr[size_t(e)];
        } else {
            break; // nothing recorded
        }
        for (int i = s; i < e; i++)
            f[size_t(i)] = 1;
        filled_in += e - s;
        s = e;
    }
    return filled_in < T / 2;
}

void CMatrix::lin_all()
{
    for (int d = 0; d < 2; d++)
        for (int i = 0; i < line_count(d); i++)
            Linearization(d, i);
}

void CMatrix::fir_all()
{
    const CFilterPars p = current_filter_pars();
    for (int d = 0; d < 2; d++)
        for (int i = 0; i < line_count(d) && i < int(traces[d].size()); i++)
            for (auto& t : traces[d][size_t(i)])
                fDC_Apply(&t, &t, t.count, p.fir_on, uint16_t(p.fir_high), uint16_t(p.fir_low), p.dc_percent);
}

void CMatrix::PickMax(int d)
{
    const int w = (hd.thickness - 1) / 2;
    for (int i = 0; i < line_count(d) && i < int(line_values[d].size()); i++) {
        for (int j = 0; j < trace_count(d); j++) {
            const CFTrace& t = traces[d][size_t(i)][size_t(j)];
            const int n = std::min(int(hd.samples), t.count);
            float v = 0.0f; // a window wholly outside the trace picks nothing
            if (w <= 0) {
                if (z_slice_index >= 0 && z_slice_index < n)
                    v = t.data[z_slice_index];
            } else {
                const int lo = std::max(z_slice_index - w, 0), hi = std::min(z_slice_index + w, n - 1);
                float mx = 0.0f, mn = 0.0f;
                for (int s = lo; s <= hi; s++) {
                    mx = std::max(mx, t.data[s]);
                    mn = std::min(mn, t.data[s]);
                }
                v = mx - mn;
            }
            line_values[d][size_t(i)][size_t(j)] = v;
        }
    }
}

void CMatrix::AGCFilter(int d)
{
    if (!hd.agc_on)
        return;
    const int h = std::max(hd.agc_window / 2, 0);
    const double A = hd.agc_level;
    const int T = trace_count(d);
    std::vector<float> out(size_t(std::max(T, 0)));
    for (int i = 0; i < line_count(d) && i < int(line_values[d].size()); i++) {
        std::vector<float>& v = line_values[d][size_t(i)];
        // A line no longer than the window is gained over the window cut to the line, as
        // the ends of a long line are.
        double sum = 0.0;
        for (int t = 0; t <= std::min(h, T - 1); t++)
            sum += std::fabs(v[size_t(t)]);
        for (int t = 0; t < T; t++) {
            const int lo = std::max(t - h, 0), hi = std::min(t + h, T - 1);
            const double mean = sum / (hi - lo + 1);
            const double floor = t <= h ? 0.0005 : 0.005;
            out[size_t(t)] = float(A * v[size_t(t)] / std::max(mean, floor));
            if (t + h + 1 < T)
                sum += std::fabs(v[size_t(t + h + 1)]);
            if (t - h >= 0)
                sum -= std::fabs(v[size_t(t - h)]);
        }
        std::copy(out.begin(), out.end(), v.begin());
    }
}

void CMatrix::ThresholdFilter(int d, int /*level*/)
{
    const int T = trace_count(d);
    CFTrace row(std::max(T, 1));
    row.count = T;
    const int dc_percent = current_filter_pars().dc_percent;
    for (int i = 0; i < line_count(d) && i < int(line_values[d].size()); i++) {
        std::vector<float>& v = line_values[d][size_t(i)];
        std::copy(v.begin(), v.end(), row.data);
        fDC_Apply(&row, &row, T, hd.hfir_on, uint16_t(std::max<int16_t>(hd.dc_window, 0)),
                  uint16_t(std::max<int16_t>(hd.dc_step, 0)), dc_percent);
        std::copy(row.data, row.data + T, v.begin());
        const int across = line_step * i;
        for (int t = 0; t < T; t++) {
            // With an x-step override the direction-0 lines may lie beyond the map.
            if (d == 0 && across < nx)
                maps[0][size_t(across)][size_t(t)] = v[size_t(t)];
            else if (d == 1 && across < ny)
                maps[1][size_t(t)][size_t(across)] = v[size_t(t)];
        }
    }
}

void CMatrix::Interpolation(int d)
{
    if ((d != 0 && d != 1) || maps[d].empty())
        return;
    const double tau = std::tan(hd.interpolation_angle * M_PI / 180.0);
    const int c = line_step;
    const int n = d == 0 ? nx : ny, m = d == 0 ? ny : nx;
    auto& map = maps[d];
    auto V = [&](int across, int along) -> float {
        return d == 0 ? map[size_t(across)][size_t(along)] : map[size_t(along)][size_t(across)];
    };
    for (int i = 0; i < m; i++) {
        for (int k = 1; k <= n - 2; k++) {
            if (k % c == 0)
                continue;
            const int P = c * (k / c), Q = P + c;
            const int dq = Q - k, dp = k % c;
            int h, g;
            if (d == 1) {
                h = clamp_index(i + tau * dq, m);
                g = clamp_index(i - tau * dp, m);
            } else {
                h = clamp_index(i - tau * dq, m);
                g = clamp_index(i + tau * dp, m);
            }
            const float value = Q < n - 1 ? (dq * V(P, g) + dp * V(Q, h)) / float(c) : V(P, g);
            if (d == 0)
                map[size_t(k)][size_t(i)] = value;
            else
                map[size_t(i)][size_t(k)] = value;
        }
    }
}

void CMatrix::Combine()
{
    if (maps[2].empty())
        return;
    const float c = float(hd.threshold_level) * 100.0f;
    for (int x = 0; x < nx; x++) {
        for (int y = 0; y < ny; y++) {
            float v = (maps[0][size_t(x)][size_t(y)] + maps[1][size_t(x)][size_t(y)]) * 0.5f;
            if (c > 0 && v <= c)
                v = -1000.0f;
            else if (c < 0 && v >= c)
                v = 1000.0f;
            maps[2][size_t(x)][size_t(y)] = v;
        }
    }
}

void CMatrix::tv_process()
{
    if (!allocated())
        return;
    if (top_view_mode == 0) {
        for (auto& row : maps[2])
            std::fill(row.begin(), row.end(), 0.0f);
    } else if (top_view_mode == 1) {
        for (int d = 0; d < 2; d++) {
            PickMax(d);
            AGCFilter(d);
            ThresholdFilter(d, 0);
            Interpolation(d);
        }
        Combine();
    }
}
