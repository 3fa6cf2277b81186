// Draws the radargram's data files for development builds: the two background bitmaps that
// give the radargram its size (images/empty1_1024.bmp with the screen's button column,
// images/empty3_1024.bmp for full screen) and the two colour palettes (VeryGood.pal,
// GeoPalette.pal: 64 little-endian words 0x00BBGGRR each).
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgb {
    uint8_t r, g, b;
};

void put16(std::vector<uint8_t>& v, uint32_t x) { v.push_back(x & 0xFF); v.push_back((x >> 8) & 0xFF); }
void put32(std::vector<uint8_t>& v, uint32_t x) { put16(v, x & 0xFFFF); put16(v, x >> 16); }

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// The empty radargram: a dark field with a faint frame and a few depth lines.
bool background(const std::string& path, int w, int h)
{
    const int row = (w * 3 + 3) & ~3;
    std::vector<uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    put32(v, uint32_t(54 + row * h));
    put32(v, 0);
    put32(v, 54);
    put32(v, 40);
    put32(v, uint32_t(w));
    put32(v, uint32_t(h));
    put16(v, 1);
    put16(v, 24);
    put32(v, 0);
    put32(v, uint32_t(row * h));
    put32(v, 2835);
    put32(v, 2835);
    put32(v, 0);
    put32(v, 0);
    for (int y = h - 1; y >= 0; y--) { // bottom-up rows
        for (int x = 0; x < w; x++) {
            Rgb c{20, 22, 30};
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
                c = {90, 90, 110};
            else if (y % 100 == 0 && x % 8 < 4)
                c = {44, 46, 60};
            v.push_back(c.b);
            v.push_back(c.g);
            v.push_back(c.r);
        }
        for (int p = w * 3; p < row; p++)
            v.push_back(0);
    }
    return write_file(path, v);
}

// A 64-colour palette interpolated through the given stops.
bool palette(const std::string& path, const std::vector<Rgb>& stops)
{
    std::vector<uint8_t> v;
    const int n = int(stops.size()) - 1;
    for (int i = 0; i < 64; i++) {
        const double t = i / 63.0 * n;
        const int k = t >= n ? n - 1 : int(t);
        const double f = t - k;
        auto mix = [&](uint8_t a, uint8_t b) { return uint8_t(a + (b - a) * f + 0.5); };
        const Rgb c{mix(stops[k].r, stops[k + 1].r), mix(stops[k].g, stops[k + 1].g),
                    mix(stops[k].b, stops[k + 1].b)};
        put32(v, uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16);
    }
    return write_file(path, v);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: make_display_assets ASSET_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = background(dir + "/images/empty1_1024.bmp", 826, 680);
    // Full screen: everything below the distance ruler but the scroll bar and the status
    // strip with the battery (gui/rows_measurement.cpp).
    ok &= background(dir + "/images/empty3_1024.bmp", 994, 696);
    // Negative amplitudes blue, positive red, zero white: polarity at a glance.
    ok &= palette(dir + "/VeryGood.pal", {{0, 0, 96}, {0, 64, 255}, {160, 220, 255}, {255, 255, 255},
                                          {255, 230, 120}, {255, 64, 0}, {120, 0, 0}});
    // Earth tones: weak reflections fade into a sand colour, strong ones stand out dark or bright.
    ok &= palette(dir + "/GeoPalette.pal", {{0, 0, 0}, {70, 40, 20}, {150, 100, 50}, {215, 190, 140},
                                           {250, 240, 180}, {255, 200, 60}, {255, 255, 255}});
    if (!ok) {
        fprintf(stderr, "make_display_assets: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
