// Gap filling and the top-view chain on small cubes whose results are worked out by hand.
#include "grid_fixture.h"

#include <cmath>

class GridProcessing : public GridTest {};

TEST_F(GridProcessing, GapsAreFilledBetweenAndBesideTheRecordedTraces)
{
    // Trace t holds t * 10 + sample in every sample; '1' marks a recorded trace.
    struct Case {
        const char* recorded;
        bool fewer_than_half;
        std::vector<float> sample0; // expected sample 0 of traces 0..9
    } cases[] = {
        {"1110000111", true, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}}, // 3..6: k/5 of the way from 2 to 7
        {"1111100000", false, {0, 10, 20, 30, 40, 40, 40, 40, 40, 40}},
        {"0000011111", false, {50, 50, 50, 50, 50, 50, 60, 70, 80, 90}},
        {"1000000001", false, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"0000000000", true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recorded);
        make_cube(4, 10, 2, 100);
        auto& line = mx.traces[0][1];
        for (int t = 0; t < 10; t++) {
            mx.filled[0][1][size_t(t)] = c.recorded[t] == '1';
            for (int s = 0; s < 100; s++)
                line[size_t(t)][s] = c.recorded[t] == '1' ? float(t * 10 + s) : 0.0f;
        }
        EXPECT_EQ(c.fewer_than_half, mx.Linearization(0, 1));
        for (int t = 0; t < 10; t++) {
            EXPECT_NEAR(c.sample0[size_t(t)], line[size_t(t)][0], 1e-4) << t;
            if (c.sample0[size_t(t)] != 0) {
                EXPECT_NEAR(c.sample0[size_t(t)] + 99, line[size_t(t)][99], 1e-4) << t;
            }
            EXPECT_EQ(c.recorded[0] == '0' && c.recorded[9] == '0' ? 0 : 1, mx.filled[0][1][size_t(t)]);
        }
    }
}

TEST_F(GridProcessing, TheSlicePickTakesTheSampleOrThePeakToPeakOfTheWindow)
{
    make_cube(2, 3, 1, 100);
    mx.hd.samples = 100;
    // Trace t of line 0: samples 20..22 are (-2, 5, 3) + t, everything else 0.
    for (int t = 0; t < 3; t++)
        for (int s = 20; s < 23; s++)
            mx.traces[0][0][size_t(t)][s] = float((s == 20 ? -2 : s == 21 ? 5 : 3) + t);
    struct Case {
        int thickness, z;
        float t0, t1, t2;
    } cases[] = {
        {0, 21, 5, 6, 7},  {1, 21, 5, 6, 7},  {2, 20, -2, -1, 0}, // one sample
        {3, 21, 7, 7, 7},  // max(0, max) - min(0, min) over 20..22: 5 - -2, 6 - -1, 7 - 0
        {5, 23, 5, 6, 7},  // 21..25
        {3, 99, 0, 0, 0},  // cut at the last sample
        {3, 150, 0, 0, 0}, // nothing of the window in the trace
        {1, -5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "thickness " << c.thickness << " at " << c.z);
        mx.hd.thickness = int16_t(c.thickness);
        mx.z_slice_index = int16_t(c.z);
        mx.PickMax(0);
        EXPECT_EQ(c.t0, mx.line_values[0][0][0]);
        EXPECT_EQ(c.t1, mx.line_values[0][0][1]);
        EXPECT_EQ(c.t2, mx.line_values[0][0][2]);
    }
}

TEST_F(GridProcessing, TheGainDividesByTheMeanMagnitudeOfTheClippedWindow)
{
    make_cube(1, 4, 1, 100);
    mx.hd.agc_on = true;
    mx.hd.agc_level = 10;
    mx.hd.agc_window = 2; // h = 1
    mx.line_values[0][0] = {1, 2, -3, 4};
    mx.AGCFilter(0);
    const std::vector<float> want = {10.0f / 1.5f, 10.0f, -10.0f, 40.0f / 3.5f};
    for (int t = 0; t < 4; t++)
        EXPECT_NEAR(want[size_t(t)], mx.line_values[0][0][size_t(t)], 1e-4);

    // Quiet values are held down by the floors: 0.0005 up to h, 0.005 after.
    mx.line_values[0][0] = {0.0001f, 0, 0, 0.0001f};
    mx.AGCFilter(0);
    EXPECT_NEAR(10 * 0.0001 / 0.0005, mx.line_values[0][0][0], 1e-5);
    EXPECT_NEAR(10 * 0.0001 / 0.005, mx.line_values[0][0][3], 1e-5);

    // A line shorter than the window is gained over the whole line.
    mx.hd.agc_window = 40;
    mx.line_values[0][0] = {1, -1, 1, -1};
    mx.AGCFilter(0);
    EXPECT_NEAR(-10.0, mx.line_values[0][0][1], 1e-5);

    mx.hd.agc_on = false;
    mx.line_values[0][0] = {3, 3, 3, 3};
    mx.AGCFilter(0);
    EXPECT_EQ(3.0f, mx.line_values[0][0][2]);
}

TEST_F(GridProcessing, LinesAreSpreadAcrossAlongTheAngleAndCombined)
{
    // Five points across (x), three along (y), lines every second point: x = 0, 2, 4.
    make_cube(5, 3, 2, 100);
    auto& m0 = mx.maps[0];
    const float line_at[3][3] = {{1, 2, 3}, {10, 20, 30}, {100, 200, 300}};
    auto put_lines = [&] {
        for (int l = 0; l < 3; l++)
            for (int y = 0; y < 3; y++)
                m0[size_t(2 * l)][size_t(y)] = line_at[l][y];
    };
    struct Case {
        int angle;
        float x1[3], x3[3];
    } cases[] = {
        // Straight across: x = 1 halfway between lines 0 and 1; x = 3 has its next line on the
        // last point, so it takes the previous line.
        {0, {5.5f, 11, 16.5f}, {10, 20, 30}},
        // 60 degrees (tan 1.73): the previous line is read one point further along, the next
        // one point back, both cut to the line.
        {60, {(2 + 10) / 2.0f, (3 + 10) / 2.0f, (3 + 10) / 2.0f}, {20, 30, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        put_lines();
        mx.hd.interpolation_angle = c.angle;
        mx.Interpolation(0);
        for (int y = 0; y < 3; y++) {
            EXPECT_NEAR(c.x1[y], m0[1][size_t(y)], 1e-4) << y;
            EXPECT_NEAR(c.x3[y], m0[3][size_t(y)], 1e-4) << y;
            EXPECT_EQ(line_at[1][y], m0[2][size_t(y)]); // the lines themselves stay
        }
    }

    // Direction 1 lies across y: with an angle the next line is read further along x.
    auto& m1 = mx.maps[1];
    for (int x = 0; x < 5; x++) {
        m1[size_t(x)][0] = float(x);
        m1[size_t(x)][2] = float(10 * x);
    }
    mx.hd.interpolation_angle = 60;
    mx.Interpolation(1); // y = 1 has its next line on the last point: the previous line, shifted
    EXPECT_EQ(0.0f, m1[1][1]);
    EXPECT_EQ(2.0f, m1[4][1]);

    struct Threshold {
        int level;
        float a, b, want_a, want_b;
    } thresholds[] = {
        {0, 100, 300, 100, 300},
        {2, 200, 300, -1000, 300}, // up to 200 becomes -1000
        {-1, -100, -150, 1000, -150},
    };
    for (const Threshold& t : thresholds) {
        mx.hd.threshold_level = int16_t(t.level);
        m0[0][0] = t.a * 2;
        m1[0][0] = 0;
        m0[0][1] = t.b;
        m1[0][1] = t.b;
        mx.Combine();
        EXPECT_EQ(t.want_a, mx.maps[2][0][0]) << t.level;
        EXPECT_EQ(t.want_b, mx.maps[2][0][1]) << t.level;
    }
}

TEST_F(GridProcessing, TheTopViewChainTurnsOneSliceIntoTheCombinedMap)
{
    // Every line of both directions has sample 30 = 4 at every trace: the whole slice is 4.
    make_cube(5, 5, 2, 100);
    fill([](int, int, int, int s) { return s == 30 ? 4.0f : 0.0f; });
    mx.hd.thickness = 1;
    mx.z_slice_index = 30;
    mx.hd.agc_on = false;
    mx.hd.hfir_on = true;
    mx.hd.dc_window = 0; // the filter's boxcar of one value leaves nothing of a constant line
    mx.hd.dc_step = 0;
    mx.hd.threshold_level = 0;
    mx.top_view_mode = 1;
    mx.tv_process();
    EXPECT_EQ(0.0f, mx.maps[2][2][3]);

    mx.hd.hfir_on = true;
    mx.hd.dc_window = 40; // the mean over 21 values: a single bright trace stands out
    mx.traces[0][1][2][30] = 25.0f; // direction 0, line 1 (x = 2), trace y = 2
    mx.tv_process();
    EXPECT_GT(mx.maps[2][2][2], 5.0f);
    EXPECT_GT(mx.maps[2][1][2], 1.0f); // spread to the point beside the line
    EXPECT_LT(std::fabs(mx.maps[2][0][0]), std::fabs(mx.maps[2][2][2]));

    mx.top_view_mode = 0;
    mx.tv_process();
    EXPECT_EQ(0.0f, mx.maps[2][2][2]);
}
