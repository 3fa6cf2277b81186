// cusim-png: draws the radargram of a ground-truth file as a grey-scale PNG, the way a GPR
// display shows raw data: one column per trace, DC removed per trace, a time-varying gain, and
// the amplitudes scaled so that the strongest 0.5 % saturate.
#include "sim/cu/truth.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace cusim;

namespace {

// Grey-scale 8-bit PNG; nothing here changes after setjmp, so the jump leaves no stale locals.
bool write_png(const std::string& path, const std::vector<uint8_t>& img, size_t w, size_t h)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) { std::fprintf(stderr, "cusim-png: cannot create %s\n", path.c_str()); return false; }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        std::fprintf(stderr, "cusim-png: PNG write error\n");
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (size_t y = 0; y < h; ++y) png_write_row(png, &img[y * w]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: cusim-png TRUTH OUT.png [--measurement N] [--gain G] [--max-width W]\n");
        return 2;
    }
    const std::string in = argv[1], out = argv[2];
    long measurement = -1;
    double gain = 2.5;
    size_t max_width = 2000;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--measurement")) measurement = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--gain")) gain = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--max-width")) max_width = size_t(std::max(1L, std::atol(argv[i + 1])));
        else { std::fprintf(stderr, "cusim-png: unknown option %s\n", argv[i]); return 2; }
    }
    std::vector<Trace> all;
    std::string error;
    if (!read_truth(in, all, error)) { std::fprintf(stderr, "cusim-png: %s\n", error.c_str()); return 1; }
    if (measurement < 0) {   // the measurement with the most traces
        std::map<uint32_t, size_t> count;
        for (const Trace& t : all) if (t.measurement) ++count[t.measurement];
        size_t best = 0;
        for (auto& [m, n] : count) if (n > best) { best = n; measurement = m; }
    }
    std::vector<const Trace*> sel;
    for (const Trace& t : all)
        if (long(t.measurement) == measurement && t.source != 'K') sel.push_back(&t);
    if (sel.empty()) { std::fprintf(stderr, "cusim-png: no traces in measurement %ld\n", measurement); return 1; }
    const size_t step = (sel.size() + max_width - 1) / max_width;
    const size_t n = sel.front()->samples;
    std::vector<std::vector<double>> cols;
    for (size_t c = 0; c < sel.size(); c += step) {
        const Trace& t = *sel[c];
        if (t.samples != n) continue;
        std::vector<double> v(n);
        double mean = 0;
        for (size_t i = 0; i < n; ++i) {
            v[i] = double(int32_t(t.sample32(t.clipped + i))) / 65536.0;
            mean += v[i];
        }
        mean /= double(n);
        for (size_t i = 0; i < n; ++i) {
            const double x = double(i) / double(n);
            v[i] = (v[i] - mean) * (1 + 4 * gain * x) * std::exp(gain * x);
        }
        cols.push_back(std::move(v));
    }
    std::vector<double> mags;
    for (auto& c : cols) for (double v : c) mags.push_back(std::fabs(v));
    std::nth_element(mags.begin(), mags.begin() + long(mags.size() * 995 / 1000), mags.end());
    const double scale = 127.0 / std::max(1e-9, mags[mags.size() * 995 / 1000]);

    const size_t w = cols.size(), h = n;
    std::vector<uint8_t> img(w * h);
    for (size_t x = 0; x < w; ++x)
        for (size_t y = 0; y < h; ++y)
            img[y * w + x] = uint8_t(std::clamp(128.0 + cols[x][y] * scale, 0.0, 255.0));

    if (!write_png(out, img, w, h)) return 1;
    std::printf("cusim-png: %zu x %zu radargram of measurement %ld written to %s\n", w, h, measurement, out.c_str());
    return 0;
}
