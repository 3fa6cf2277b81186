// The slice of the site `make run` surveys (sim/cu/site.scene), recorded as cusim renders it,
// processed as "Stop & process" does and painted by the plan view at the default display
// settings: the pipe must stand out of the background in the pixels themselves.
#include "grid_fixture.h"

#include "config/parameters.h"
#include "dsp/filter_slots.h"
#include "grid/slice_buf.h"
#include "grid/top_view.h"
#include "sim/cu/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The site's pipe in plan view and its depth (as in sim/cu/site.scene).
constexpr double kX1 = -2, kY1 = 0.4, kX2 = 12, kY2 = 4.6;

double pipe_distance(double x, double y)
{
    const double dx = kX2 - kX1, dy = kY2 - kY1;
    return std::fabs(dy * (x - kX1) - dx * (y - kY1)) / std::hypot(dx, dy);
}

} // namespace

class GridSlice : public GridTest {
protected:
    CParameters saved_prm = prm;
    void TearDown() override
    {
        prm = saved_prm;
        GridTest::TearDown();
    }
};

TEST_F(GridSlice, TheSitesPipeStandsOutOfThePlanViewAtTheDefaultSettings)
{
    cusim::Scene scene = cusim::Scene::standard();
    std::string err;
    ASSERT_TRUE(scene.load(std::string(GPRMON_SOURCE_DIR) + "/sim/cu/site.scene", err)) << err;
    // The acquisition cusim sets up by default: 736 samples of 1000 / (160 kHz x 32 runs) ns,
    // time zero at sample 40; the default display settings (automatic gain on).
    const int N = 736;
    eep.sample_interval = 1000.0 / (160000.0 * 32);
    eep.tz_sample = 40;
    init_filter(current_antenna().filter, FILTER_SLOTS);
    current_antenna().filter[FLT_DEL_MEAN].display_on = 0; // as a CU newly accepted sets it
    prm = CParameters();
    // The 10 m x 5 m grid of the site, a point every 10 cm, lines 1 m apart.
    make_cube(101, 51, 10, N);
    mx.resolution = 0.1f;
    eep.step_distance = 0.1;
    eep.ant_separation = 0.18f;
    mx.hd = Header();
    mx.hd.samples = N;
    std::vector<double> tr;
    const double dt = eep.sample_interval * 1000;
    for (int d = 0; d < 2; d++)
        for (int l = 0; l < mx.line_count(d); l++)
            for (int t = 0; t < mx.trace_count(d); t++) {
                const double x = 0.1 * (d == 0 ? l * mx.line_step : t), y = 0.1 * (d == 0 ? t : l * mx.line_step);
                scene.render_at(x, y, 0.0, dt, N, uint64_t(d * 100000 + l * 1000 + t), 4, tr);
                CFTrace& c = mx.traces[size_t(d)][size_t(l)][size_t(t)];
                for (int s = 0; s < N; s++)
                    c[s] = float(tr[size_t(s)]);
                mx.filled[size_t(d)][size_t(l)][size_t(t)] = 1;
            }
    mx.lin_all();
    mx.fir_all();
    mx.migrate_all();

    // The slice through the pipe's top (0.65 m: 13 ns below time zero at 12 ns).
    const int z = int(std::lround(25.0 / dt));
    mx.z_slice_index = int16_t(z);
    mx.top_view_mode = 1;
    mx.tv_process();
    // The plan view of screen 32 with the gain of the section view beside it, with the
    // automatic gain (the default) and with the time gain.
    for (const bool automatic : {true, false}) {
        SCOPED_TRACE(automatic ? "automatic gain" : "time gain");
        prm.gain_switch = automatic ? 1 : 0;
        CSliceBuf section(0, 0, 630, 600);
        section.recreate(4.0f, 0);
        section.datatran(-1, false, 0, 0, true);
        CTopView view(40, 40, 700, 640);
        view.recreate(true);
        view.gain = section.gain_curve();
        view.paint();

        // The pixels' distance from mid-grey along the pipe and away from it (and from the
        // boulder).
        double near = 0, far = 0;
        int n_near = 0, n_far = 0;
        for (int py = 0; py < view.area.h; py++)
            for (int px = 0; px < view.area.w; px++) {
                const double x = (px + 0.5) / view.scale * 0.1, y = (py + 0.5) / view.scale * 0.1;
                const double dev = std::fabs(double(view.pixel(px, py)) - 128);
                const double dist = pipe_distance(x, y);
                if (dist < 0.15) {
                    near += dev;
                    n_near++;
                } else if (dist > 1.0 && std::hypot(x - 3.0, y - 3.5) > 1.5) {
                    far += dev;
                    n_far++;
                }
            }
        ASSERT_GT(n_near, 100);
        ASSERT_GT(n_far, 100);
        near /= n_near;
        far /= n_far;
        printf("%s, slice at sample %d: |pixel - 128| %.1f along the pipe, %.1f away from it (gain %.3f, "
               "contrast %.3f)\n",
               automatic ? "automatic gain" : "time gain", z, near, far, double(view.gain[z]), double(view.contrast));
        EXPECT_GT(near, 50.0) << "the pipe is seen at the default contrast";
        EXPECT_GT(near, 3 * far) << "and stands out of the background";
    }
}
