// The single-trace view: its row map in every vertical scale mode, where a value lands across
// the width, what is drawn for a trace shorter or longer than the view, and how tDraw
// prepares the trace it shows.
#include "display_fixture.h"

#include "cu/eep.h"
#include "dsp/rounding.h"
#include "gui/screen_table.h"
#include "gui/trace_view.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool black_at(SDL_Surface* s, int x, int y)
{
    Uint8 r, g, b;
    SDL_GetRGB(((const Uint16*)((const Uint8*)s->pixels + y * s->pitch))[x], s->format, &r, &g, &b);
    return r < 64 && g < 64 && b < 64;
}

int ink_in_rows(SDL_Surface* s, int y0, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = 0; x < s->w; x++)
            n += black_at(s, x, y);
    return n;
}

} // namespace

TEST(TraceView, row_map_follows_the_vertical_scale_mode)
{
    (void)&mS;
    DisplayState st;
    CTraceView v(0, 0, 100, 680);
    eep.samples = 1360;
    eep.view_samples = 340;
    eep.screen_opt2 = 3;
    v.tresampdef(99);
    EXPECT_DOUBLE_EQ(0.5, v.compression) << "the shown samples fill the height";
    EXPECT_EQ(0, v.first_sample);
    eep.screen_opt2 = 2;
    v.tresampdef(99);
    EXPECT_DOUBLE_EQ(2.0, v.compression) << "the whole trace fills the height";
    EXPECT_EQ(0, v.row_map[0]);
    EXPECT_EQ(1358, v.row_map[679]);
    eep.screen_opt2 = 0;
    v.tresampdef(40);
    EXPECT_DOUBLE_EQ(1.0, v.compression);
    EXPECT_EQ(40, v.row_map[0]);
    EXPECT_EQ(140, v.row_map[100]);
    // Keypad zoom keeps its compression but never below 0.5; rows between two samples get
    // half the step to the next one.
    eep.screen_opt2 = 1;
    v.compression = 0.3;
    v.tresampdef(0);
    EXPECT_DOUBLE_EQ(0.5, v.compression);
    for (int r = 0; r < 6; r++)
        EXPECT_EQ(mrnd(0.5 * r), v.row_map[r]) << r;
    EXPECT_FLOAT_EQ(0.0f, v.row_w[1]);
    EXPECT_FLOAT_EQ(0.5f, v.row_w[2]) << "second row on sample 1";
    v.compression = 3.0;
    v.tresampdef(10);
    EXPECT_EQ(10 + 3 * 7, v.row_map[7]);
    EXPECT_FLOAT_EQ(0.0f, v.row_w[7]);
}

TEST(TraceView, curve_spans_the_width_and_stops_where_the_samples_end)
{
    (void)&mS;
    DisplayState st;
    eep.screen_opt2 = 0;
    eep.samples = 300;
    CTraceView v(0, 0, 100, 680);
    v.tresampdef(0);
    std::vector<int32_t> t(2048, 0);
    t[100] = 32767;
    t[200] = -32768;
    v.tDraw(t.data(), 0, -1, -1, false, "");
    // Minus the mean (about 0): zero in the middle, full scale at the edges.
    EXPECT_EQ(0, v.dc);
    EXPECT_TRUE(black_at(v.surf, 50, 50));
    EXPECT_TRUE(black_at(v.surf, v.x_of(v.display[100]), 100));
    EXPECT_GE(v.x_of(v.display[100]), 98);
    EXPECT_LE(v.x_of(v.display[200]), 1);
    EXPECT_EQ(300, v.rows_with_samples(300));
    EXPECT_EQ(0, ink_in_rows(v.surf, 301, 680)) << "no curve and no arrow below the trace";

    // A trace longer than the view: the curve fills it and an arrow points down.
    eep.samples = 2048;
    v.tresampdef(0);
    std::fill(t.begin(), t.end(), 0);
    v.tDraw(t.data(), 0, -1, -1, false, "");
    EXPECT_TRUE(black_at(v.surf, 50, 679));
    EXPECT_TRUE(black_at(v.surf, 100 - 15 + 6, 680 - 10 + 1)) << "the arrow";
}

TEST(TraceView, tdraw_prepares_raw_filtered_and_gained_traces)
{
    (void)&mS;
    DisplayState st;
    eep.samples = 256;
    CTraceView v(0, 0, 100, 680);
    std::vector<int32_t> t(2048, 0);
    for (int i = 0; i < 256; i++)
        t[i] = 1000 + (i % 2 ? 200 : -200);
    // Raw: the mean is shown as DC and removed.
    v.tDraw(t.data(), 0, 0, -1, true, "");
    EXPECT_EQ(1000, v.dc);
    EXPECT_EQ(200, v.display[1]);
    EXPECT_EQ(-200, v.display[2]);
    // Gained (kind 1, no time gain): one hundredth of the trace.
    v.tDraw(t.data(), 0, 1, -1, false, "");
    EXPECT_EQ(12, v.display[1]);
    EXPECT_EQ(8, v.display[2]);
    // Values beyond 16 bits are clamped, not wrapped.
    t[5] = 100000000;
    v.tDraw(t.data(), 0, 0, -1, false, "");
    EXPECT_EQ(32767, v.display[5]);

    // Without a trace: the stored one, rounded; all zeros when the store is empty.
    v.tDraw(nullptr, 3, 0, -1, false, "");
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(0, v.display[i]);
    fill_store(10, [](int tr, int s) { return tr * 10.4f + s; });
    v.tDraw(nullptr, 3, 0, -1, false, "");
    EXPECT_EQ(mrnd(31.2f + 7), v.display[7]);
    // Kind 2 with background removal: trace minus the mean of those before it, times gain.
    test_filters()[FLT_DEL_MEAN].display_on = 1;
    test_filters()[FLT_DEL_MEAN].int_par[0] = 2;
    float gain[2048];
    std::fill(gain, gain + 2048, 1000.0f);
    v.gain = gain;
    v.tDraw(nullptr, 3, 2, -1, false, "");
    // Traces 1 and 2 average 15.6 + s; trace 3 is 31.2 + s: difference 15.6, times 1000,
    // times the contrast factor 0.1 and 0.03.
    EXPECT_NEAR(15.6 * 1000 * 0.1 * 0.03, v.display[40], 1.0);
}
