// The site in plan view: pipes and objects where geometry puts their echoes, and the cart's
// control file choosing the line each run walks, checked against the ground truth's positions.
#include "cusim/bench_cu.h"
#include "sim/cu/truth.h"
#include "sim/cu/walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

using namespace cutest;

namespace {

constexpr double kDt = 0.05;   // ns per sample of the scene renders below

// A scene holding nothing but what a test puts into it: no direct wave, noise or clutter.
cusim::Scene empty_site()
{
    cusim::Scene s;
    s.direct = s.ringing = s.noise = s.attenuation = 0;
    s.clutter_count = 0;
    return s;
}

template <typename V> size_t peak(const V& v)
{
    size_t best = 0;
    for (size_t i = 0; i < v.size(); ++i) if (std::fabs(double(v[i])) > std::fabs(double(v[best]))) best = i;
    return best;
}

double echo_time(const cusim::Scene& s, double x, double y)
{
    std::vector<double> v;
    s.render_at(x, y, 0, kDt, 3000, 1, 1, v);
    return double(peak(v)) * kDt;
}

// Two-way time to a diffractor whose top lies `depth` below a point h metres away in plan.
double diffraction_time(const cusim::Scene& s, double h, double depth, double radius = 0)
{
    return s.timezero + 2 * (std::sqrt(h * h + (depth + radius) * (depth + radius)) - radius) / s.velocity;
}

TEST(CusimSite, PipesObjectsAndCrossDipsEchoWherePlanGeometryPutsThem)
{
    cusim::Scene s = empty_site();
    s.layers.clear();
    s.points.clear();
    s.pipes = {{0, 0, 10, 0, 1.0, 0.5, 0.1}};   // along x, top 1 m deep
    s.objects = {{3, 0.8, 0.5, 4}};   // x, depth, amplitude, y
    struct Case { double x, y, expected; const char* what; } cases[] = {
        {5, 0, diffraction_time(s, 0, 1.0, 0.1), "above the pipe: its depth time"},
        {5, 1, diffraction_time(s, 1, 1.0, 0.1), "1 m beside it: a later apex"},
        {7, -1, diffraction_time(s, 1, 1.0, 0.1), "on the other side"},
        {11, 0, diffraction_time(s, 1, 1.0, 0.1), "1 m beyond its end: the end diffracts"},
        {3, 4, diffraction_time(s, 0, 0.8), "above the object"},
        {3.6, 4.8, diffraction_time(s, 1, 0.8), "1 m from it, diagonally"},
    };
    for (const Case& c : cases) EXPECT_NEAR(echo_time(s, c.x, c.y), c.expected, 0.15) << c.what;
    EXPECT_GT(echo_time(s, 5, 1), echo_time(s, 5, 0) + 1.0);

    cusim::Scene layered = empty_site();
    layered.points.clear();
    layered.layers = {{1.0, 0.0, 0.3, 0, 20, 0.1}};   // deepens by 0.1 m per metre of y
    EXPECT_NEAR(echo_time(layered, 4, 0), layered.timezero + 2 * 1.0 / layered.velocity, 0.3) << "a rough interface";
    EXPECT_NEAR(echo_time(layered, 4, 2) - echo_time(layered, 4, 0), 2 * 0.2 / layered.velocity, 0.1);
}

TEST(CusimSite, SceneFileTakesPipesObjectsAndWidth)
{
    cusim::Scene s = cusim::Scene::standard();
    std::string err;
    ASSERT_TRUE(s.parse("width 8\npipe -2 0.4 12 4.6 0.65 0.6 0.05\nobject 3 3.5 1.3\nlayer 1 0.2 0 0 20 0.02\n", err))
        << err;
    EXPECT_EQ(s.points.size(), cusim::Scene::standard().points.size()) << "pipes and objects keep the points";
    ASSERT_EQ(s.pipes.size(), 1u);
    EXPECT_DOUBLE_EQ(s.pipes[0].y2, 4.6);
    ASSERT_EQ(s.objects.size(), 1u);
    EXPECT_DOUBLE_EQ(s.objects[0].y, 3.5);
    EXPECT_DOUBLE_EQ(s.layers[0].dip_y, 0.02);
    for (const char* bad : {"pipe 0 0 1 1\n", "pipe 0 0 1 1 -0.5\n", "object 1 2\n", "width -1\n"})
        EXPECT_FALSE(s.parse(bad, err)) << bad;
}

TEST(CusimSite, ControlFileLinesAreReadOrRefusedWithTheLine)
{
    struct Case { const char* text; bool ok; double x, y, heading, speed; size_t segments; const char* error; } cases[] = {
        {"start 1.5 -2\nheading 450\n", true, 1.5, -2, 90, 1.0, 0, ""},
        {"direction -y # back along y\nspeed 0.25\npath +5,-1\n", true, 0, 0, 180, 0.25, 2, ""},
        {"direction x\nheading -90\n", true, 0, 0, 270, 1.0, 0, ""},
        {"start 1\n", false, 0, 0, 0, 0, 0, "line 1: start needs x and y"},
        {"# a comment\n\nfoo 1\n", false, 0, 0, 0, 0, 0, "line 3: unknown key foo"},
        {"heading north\n", false, 0, 0, 0, 0, 0, "line 1: heading"},
        {"speed -1\n", false, 0, 0, 0, 0, 0, "line 1: speed"},
        {"start nan 0\n", false, 0, 0, 0, 0, 0, "line 1: start"},
        {"start 1 2 3\n", false, 0, 0, 0, 0, 0, "unexpected text"},
        {"direction z\n", false, 0, 0, 0, 0, 0, "direction is one of"},
        {"path 5,x\n", false, 0, 0, 0, 0, 0, "path needs"},
    };
    for (const Case& c : cases) {
        cusim::Walk w;
        std::string err;
        ASSERT_EQ(cusim::parse_walk(c.text, w, err), c.ok) << c.text << err;
        if (!c.ok) {
            EXPECT_NE(err.find(c.error), std::string::npos) << c.text << ": " << err;
            continue;
        }
        EXPECT_TRUE(w.site);
        EXPECT_DOUBLE_EQ(w.x, c.x) << c.text;
        EXPECT_DOUBLE_EQ(w.y, c.y) << c.text;
        EXPECT_DOUBLE_EQ(w.heading, c.heading) << c.text;
        EXPECT_DOUBLE_EQ(w.speed, c.speed) << c.text;
        EXPECT_EQ(w.path.size(), c.segments) << c.text;
    }
}

// Runs of the simulated CU on the default site's pipe, each walking the line the control file
// names when the run starts.
struct SiteRuns {
    std::string cart = temp_path("cart.txt"), truth = temp_path("site-truth.bin");
    cusim::Scene scene = empty_site();
    std::unique_ptr<CuBench> b;

    SiteRuns()
    {
        scene.layers.clear();
        scene.points.clear();
        scene.pipes = {{-2, 0.4, 12, 4.6, 0.65, 0.6, 0.05}};
        cusim::DeviceConfig c;
        c.flat_out = true;
        c.gps_rate = 0;
        c.scene = scene;
        c.cart_file = cart;
        c.wheel_calibration = 500;
        b = std::make_unique<CuBench>(true, c);
        std::string err;
        EXPECT_TRUE(b->dev->open_truth(truth, err)) << err;
        b->discover();
        b->ask(5, 0xFFFF, {'W', 1});
        b->ask(22, 1, {1});
        b->ask(6, 1, {10});     // a trace every 10 pulses: 2 cm
        b->ask(40, 0, {0, 0});  // 16-bit samples
    }
    ~SiteRuns()
    {
        std::remove(cart.c_str());
        std::remove(truth.c_str());
    }
    void control(const std::string& text) { std::ofstream(cart) << text; }
    // One run of n traces; returns its traces from the ground truth.
    std::vector<cusim::Trace> run(int n)
    {
        b->ask(9, 1, {1, 0});
        b->ask(12);
        b->produce(n);
        b->ask(13);
        b->dev->flush_truth();
        std::vector<cusim::Trace> all, out;
        std::string err;
        EXPECT_TRUE(cusim::read_truth(truth, all, err)) << err;
        for (auto& t : all) if (t.measurement == all.back().measurement) out.push_back(t);
        return out;
    }
};

// The trace nearest the pipe: the middle of those whose echo comes first (the hyperbola is flat
// at its apex and symmetric about it).
const cusim::Trace& apex(const std::vector<cusim::Trace>& run)
{
    size_t first = SIZE_MAX;
    for (const auto& t : run) first = std::min(first, peak(t.s16));
    size_t from = SIZE_MAX, to = 0;
    for (size_t i = 0; i < run.size(); ++i)
        if (peak(run[i].s16) == first) { from = std::min(from, i); to = i; }
    return run[(from + to) / 2];
}

TEST(CusimSite, PerpendicularRunsCrossThePipeWhereGeometrySaysAndABadFileWalksTheLine)
{
    SiteRuns r;
    const double dt = 1e6 / 160000.0 / 32;   // ns per sample at the default CU parameters
    const double top = r.scene.timezero + 2 * 0.65 / r.scene.velocity;

    r.control("start 5 0\nheading 0   # along +y, across the pipe\n");
    auto along_y = r.run(200);
    ASSERT_EQ(along_y.size(), 200u);
    for (const auto& t : along_y) {
        ASSERT_EQ(t.plan_x_mm, 5000);
        ASSERT_NEAR(t.plan_y_mm, t.wheel * 2, 1) << "the wheel counts the distance along the line";
    }
    const cusim::Trace& a = apex(along_y);
    EXPECT_NEAR(a.plan_y_mm, 2500, 30) << "the pipe crosses x = 5 at y = 2.5";
    EXPECT_NEAR(double(peak(a.s16)) * dt, top, 2 * dt);

    r.control("start 0 2\ndirection +x\nspeed 0.5\n");   // re-read at the next start
    auto along_x = r.run(400);
    ASSERT_EQ(along_x.size(), 400u);
    EXPECT_EQ(along_x.front().plan_y_mm, 2000);
    EXPECT_EQ(along_x.back().plan_y_mm, 2000);
    EXPECT_NEAR(along_x.back().plan_x_mm, 8000, 1);
    const cusim::Trace& b = apex(along_x);
    EXPECT_NEAR(b.plan_x_mm, 3333, 30) << "and y = 2 at x = 3.33";
    EXPECT_NEAR(double(peak(b.s16)) * dt, top, 2 * dt);
    // 1 m from the pipe (perpendicular) the apex lies where the hyperbola of its depth says.
    const double off = 1.0 / std::sin(std::atan(0.3));   // along x, 1 m off the pipe
    int checked = 0;
    for (const auto& t : along_x)
        if (std::abs(t.plan_x_mm - int(std::lround((10.0 / 3 + off) * 1000))) <= 10) {
            EXPECT_NEAR(double(peak(t.s16)) * dt, diffraction_time(r.scene, 1.0, 0.65, 0.05), 3 * dt);
            ++checked;
        }
    EXPECT_GT(checked, 0);

    r.control("start 1\n");
    testing::internal::CaptureStdout();
    auto plain = r.run(20);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("cusim: cart file " + r.cart + " line 1: start needs x and y in metres; walking the default line"),
              std::string::npos)
        << said;
    ASSERT_EQ(plain.size(), 20u);
    for (const auto& t : plain) EXPECT_EQ(t.plan_y_mm, 0) << "the plain line y = 0";
}

}  // namespace
