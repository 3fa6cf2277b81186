#include "sim/cu/scene.h"

#include "sim/cu/key_lines.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace cusim {

uint64_t mix64(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFullScale = 32767.0;

// Uniform in [0, 1) from a counter-based stream.
struct Stream {
    uint64_t state;
    double uniform() { state = mix64(state); return double(state >> 11) * (1.0 / 9007199254740992.0); }
    double gauss()
    {
        double u1 = uniform(), u2 = uniform();
        if (u1 < 1e-300) u1 = 1e-300;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2 * kPi * u2);
    }
};

double mirror(double x, double length)
{
    if (length <= 0) return x;
    double m = std::fmod(x, 2 * length);
    if (m < 0) m += 2 * length;
    return m > length ? 2 * length - m : m;
}

}  // namespace

Scene Scene::standard()
{
    Scene s;
    // A sandy topsoil over a clay lens, a dipping gravel bed, a flat water table and an uneven
    // bedrock, with two utility pipes, a drain, a boulder and a deep culvert.
    s.layers = {
        {0.35, 0.0, 0.12, 0.06, 9.0},
        {0.95, 0.012, -0.18, 0.10, 23.0},
        {1.90, 0.025, 0.22, 0.15, 31.0},
        {3.60, 0.0, 0.30, 0.04, 40.0},
        {5.20, -0.02, -0.35, 0.25, 37.0},
    };
    s.points = {
        {6.0, 0.55, 0.55}, {13.5, 1.10, 0.45}, {19.0, 0.80, -0.35},
        {26.5, 1.60, 0.40}, {33.0, 2.60, 0.50},
    };
    return s;
}

bool Scene::load(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in) { error = "cannot open scene file " + path; return false; }
    std::stringstream ss;
    ss << in.rdbuf();
    return parse(ss.str(), error);
}

bool Scene::parse(const std::string& text, std::string& error)
{
    bool had_layer = false, had_point = false;
    const bool read = each_key_line(text, [&](int number, const std::string& key, std::istringstream& f) {
        auto bad = [&](const char* why) {
            error = "scene line " + std::to_string(number) + ": " + why;
            return false;
        };
        auto number_field = [&](double& v) { return bool(f >> v); };
        if (key == "layer") {
            SceneLayer l;
            if (!(f >> l.depth)) return bad("layer needs a depth");
            f >> l.reflection >> l.dip >> l.undulation >> l.wavelength >> l.dip_y;
            if (l.depth <= 0 || l.wavelength <= 0) return bad("layer depth and wavelength must be positive");
            if (!had_layer) layers.clear();
            had_layer = true;
            layers.push_back(l);
        } else if (key == "point") {
            ScenePoint p;
            if (!(f >> p.x >> p.depth)) return bad("point needs x and depth");
            f >> p.amplitude;
            if (p.depth <= 0) return bad("point depth must be positive");
            if (!had_point) points.clear();
            had_point = true;
            points.push_back(p);
        } else if (key == "pipe") {
            ScenePipe p;
            if (!(f >> p.x1 >> p.y1 >> p.x2 >> p.y2 >> p.depth)) return bad("pipe needs x1 y1 x2 y2 and depth");
            f >> p.amplitude >> p.radius;
            if (p.depth <= 0 || p.radius < 0) return bad("pipe depth must be positive and its radius not negative");
            pipes.push_back(p);
        } else if (key == "object") {
            ScenePoint p;
            if (!(f >> p.x >> p.y >> p.depth)) return bad("object needs x, y and depth");
            f >> p.amplitude;
            if (p.depth <= 0) return bad("object depth must be positive");
            objects.push_back(p);
        } else if (key == "seed") {
            double v;
            if (!number_field(v) || v < 0) return bad("seed needs a number");
            seed = uint32_t(v);
        } else if (key == "clutter") {
            double n, a;
            if (!(f >> n >> a) || n < 0 || n > 100000) return bad("clutter needs a count and an amplitude");
            clutter_count = int(n);
            clutter_amplitude = a;
        } else {
            double v;
            if (!number_field(v)) return bad("value missing");
            if (key == "velocity") { if (v <= 0 || v > 0.3) return bad("velocity must lie in (0, 0.3] m/ns"); velocity = v; }
            else if (key == "frequency") { if (v <= 0) return bad("frequency must be positive"); frequency = v; }
            else if (key == "timezero") timezero = v;
            else if (key == "direct") direct = v;
            else if (key == "ringing") ringing = v;
            else if (key == "attenuation") { if (v < 0) return bad("attenuation must not be negative"); attenuation = v; }
            else if (key == "noise") { if (v < 0) return bad("noise must not be negative"); noise = v; }
            else if (key == "length") { if (v <= 0) return bad("length must be positive"); length = v; }
            else if (key == "width") { if (v < 0 || v > 10000) return bad("width must lie in [0, 10000] m"); width = v; }
            else return bad("unknown key");
        }
        return true;
    });
    clutter_ready_ = false;
    return read;
}

void Scene::make_clutter() const
{
    clutter_.clear();
    Stream r{uint64_t(seed) * 0x100000001B3ull + 77};
    Stream across{uint64_t(seed) * 0x100000001B3ull + 78};   // its own stream: the line's clutter stays put
    for (int i = 0; i < clutter_count; ++i) {
        Scatterer c;
        c.x = r.uniform() * length;
        c.depth = 0.12 + r.uniform() * r.uniform() * 4.5;   // more scatterers near the surface
        c.amplitude = (r.uniform() * 2 - 1) * clutter_amplitude;
        c.y = width > 0 ? across.uniform() * width : 0.0;
        clutter_.push_back(c);
    }
    clutter_ready_ = true;
}

void Scene::render_at(double x, double y, double t0, double dt, int count, uint64_t noise_key, int stacks,
                      std::vector<double>& out) const
{
    out.assign(count > 0 ? size_t(count) : 0, 0.0);
    if (count <= 0 || dt <= 0) return;
    if (!clutter_ready_) make_clutter();
    const double f = frequency / 1000.0;            // GHz, so that f * t is in cycles
    const double sigma_w = 0.55 / f;                // ns; two to three visible half-cycles
    const double half_width = 1.6 / f;              // ns; the wavelet is negligible beyond
    const double xs = mirror(x, length);

    auto gain = [&](double t) {
        const double tau = t - timezero;
        if (tau <= 0) return 1.0;
        return std::pow(10.0, -attenuation * tau / 20.0) / (1.0 + tau / 6.0);
    };
    auto add = [&](double t, double amplitude) {
        const double first = (t - half_width - t0) / dt, last = (t + half_width - t0) / dt;
        if (last < 0 || first >= count) return;
        const int j0 = std::max(0, int(std::ceil(first))), j1 = std::min(count - 1, int(last));
        for (int j = j0; j <= j1; ++j) {
            const double tau = t0 + j * dt - t;
            const double g = tau / sigma_w;
            out[size_t(j)] += amplitude * std::cos(2 * kPi * f * tau) * std::exp(-g * g);
        }
    };
    // A diffractor whose nearest point lies at plan offset (dx, dy): a point (radius 0) or the
    // cross-section of a pipe, whose echo comes from the near side of its wall.
    auto diffractor = [&](double dx, double dy, double depth, double amplitude, double radius) {
        const double h = std::sqrt(dx * dx + dy * dy);
        if (h > 2.5 * depth + 1.0) return;
        const double axis = depth + radius;
        const double r = std::sqrt(dx * dx + dy * dy + axis * axis);
        const double t = timezero + 2 * (r - radius) / velocity;
        const double c2 = (axis / r) * (axis / r);
        const double beam = c2 * c2;   // the antenna sees little far off its axis
        add(t, amplitude * beam * gain(t));
    };
    auto hyperbola = [&](double px, double py, double depth, double amplitude) {
        diffractor(xs - px, y - py, depth, amplitude, 0.0);
    };

    // Direct wave: air and ground coupling change a little along the line.
    const double coupling = 1.0 + 0.04 * std::sin(xs * 0.9 + seed % 7) + 0.02 * std::sin(xs * 3.1);
    add(timezero, -direct * coupling);
    for (int k = 1; k <= 7; ++k)   // antenna ringing: decaying, alternating, slowly varying
        add(timezero + k * 1.35 / f, ringing * std::pow(0.72, k - 1) * (k % 2 ? 1 : -1) * coupling);

    for (size_t i = 0; i < layers.size(); ++i) {
        const SceneLayer& l = layers[i];
        const double phase = double((seed >> (i % 16)) % 628) / 100.0;
        double d = l.depth + l.dip * xs + l.dip_y * y + l.undulation * std::sin(2 * kPi * xs / l.wavelength + phase) +
                   0.012 * std::sin(2 * kPi * xs / 1.7 + phase * 3);
        if (d < 0.02) d = 0.02;
        const double t = timezero + 2 * d / velocity;
        // Reflectivity changes along an interface (moisture, grain size).
        const double patch = 1.0 + 0.25 * std::sin(2 * kPi * xs / 7.3 + phase) * std::sin(2 * kPi * xs / 2.9 + 2 * phase);
        add(t, l.reflection * patch * gain(t));
    }
    for (const ScenePoint& p : points) hyperbola(p.x, 0.0, p.depth, p.amplitude);
    for (const ScenePoint& p : objects) hyperbola(p.x, p.y, p.depth, p.amplitude);
    for (const ScenePipe& p : pipes) {
        // The pipe's nearest point to the antenna: the foot of the perpendicular, or an end.
        const double ux = p.x2 - p.x1, uy = p.y2 - p.y1, len2 = ux * ux + uy * uy;
        double s = len2 > 0 ? ((xs - p.x1) * ux + (y - p.y1) * uy) / len2 : 0.0;
        s = std::min(1.0, std::max(0.0, s));
        diffractor(xs - (p.x1 + s * ux), y - (p.y1 + s * uy), p.depth, p.amplitude, p.radius);
    }
    for (const Scatterer& c : clutter_) hyperbola(c.x, c.y, c.depth, c.amplitude);

    // Noise: mostly in the antenna's band (what the receiver picks up), some white (the ADC).
    const double sigma = noise / std::sqrt(double(stacks > 1 ? stacks : 1));
    Stream r{mix64(uint64_t(seed) ^ (noise_key * 0x9E3779B97F4A7C15ull))};
    const int taps = std::max(1, int(half_width / dt));
    std::vector<double> kernel(size_t(2 * taps + 1));
    double norm = 0;
    for (int k = -taps; k <= taps; ++k) {
        const double g = k * dt / sigma_w;
        kernel[size_t(k + taps)] = std::cos(2 * kPi * f * k * dt) * std::exp(-g * g);
        norm += kernel[size_t(k + taps)] * kernel[size_t(k + taps)];
    }
    for (double& k : kernel) k /= std::sqrt(norm);
    std::vector<double> white(size_t(count + 2 * taps));
    for (double& w : white) w = r.gauss();
    for (int j = 0; j < count; ++j) {
        double band = 0;
        for (size_t k = 0; k < kernel.size(); ++k) band += kernel[k] * white[size_t(j) + k];
        const double adc = r.gauss();   // independent of the band noise
        out[size_t(j)] = (out[size_t(j)] + sigma * (0.9 * band + 0.43589 * adc)) * kFullScale;
    }
}

}  // namespace cusim
