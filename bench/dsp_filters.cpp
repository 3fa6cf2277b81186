// The acquisition filter per trace (triangular high-pass + 61-tap band-pass) next to the plain
// 61-tap convolution loop, in traces per second on one core.
#include "dsp/acq_filter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

std::vector<int32_t> make_trace(int n)
{
    std::mt19937 rng(42);
    std::uniform_int_distribution<int32_t> noise(-(1 << 24), 1 << 24);
    std::vector<int32_t> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = static_cast<int32_t>(4e8 * std::sin(i * 0.07) * std::exp(-i / 400.0)) + noise(rng) +
               (1 << 28);
    return v;
}

// The same 61-tap convolution written as simply as possible: one dot product per output over
// the taps inside the trace.
__attribute__((noinline)) void simple_bpf(const double* in, int32_t* out, int n)
{
    for (int i = 0; i < n; ++i) {
        const int lo = std::max(0, i - 30), hi = std::min(n - 1, i + 30);
        double s = 0.0;
        for (int j = lo; j <= hi; ++j)
            s += bpf_H[j - i + 30] * in[j];
        out[i] = s >= 2147483647.0 ? INT32_MAX : s <= -2147483648.0 ? INT32_MIN : int32_t(s);
    }
}

void BM_DC_Apply_FIR(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const auto in = make_trace(n);
    std::vector<int32_t> out(n);
    CFilterPars p;
    p.samples = n;
    p.fir_on = true;
    p.fir_high = 50;
    for (auto _ : state) {
        DC_Apply(in.data(), out.data(), p);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations()); // traces
}

void BM_SimpleConvolution61(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const auto t = make_trace(n);
    std::vector<double> in(t.begin(), t.end());
    std::vector<int32_t> out(n);
    for (auto _ : state) {
        simple_bpf(in.data(), out.data(), n);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ConvolveBPF(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const auto t = make_trace(n);
    std::vector<double> in(t.begin(), t.end());
    std::vector<int32_t> out(n);
    for (auto _ : state) {
        convolve_BPF(in.data(), out.data(), n);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_DC_Apply_DCRemoval(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const auto in = make_trace(n);
    std::vector<int32_t> out(n);
    CFilterPars p;
    p.samples = n;
    p.fir_on = false;
    p.dc_on = true;
    for (auto _ : state) {
        DC_Apply(in.data(), out.data(), p);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_DC_Apply_FIR)->Arg(512)->Arg(1024)->Arg(2048);
BENCHMARK(BM_SimpleConvolution61)->Arg(512)->Arg(1024)->Arg(2048);
BENCHMARK(BM_ConvolveBPF)->Arg(512)->Arg(1024)->Arg(2048);
BENCHMARK(BM_DC_Apply_DCRemoval)->Arg(512)->Arg(1024)->Arg(2048);
