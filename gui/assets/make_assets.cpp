// Draws the monitor's button, slider and arrow bitmaps and writes them as 24-bit BMP files:
//   make_assets OUTPUT_FOLDER
// Buttons are rounded, softly shaded plates on the screen background RGB (53, 38, 38); the
// pressed look is the same plate sunk (darker, light from below). Arrows for the scroll
// bars and the zoom indicator are drawn on white, which the program uses as colour key.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct RGB {
    double r, g, b;
};

RGB mix(RGB a, RGB b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

struct Image {
    int w, h;
    std::vector<RGB> px;
    Image(int w_, int h_, RGB fill) : w(w_), h(h_), px(size_t(w_) * h_, fill) {}
    RGB& at(int x, int y) { return px[size_t(y) * w + x]; }
};

const RGB kBackground{53, 38, 38};
const RGB kWhite{255, 255, 255};

bool write_bmp(const Image& img, const std::string& path)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    int row = (img.w * 3 + 3) & ~3;
    uint32_t data = uint32_t(row) * img.h, size = 54 + data;
    uint8_t hdr[54] = {'B', 'M'};
    auto put32 = [&](int off, uint32_t v) {
        for (int i = 0; i < 4; i++)
            hdr[off + i] = uint8_t(v >> (8 * i));
    };
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(img.w));
    put32(22, uint32_t(img.h));
    hdr[26] = 1;
    hdr[28] = 24;
    put32(34, data);
    put32(38, 2835);
    put32(42, 2835);
    fwrite(hdr, 1, sizeof hdr, f);
    std::vector<uint8_t> line(size_t(row), 0);
    for (int y = img.h - 1; y >= 0; y--) {
        for (int x = 0; x < img.w; x++) {
            const RGB& c = img.px[size_t(y) * img.w + x];
            auto clamp = [](double v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : std::lround(v)); };
            line[size_t(x) * 3] = clamp(c.b);
            line[size_t(x) * 3 + 1] = clamp(c.g);
            line[size_t(x) * 3 + 2] = clamp(c.r);
        }
        fwrite(line.data(), 1, line.size(), f);
    }
    return fclose(f) == 0;
}

// Coverage (0..1) of pixel (x, y) by a rounded rectangle, 4 x 4 samples per pixel.
double coverage(double x, double y, double x0, double y0, double x1, double y1, double r)
{
    int inside = 0;
    for (int sy = 0; sy < 4; sy++)
        for (int sx = 0; sx < 4; sx++) {
            double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
            if (px < x0 || px > x1 || py < y0 || py > y1)
                continue;
            double cx = px < x0 + r ? x0 + r : px > x1 - r ? x1 - r : px;
            double cy = py < y0 + r ? y0 + r : py > y1 - r ? y1 - r : py;
            double dx = px - cx, dy = py - cy;
            if (dx * dx + dy * dy <= r * r)
                inside++;
        }
    return inside / 16.0;
}

struct Plate {
    RGB top, bottom, rim_light, rim_dark;
};

// A rounded plate: a dark outline, a one-pixel bevel (light on the lit side), and a
// vertical gradient face.
Image plate(int w, int h, const Plate& p, bool pressed)
{
    Image img(w, h, kBackground);
    double r = std::min(h / 3.0, 14.0);
    RGB outline{18, 12, 12};
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            double outer = coverage(x, y, 0.5, 0.5, w - 0.5, h - 0.5, r);
            if (outer <= 0)
                continue;
            double bevel = coverage(x, y, 2, 2, w - 2, h - 2, r - 1.5);
            double face = coverage(x, y, 3.5, 3.5, w - 3.5, h - 3.5, r - 3);
            double t = double(y) / (h - 1);
            if (pressed)
                t = 1 - t * 0.85;
            RGB c = mix(p.top, p.bottom, t);
            // Upper half of the bevel catches the light (lower half when pressed).
            bool lit = pressed ? y > h / 2 : y < h / 2;
            RGB rim = lit ? p.rim_light : p.rim_dark;
            RGB v = mix(rim, c, face);
            v = mix(outline, v, bevel);
            img.at(x, y) = mix(kBackground, v, outer);
        }
    // A soft gloss band over the upper part of a raised plate.
    if (!pressed)
        for (int y = 4; y < h / 2; y++)
            for (int x = 4; x < w - 4; x++) {
                double f = coverage(x, y, 4, 4, w - 4, h / 2.0, r - 4);
                double k = 0.10 * (1 - double(y) / (h / 2.0));
                img.at(x, y) = mix(img.at(x, y), kWhite, f * k);
            }
    return img;
}

const Plate kSteel{{92, 84, 92}, {40, 34, 42}, {150, 140, 150}, {24, 18, 24}};
const Plate kSteelDown{{34, 28, 36}, {70, 62, 72}, {110, 100, 112}, {20, 14, 20}};
const Plate kRed{{150, 48, 42}, {82, 20, 18}, {210, 110, 100}, {40, 10, 10}};
const Plate kRedDown{{70, 16, 14}, {120, 36, 32}, {170, 80, 70}, {30, 8, 8}};

// A filled triangle arrow (direction: 0 up, 1 down, 2 left, 3 right) on a plate or on white.
Image arrow(int size, int dir, bool on_white, bool pressed)
{
    Image img = on_white ? Image(size, size, kWhite)
                         : plate(size, size, pressed ? kSteelDown : kSteel, pressed);
    RGB ink = on_white ? RGB{255, 255, 0} : RGB{230, 230, 200};
    if (on_white && pressed)
        ink = {0, 0, 255};
    double c = size / 2.0, a = size * 0.28;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            int n = 0;
            for (int s = 0; s < 16; s++) {
                double px = x + (s % 4 + 0.5) / 4 - c, py = y + (s / 4 + 0.5) / 4 - c;
                double u, v; // u along the arrow (tip at +a), v across
                switch (dir) {
                case 0: u = -py; v = px; break;
                case 1: u = py; v = px; break;
                case 2: u = -px; v = py; break;
                default: u = px; v = py; break;
                }
                if (u <= a && u >= -a * 0.6 && std::fabs(v) <= (a - u) * 0.75)
                    n++;
            }
            if (n)
                img.at(x, y) = mix(img.at(x, y), ink, n / 16.0);
        }
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_assets OUTPUT_FOLDER\n");
        return 2;
    }
    std::string out = std::string(argv[1]) + "/";
    struct Pair { const char* up; const char* dn; int w, h; bool red; };
    const Pair pairs[] = {
        {"bt_up_hr.bmp", "bt_dn_hr.bmp", 420, 66, false},  // menus and parameter rows
        {"bt2_up_hr.bmp", "bt2_dn_hr.bmp", 260, 60, false}, // dialog buttons
        {"bt3_up_hr.bmp", "bt3_dn_hr.bmp", 120, 64, false}, // radargram screen column
        {"bt4_up.bmp", nullptr, 200, 50, false},
        {"bt5_up.bmp", "bt5_dn.bmp", 300, 56, false},
        {"bt6_up.bmp", "bt6_dn.bmp", 160, 56, false},
        {"bt7_up.bmp", "bt7_dn.bmp", 100, 56, false},
        {"quitl_up.bmp", "quitl_dn.bmp", 420, 66, true},     // shut down / quit
        {"sl_up.bmp", "sl_dn.bmp", 300, 40, false},          // sliders
    };
    bool ok = true;
    for (const Pair& p : pairs) {
        ok &= write_bmp(plate(p.w, p.h, p.red ? kRed : kSteel, false), out + p.up);
        if (p.dn)
            ok &= write_bmp(plate(p.w, p.h, p.red ? kRedDown : kSteelDown, true), out + p.dn);
    }
    ok &= write_bmp(arrow(24, 0, true, false), out + "arr_ver_up.bmp");
    ok &= write_bmp(arrow(24, 1, true, true), out + "arr_ver_dn.bmp");
    ok &= write_bmp(arrow(15, 2, false, false), out + "scroll_left.bmp");
    ok &= write_bmp(arrow(15, 3, false, false), out + "scroll_right.bmp");
    ok &= write_bmp(arrow(15, 0, false, false), out + "scroll_vup.bmp");
    ok &= write_bmp(arrow(15, 1, false, false), out + "scroll_vdn.bmp");
    if (!ok) {
        fprintf(stderr, "make_assets: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
