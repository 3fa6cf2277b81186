// The simulated subsurface: a deterministic, seeded model rendered into radar traces.
//
// Times are two-way travel times in nanoseconds, counted from the start of the sampling window at
// the CU's default signal position. The site is seen in plan view: x (east) and y (north) in
// metres; a plain profile walks the line y = 0, so x is also the distance along that line. A
// trace at plan position (x, y) holds the direct wave (with the antenna's ringing) at the
// time-zero offset, one reflection per layer interface, a diffraction hyperbola per point target,
// pipe and object (its apex where the antenna is nearest), weak random clutter, spreading and
// attenuation with time, and white noise that stacking reduces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cusim {

struct SceneLayer {
    double depth = 1.0;       // m below the surface at x = 0
    double dip = 0.0;         // m of depth per m along the line
    double reflection = 0.2;  // reflection amplitude (signed, fraction of full scale)
    double undulation = 0.0;  // m, amplitude of a gentle sinusoidal relief
    double wavelength = 20.0; // m, period of that relief
    double dip_y = 0.0;       // m of depth per m across the line (along y)
};

struct ScenePoint {
    double x = 0.0;           // m along the line (plan x)
    double depth = 1.0;       // m
    double amplitude = 0.3;   // fraction of full scale
    double y = 0.0;           // m, plan y (0: on the line of a plain profile)
};

// A straight pipe between two plan-view end points, its top at `depth`.
struct ScenePipe {
    double x1 = 0, y1 = 0, x2 = 10, y2 = 0;   // m
    double depth = 1.0;       // m, to the top of the pipe
    double amplitude = 0.5;   // fraction of full scale
    double radius = 0.05;     // m
};

struct Scene {
    uint32_t seed = 20260601;
    double velocity = 0.10;        // m/ns, soil velocity
    double frequency = 400.0;      // MHz, antenna centre frequency (Ricker wavelet)
    double timezero = 12.0;        // ns, direct wave arrival in the default window
    double direct = 0.75;          // direct-wave amplitude
    double ringing = 0.06;         // amplitude of the antenna ringing after the direct wave
    double attenuation = 0.08;     // dB per ns of two-way time
    double noise = 0.0015;         // noise sigma, fraction of full scale, before stacking
    double length = 40.0;          // m; the line mirrors beyond its ends
    double width = 0.0;            // m; the clutter spreads over y in [0, width] (0: on y = 0)
    int clutter_count = 160;       // weak random point scatterers (stones, roots)
    double clutter_amplitude = 0.06;
    std::vector<SceneLayer> layers;
    std::vector<ScenePoint> points;    // on the line y = 0
    std::vector<ScenePipe> pipes;
    std::vector<ScenePoint> objects;   // point objects anywhere in plan view

    static Scene standard();       // the default survey scene (see README)
    // Reads a scene description (one "key value…" line each, '#' comments). Keys not given keep
    // the values of *this; "layer"/"point" lines replace the default lists when any is present,
    // "pipe"/"object" lines add to their own lists.
    bool load(const std::string& path, std::string& error);
    bool parse(const std::string& text, std::string& error);

    // Renders count samples at line position x, sample j at window time t0 + j * dt (ns).
    // Values are in 16-bit ADC counts (full scale 32767, not clipped here). noise_key selects
    // the noise realisation; stacks > 1 divides the noise by sqrt(stacks).
    void render(double x, double t0, double dt, int count, uint64_t noise_key, int stacks,
                std::vector<double>& out) const
    {
        render_at(x, 0.0, t0, dt, count, noise_key, stacks, out);
    }
    // The same at plan position (x, y).
    void render_at(double x, double y, double t0, double dt, int count, uint64_t noise_key, int stacks,
                   std::vector<double>& out) const;

private:
    struct Scatterer { double x, depth, amplitude, y; };
    mutable std::vector<Scatterer> clutter_;   // generated from the seed on first use
    mutable bool clutter_ready_ = false;
    void make_clutter() const;
};

// Deterministic 64-bit mixing (splitmix64), shared by the scene, the faults and the tests.
uint64_t mix64(uint64_t x);

}  // namespace cusim
