// The rules of the grid screens that hold without a screen: the sizes of the plan and
// section views, the pixel interpolation of a section, the checks of a new grid and the line
// navigation of the control screen.
#include "grid_fixture.h"

#include "grid/grid_project.h"
#include "grid/view_layout.h"

class GridScreens : public GridTest {};

TEST_F(GridScreens, PlanViewScaleFitsTheRoomAndIsCentred)
{
    struct Case {
        ViewRect room;
        int px, py;
        float scale;
        ViewRect view;
    } cases[] = {
        {{70, 70, 410, 820}, 41, 41, 10.0f, {70, 70 + 205, 410, 410}},
        {{0, 0, 200, 300}, 400, 100, 0.5f, {0, 125, 200, 50}},  // a grid larger than the room
        {{10, 10, 0, 200}, 41, 41, 1.0f, {10 - 20, 10 + (200 - 41) / 2, 41, 41}},   // 0 becomes 1
    };
    for (const Case& c : cases) {
        const TopLayout l = top_layout(c.room, c.px, c.py);
        EXPECT_FLOAT_EQ(c.scale, l.scale) << c.px << "x" << c.py;
        EXPECT_EQ(c.view.x, l.view.x);
        EXPECT_EQ(c.view.y, l.view.y);
        EXPECT_EQ(c.view.w, l.view.w);
        EXPECT_EQ(c.view.h, l.view.h);
    }
}

TEST_F(GridScreens, SectionViewGetsAScrollBarOnlyWhenTheSamplesDoNotFit)
{
    struct Case {
        int points, samples, y;
        float scale;
        int w, rows, top;
        bool bar;
    } cases[] = {
        {41, 512, 0, 10.0f, 410 + 60, 512, 0, false},
        {41, 600, 0, 10.0f, 410 + 60 + 17, 570, 0, true},     // 600 > 600 - 30
        {201, 256, 500, 2.5f, 502 + 60, 256, 600 - 286, false}, // moved up to stay inside
    };
    for (const Case& c : cases) {
        const SliceLayout l = slice_layout({0, 0, 630, 600}, c.points, c.samples, c.scale, c.y);
        EXPECT_EQ(c.w, l.view.w) << c.points << " points, " << c.samples << " samples";
        EXPECT_EQ(c.rows, l.rows_shown);
        EXPECT_EQ(c.bar, l.scroll_bar);
        EXPECT_EQ(c.top, l.view.y);
        EXPECT_EQ((630 - c.w) / 2, l.view.x);
    }
}

TEST_F(GridScreens, SectionPixelsInterpolateTowardsTheNextPointAndTheLastIsFlat)
{
    // Span of 4 columns from 100 to 200: 100, 125, 150, 175; the last point (e = d) is flat.
    const int want[4] = {100, 125, 150, 175};
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(want[k], slice_pixel(100, 200, k, 4));
        EXPECT_EQ(90, slice_pixel(90.7f, 90.7f, k, 4));
    }
    EXPECT_EQ(255, slice_pixel(1e30f, 1e30f, 0, 1)) << "clamped, never wrapped";
    EXPECT_EQ(0, slice_pixel(-1e30f, 0, 0, 1));
    EXPECT_EQ(0, span_first(0, 2.5f));
    EXPECT_EQ(2, span_end(0, 2.5f));
    EXPECT_EQ(5, span_end(1, 2.5f)) << "spans of a fractional scale tile the image";
}

TEST_F(GridScreens, ANewGridIsCheckedInTheScreensOrder)
{
    xml_pars.units = 1;
    eep.samples = 512;
    struct Case {
        bool wheel;
        double x, y, interval, spacing;
        int code;
    } cases[] = {
        {true, 10, 5, 0.05, 0.25, 0},  // ratio 5
        {true, 10, 5, 0.05, 0.26, 5},  // ratio 5.2: not evenly divisible
        {true, 10, 5, 0.05, 0.5, 0},
        {false, 10, 5, 0.05, 0.5, 1},  // not the wheel
        {true, 0, 5, 0.05, 0.5, 2},
        {true, 10, 0.0005, 0.05, 0.5, 3},
        {true, 10, 5, 0.05, 0.04, 4},  // spacing below the interval
        {true, 22, 5, 0.05, 0.5, 8},   // 441 points along X
        {true, 5, 22, 0.05, 0.5, 9},
    };
    for (const Case& c : cases) {
        mx.x_size = float(c.x);
        mx.y_size = float(c.y);
        mx.resolution = float(c.interval);
        mx.profile_spacing = float(c.spacing);
        mx.project_type = 2;
        const GridCheck r = grid_check_sizes(c.wheel, c.x, c.y, c.interval, c.spacing, c.interval);
        EXPECT_EQ(c.code, r.code) << c.x << " x " << c.y << ", " << c.interval << " / " << c.spacing << ": "
                                  << r.title;
    }
    // The 2 m x 2 m grid of 5 cm points and 50 cm lines, and the disk it needs.
    mx.x_size = mx.y_size = 2;
    mx.resolution = 0.05f;
    mx.profile_spacing = 0.5f;
    ASSERT_EQ(0, grid_check_sizes(true, 2, 2, 0.05, 0.5, 0.05).code);
    EXPECT_EQ(41, mx.nx);
    EXPECT_EQ(10, mx.line_step);
    // ((5 * 41 + 5 * 41) * 514 + 597) * 2 / 1024 + 1
    EXPECT_EQ(((410L * 514 + 597) * 2) / 1024 + 1, grid_required_kib(41, 41, 10, 512));
}

TEST_F(GridScreens, LinesGoOnAt97PercentAndBackAcrossTheDirectionChange)
{
    EXPECT_FALSE(grid_line_done(24.0f / 25));  // 96 %
    EXPECT_TRUE(grid_line_done(97.0f / 100));
    EXPECT_TRUE(grid_line_done(40.0f / 41));
    struct Step {
        GridLine at;
        bool forward;
        GridLine to;
    } steps[] = {
        {{0, 0}, true, {0, 1}},
        {{0, 4}, true, {1, 0}},   // the last line of the first direction: the second starts
        {{1, 4}, true, {1, 4}},   // the second direction stops at its last line
        {{1, 0}, false, {0, 4}},  // back across the direction change
        {{1, 3}, false, {1, 2}},
        {{0, 0}, false, {0, 0}},
    };
    for (const Step& s : steps) {
        const GridLine r = s.forward ? grid_next_line(s.at, 5, 5) : grid_previous_line(s.at, 5);
        EXPECT_EQ(s.to.direction, r.direction) << s.at.direction << "/" << s.at.line;
        EXPECT_EQ(s.to.line, r.line) << s.at.direction << "/" << s.at.line;
    }
    EXPECT_TRUE(grid_last_line({1, 4}, 5));
    EXPECT_FALSE(grid_last_line({0, 4}, 5));
}
