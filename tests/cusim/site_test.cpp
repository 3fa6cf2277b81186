// The site in plan view: pipes and objects echo where plan geometry puts them, and a bad cart
// control file is refused with its line while the run walks the plain line. Grid lines walked
// over the site through the monitor: tests/acquisition/live_grid_test.cpp.
#include "cusim/bench_cu.h"
#include "sim/cu/truth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>

using namespace cutest;

namespace {

TEST(CusimSite, PipesAndObjectsEchoAtTheTimeOfTheirPlanDistance)
{
    cusim::Scene s;
    s.direct = s.ringing = s.noise = s.attenuation = 0;
    s.clutter_count = 0;
    s.layers.clear();
    s.points.clear();
    s.pipes = {{0, 0, 10, 0, 1.0, 0.5, 0.1}};   // along x, its top 1 m deep, radius 0.1 m
    s.objects = {{3, 0.8, 0.5, 4}};             // x, depth, amplitude, y
    struct Case { double x, y, h, depth, radius; const char* what; } cases[] = {
        {5, 0, 0, 1.0, 0.1, "above the pipe: its depth time"},
        {5, 1, 1, 1.0, 0.1, "1 m beside it: a later apex"},
        {11, 0, 1, 1.0, 0.1, "1 m beyond its end: the end diffracts"},
        {3, 4, 0, 0.8, 0, "above the object"},
        {3.6, 4.8, 1, 0.8, 0, "1 m from it, diagonally"},
    };
    std::vector<double> v;
    for (const Case& c : cases) {
        s.render_at(c.x, c.y, 0, 0.05, 3000, 1, 1, v);
        size_t at = 0;
        for (size_t i = 0; i < v.size(); ++i) if (std::fabs(v[i]) > std::fabs(v[at])) at = i;
        const double t = s.timezero + 2 * (std::hypot(c.h, c.depth + c.radius) - c.radius) / s.velocity;
        EXPECT_NEAR(double(at) * 0.05, t, 0.15) << c.what;
    }
}

TEST(CusimSite, ABadControlFileIsRefusedWithItsLineAndTheRunWalksThePlainLine)
{
    cusim::DeviceConfig c;
    c.flat_out = true;
    c.gps_rate = 0;
    c.cart_file = temp_path("cart.txt");
    const std::string truth = temp_path("site-truth.bin");
    std::ofstream(c.cart_file) << "heading 0\nstart 1\n";
    CuBench b(true, c);
    std::string err;
    ASSERT_TRUE(b.dev->open_truth(truth, err)) << err;
    b.discover();
    testing::internal::CaptureStdout();
    b.ask(12);
    b.produce(3);
    b.ask(13);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("cusim: cart file " + c.cart_file + " line 2: start needs x and y in metres; walking the default line"),
              std::string::npos) << said;
    std::vector<cusim::Trace> all;
    ASSERT_TRUE(cusim::read_truth(truth, all, err)) << err;
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all.back().plan_x_mm, 6) << "three pulses of 2 mm along +x";
    EXPECT_EQ(all.back().plan_y_mm, 0);
    std::remove(c.cart_file.c_str());
    std::remove(truth.c_str());
}

}  // namespace
