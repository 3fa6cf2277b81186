// Rendering of the radargram: where known reflections land after resampling and zoom, the
// palette index formula, background removal against an independently computed mean, and
// scrolling that gives the same picture as rendering everything again.
#include "display_fixture.h"

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "config/parameters.h"
#include "files/profile_record.h"
#include "gui/screen_state.h"
#include "gui/scrbuf_mea_display.h"
#include "files/radar_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr float kDirect = 3e6f;    // index 188
constexpr float kTarget = 5e6f;    // index 228
constexpr int kDirectSample = 40;
constexpr int kApexTrace = 400, kApexSample = 150;

// Sample of the point target's reflection in trace t: a hyperbola with its apex at
// (kApexTrace, kApexSample).
double hyperbola(int t)
{
    const double dz = kApexSample - 20.0, dx = (t - kApexTrace) * 0.8;
    return 20.0 + std::sqrt(dz * dz + dx * dx);
}

// Three-sample wavelet: peak and half on either side.
float wavelet(int s, double centre, float a)
{
    const int c = int(std::lround(centre));
    if (s == c)
        return a;
    if (s == c - 1 || s == c + 1)
        return a / 2;
    return 0.0f;
}

float scene(int t, int s) { return wavelet(s, kDirectSample, kDirect) + wavelet(s, hyperbola(t), kTarget); }

int index_of(double v) { return std::clamp(int(std::trunc(v * 2e-5 + 128)), 0, 255); }

} // namespace

TEST(RadargramRender, reflections_land_on_their_rows_and_columns_at_every_vertical_scale)
{
    DisplayState st;
    fill_store(1000, scene);
    auto b = make_radargram();
    ASSERT_EQ(809, b->width) << "bitmap width 826 less the vertical scroll bar";

    // One row per sample; the live window ends with the newest trace.
    b->datatran(1000, false, 0, 2, false);
    ASSERT_EQ(1000 - 809, b->first_trace);
    ASSERT_EQ(809, b->shown);
    const int apex_col = kApexTrace - b->first_trace;
    for (int col : {0, apex_col, 808}) {
        EXPECT_EQ(index_of(kDirect), b->pixel(col, kDirectSample)) << "direct wave, column " << col;
        EXPECT_EQ(index_of(kDirect / 2), b->pixel(col, kDirectSample + 1));
    }
    EXPECT_EQ(kApexSample, brightest_row(*b, apex_col, 512));
    EXPECT_NEAR(apex_col, brightest_column(*b, kApexSample, b->shown), 0.5) << "the apex is the hyperbola's top";
    EXPECT_EQ(128, b->pixel(apex_col, 300)) << "no reflection: the middle of the palette";
    EXPECT_EQ(0, b->pixel(apex_col, 600)) << "rows past the trace are black";

    // Keypad zoom out to 2 samples per row: the apex moves to row 75, the direct wave to 20.
    eep.screen_opt2 = 1;
    b->compression = 2.0;
    b->resampdef();
    b->datatran(0, false, 0, 2, false);
    EXPECT_EQ(kApexSample / 2, brightest_row(*b, apex_col, 256));
    EXPECT_NEAR(apex_col, brightest_column(*b, kApexSample / 2, b->shown), 0.5);
    EXPECT_EQ(index_of(kDirect), b->pixel(apex_col, kDirectSample / 2));
    EXPECT_EQ(0, b->pixel(apex_col, 256)) << "256 rows hold 512 samples";

    // Zoom in to 0.5: each sample on two rows, the row between two samples interpolated.
    b->compression = 0.5;
    b->resampdef();
    b->datatran(0, false, 0, 2, false);
    EXPECT_EQ(2 * kApexSample, brightest_row(*b, apex_col, 1024));
    EXPECT_EQ(index_of(kDirect), b->pixel(apex_col, 2 * kDirectSample));
    EXPECT_EQ(index_of(0.75 * kDirect), b->pixel(apex_col, 2 * kDirectSample + 1))
        << "half-way between the peak and its half";

    // Whole trace on the screen: c = 512 / 680, the apex within a row of 150 / c.
    eep.screen_opt2 = 2;
    b->resampdef();
    EXPECT_NEAR(512.0 / 680.0, b->compression, 1e-12);
    b->datatran(0, false, 0, 2, false);
    EXPECT_NEAR(kApexSample / b->compression, brightest_row(*b, apex_col, 680), 1.0);
    EXPECT_EQ(0, b->first_sample);
}

TEST(RadargramRender, vertical_window_and_scroll_bars_follow_the_zoom)
{
    DisplayState st;
    eep.samples = 2048;
    fill_store(50, scene);
    auto b = make_radargram();
    eep.screen_opt2 = 1;
    b->compression = 1.0;
    b->resampdef();
    b->datatran(0, false, 33, 2, false);
    EXPECT_EQ(33, b->first_sample);
    EXPECT_EQ(33, b->vsb->thumb_start);
    EXPECT_EQ(680, b->vsb->thumb_length);
    EXPECT_EQ(2048, b->vsb->maximum);
    b->datatran(0, false, 5000, 2, false);
    EXPECT_EQ(2048 - 680, b->first_sample) << "the last row of the view is the last sample";
    b->datatran(0, false, -5000, 2, false);
    EXPECT_EQ(0, b->first_sample);

    // Fewer traces than columns: data on the left, the rest black, thumb = trace count.
    EXPECT_EQ(50, b->shown);
    EXPECT_EQ(b->rect.x + 50, b->empty_area.x);
    EXPECT_EQ(809 - 50, b->empty_area.w);
    EXPECT_EQ(50, b->hsb->thumb_length);
    EXPECT_EQ(50, b->hsb->maximum);
    EXPECT_EQ(0, b->hsb->thumb_start);

    // A whole-trace view never scrolls: the window is the trace.
    eep.screen_opt2 = 2;
    b->resampdef();
    b->datatran(0, false, 40, 2, false);
    EXPECT_EQ(0, b->first_sample);
}

TEST(RadargramRender, palette_index_follows_gain_and_contrast_and_centres_on_the_background)
{
    DisplayState st;
    // Trace t holds the constant t * 1000 except sample 100, which holds 4e6.
    fill_store(20, [](int t, int s) { return s == 100 ? 4e6f : float(t * 1000); });
    auto b = make_radargram();
    b->datatran(0, false, 0, 2, false);
    EXPECT_EQ(index_of(4e6), b->pixel(5, 100));
    EXPECT_EQ(index_of(5000), b->pixel(5, 10));

    // Contrast 0.1 * 2^3 = 0.8: eight times the spread.
    test_filters()[FLT_CONTRAST].float_par = 2.0f;
    test_filters()[FLT_CONTRAST].int_par[0] = 3;
    b->datatran(0, false, 0, 2, false);
    EXPECT_FLOAT_EQ(0.8f, b->contrast);
    EXPECT_EQ(std::min(255, int(4e6 * 0.8 * 0.0002 + 128)), b->pixel(5, 100));
    EXPECT_EQ(int(5000 * 0.8 * 0.0002 + 128), b->pixel(5, 10));
    EXPECT_EQ(int(-0.0 + 128), b->pixel(0, 10));

    // Time gain: flat 1.0 at value 0; with a value, the late samples are amplified.
    for (int i = 0; i < 512; i++)
        ASSERT_FLOAT_EQ(1.0f, b->gain[i]);
    test_filters()[FLT_TIME_GAIN].int_par[3] = 255;
    b->reprocess = true;
    b->datatran(0, false, 0, 2, false);
    EXPECT_GT(b->gain[500], b->gain[100]);
    EXPECT_GE(b->gain[0], 0.2f);
    EXPECT_EQ(std::min(255, int(5000 * b->gain[300] * 0.8 * 0.0002 + 128)), b->pixel(5, 300));

    // A sample equal to its background is 128 whatever the gain.
    test_filters()[FLT_DEL_MEAN].display_on = 1;
    test_filters()[FLT_DEL_MEAN].int_par[0] = 4;
    fill_store(20, [](int t, int s) { return float(s * 777); });
    b->datatran(0, false, 0, 2, false);
    for (int col = 4; col < 20; col++)
        for (int row : {30, 300, 511})
            ASSERT_EQ(128, b->pixel(col, row)) << col << "," << row;
}

TEST(RadargramRender, background_removal_subtracts_the_mean_of_the_previous_traces)
{
    DisplayState st;
    const int L = 10;
    test_filters()[FLT_DEL_MEAN].display_on = 1;
    test_filters()[FLT_DEL_MEAN].int_par[0] = L;
    // Pseudo-random traces over a common band; trace 30 left empty (a skipped trigger step).
    auto value = [](int t, int s) -> float {
        if (t == 30)
            return 0.0f;
        const unsigned h = unsigned(t * 7919 + s * 104729) * 2654435761u;
        return float(int(h >> 12) % 400000 - 200000) + 1e6f * std::sin(s * 0.05f);
    };
    fill_store(60, value);
    auto b = make_radargram();
    b->datatran(0, false, 0, 2, false);
    ASSERT_EQ(60, b->shown);

    int checked = 0, exact = 0;
    for (int t = 0; t < 60; t++) {
        for (int s = 0; s < 512; s += 37) {
            double sum = 0;
            int n = 0;
            for (int k = std::max(0, t - L); k < t; k++) {
                if (k == 30)
                    continue; // empty traces are neither added nor counted
                sum += value(k, s);
                n++;
            }
            const double bg = n ? sum / n : 0.0;
            const int want = index_of(value(t, s) - bg);
            const int got = b->pixel(t, s);
            ASSERT_NEAR(want, got, 1) << "trace " << t << " sample " << s;
            exact += want == got;
            checked++;
        }
    }
    EXPECT_GT(exact, checked * 95 / 100) << "off by one only where float rounding meets a boundary";
    EXPECT_EQ(index_of(value(0, 74)), b->pixel(0, 74)) << "the first trace has no background";
}

TEST(RadargramRender, scrolling_live_traces_matches_a_full_render)
{
    DisplayState st;
    test_filters()[FLT_DEL_MEAN].display_on = 1;
    test_filters()[FLT_DEL_MEAN].int_par[0] = 12;
    auto value = [](int t, int s) { return float(((t * 31 + s * 17) % 97) * 20000 - 900000); };
    fill_store(900, value);
    auto live = make_radargram();
    live->datatran(900, false, 0, 2, false);
    EXPECT_EQ(900 - 809, live->first_trace);
    // A block of new traces: the image moves left and only the new columns are rendered.
    fill_store(930, value);
    EXPECT_EQ(30, live->datatran(30, false, 0, 2, false));
    EXPECT_EQ(930 - 809, live->first_trace);

    auto fresh = make_radargram();
    fresh->datatran(930, false, 0, 2, false);
    ASSERT_EQ(fresh->first_trace, live->first_trace);
    for (int col = 0; col < 809; col += 3)
        for (int row = 0; row < 512; row += 5)
            ASSERT_EQ(fresh->pixel(col, row), live->pixel(col, row)) << col << "," << row;

    // While the window is not full, new traces are added in place.
    fill_store(100, value);
    auto early = make_radargram();
    early->datatran(100, false, 0, 2, false);
    fill_store(140, value);
    EXPECT_EQ(40, early->datatran(40, false, 0, 2, false));
    EXPECT_EQ(0, early->first_trace);
    EXPECT_EQ(140, early->shown);
    auto whole = make_radargram();
    whole->datatran(140, false, 0, 2, false);
    for (int col = 0; col < 140; col++)
        for (int row = 0; row < 512; row += 7)
            ASSERT_EQ(whole->pixel(col, row), early->pixel(col, row)) << col << "," << row;
}

TEST(RadargramRender, empty_store_and_measurement_ahead_of_the_traces)
{
    DisplayState st;
    auto b = make_radargram();
    EXPECT_EQ(0, b->datatran(10, false, 5, 2, false));
    EXPECT_EQ(0, b->shown);
    EXPECT_EQ(0, b->first_sample);

    // The wheel ran 2000 traces ahead of the 100 stored ones (measurement screen).
    fill_store(100, scene);
    b->hr->SetPos(2100);
    EXPECT_EQ(0, b->datatran(1, false, 0, 3, false));
    EXPECT_EQ(2100 - 809 + 1, b->first_trace);
    EXPECT_EQ(1, b->shown);
    EXPECT_EQ(809, b->empty_area.w);
}

TEST(RadargramRender, automatic_gain_is_computed_early_and_once_more_when_enough_traces_are_in)
{
    DisplayState st;
    prm.gain_switch = 1;
    test_filters()[FLT_AUTO_GAIN].int_par[0] = 50; // traces to sum
    ag_autostart = 0;
    auto weak = [](int, int s) { return float(2e4 * std::sin(s * 0.3)); };
    auto strong = [](int t, int s) { return float((t < 20 ? 2e4 : 4e5) * std::sin(s * 0.3)); };
    fill_store(20, weak);
    auto b = make_radargram();
    b->datatran(20, false, 0, 2, false);
    EXPECT_EQ(1, ag_autostart.load()) << "a first curve over the 20 traces there are";
    const std::vector<float> early(b->gain, b->gain + 512);

    fill_store(30, strong);
    b->datatran(10, false, 0, 2, false);
    EXPECT_EQ(1, ag_autostart.load());
    EXPECT_EQ(early, std::vector<float>(b->gain, b->gain + 512)) << "not before 50 traces";

    fill_store(80, strong);
    b->datatran(50, false, 0, 2, false);
    EXPECT_EQ(2, ag_autostart.load()) << "the final curve over the last 50";
    const std::vector<float> final_curve(b->gain, b->gain + 512);
    EXPECT_NE(early, final_curve);

    fill_store(120, weak);
    b->datatran(40, false, 0, 2, false);
    EXPECT_EQ(final_curve, std::vector<float>(b->gain, b->gain + 512)) << "kept from then on";
    ag_autostart = 0; // a display setting changed
    b->datatran(0, false, 0, 2, false);
    EXPECT_NE(final_curve, std::vector<float>(b->gain, b->gain + 512));
    ag_autostart = 0;
}

TEST(RadargramRender, measurement_step_scrolls_new_columns_and_follows_a_restarted_store)
{
    DisplayState st;
    fill_store(1000, scene);
    auto b = make_radargram();
    CScrBufMeaDisplay d(b.get());
    EXPECT_EQ(809, d.width());
    d.columns(1000, false);
    EXPECT_EQ(1000 - 809, b->first_trace);
    fill_store(1010, scene);
    d.columns(10, false);
    EXPECT_EQ(1010 - 809, b->first_trace);
    d.columns(0, false); // nothing new: nothing to do

    // The store restarted 5000 traces on (a jump of the trace numbers): the window follows.
    rdr.prof.Empty();
    rdr.prof.first_trace = 6000;
    for (int k = 0; k < 20; k++) {
        float* col = rdr.prof.slot(rdr.prof.end);
        for (int s = 0; s < 512; s++)
            col[s] = scene(k, s);
        rdr.prof.end = CProfile::prof_ind(rdr.prof.end + 1);
    }
    shown_traces = 6020;
    d.columns(0, true);
    EXPECT_EQ(6020 - 809, b->first_trace);
    EXPECT_EQ(index_of(kDirect), b->pixel(808, kDirectSample)) << "the newest trace is drawn";
    EXPECT_EQ(0, b->pixel(100, kDirectSample)) << "traces not in memory stay black";

    d.ruler(6025, true);
    EXPECT_EQ(6025, b->hr->position);
    EXPECT_EQ(1, b->hr->state);
    d.alert = true;
    EXPECT_TRUE(d.take_alert());
    EXPECT_FALSE(d.take_alert());
}
