// Drawing the radargram on the screen: the image through the palette at the view's first
// row, the black area right of the data, the rulers, the cursor and the markers, the scroll
// bars' thumbs over the part of the profile and of the trace in view. With
// GPRMON_DOC_SHOTS naming a folder the screen is also saved there as radargram.jpg.
#include "display_fixture.h"

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/markers.h"
#include "files/screenshot.h"
#include "gui/draw.h"
#include "gui/key_script.h"
#include "gui/screen_table.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

struct Rgb {
    int r, g, b;
};

Rgb screen_px(int x, int y)
{
    SDL_Surface* s = SDL_GetVideoSurface();
    Uint8 r, g, b;
    SDL_GetRGB(((Uint16*)((Uint8*)s->pixels + y * s->pitch))[x], s->format, &r, &g, &b);
    return {r, g, b};
}

// 16-bit screens keep 5 or 6 bits per channel.
bool near(Rgb a, Rgb b) { return std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8; }

float layers(int t, int s)
{
    const double apex = 20 + std::sqrt(130.0 * 130.0 + (t - 300) * (t - 300) * 0.5);
    double v = 2e6 * std::sin(s * 0.4) * std::exp(-std::pow((s - 40) / 6.0, 2));
    v += 3e6 * std::sin(s * 0.5) * std::exp(-std::pow((s - apex) / 4.0, 2));
    v += 1e6 * std::sin(s * 0.3) * std::exp(-std::pow((s - 260 - 20 * std::sin(t / 90.0)) / 8.0, 2));
    return float(v + ((t * 7 + s * 13) % 17 - 8) * 2e4);
}

} // namespace

TEST(RadargramDraw, image_rulers_cursor_and_markers_reach_the_screen)
{
    Sandbox sb;
    DisplayState st;
    ASSERT_NE(nullptr, SDL_GetVideoSurface());
    fill_screen(53, 38, 38);
    eep.display_opt = 1; // with the trace view
    eep.screen_opt2 = 1;
    fill_store(600, layers);
    auto b = make_radargram(true);
    b->par_Init();
    ASSERT_EQ(826 - 117, b->width);
    b->compression = 0.75;
    b->resampdef();
    b->setcolors(1);
    b->datatran(600, false, 30, 2, false);
    b->setEERulers();
    CMarkers m;
    m.list.emplace_back(new CMarker{300, 150, 12, "S1", 1});
    m.list.emplace_back(new CMarker{450, 100, -1, "", 0});
    b->markers = &m;
    b->hr->SetPos(b->first_trace + 200);
    b->Draw();

    const int x0 = b->rect.x, y0 = b->rect.y;
    // Image pixels come through the palette, starting at the view's first row.
    const int top = int(b->first_sample / b->compression);
    for (int col : {10, 100, 250, 590})
        for (int row : {5, 120, 400}) {
            const SDL_Color c = b->pal.colors[b->pixel(col, top + row)];
            ASSERT_TRUE(near(screen_px(x0 + col, y0 + row), Rgb{c.r, c.g, c.b})) << col << "," << row;
        }
    // The cursor: a black column and a white one beside it.
    EXPECT_TRUE(near(screen_px(x0 + 200, y0 + 300), Rgb{0, 0, 0}));
    EXPECT_TRUE(near(screen_px(x0 + 201, y0 + 300), Rgb{255, 255, 255}));
    // The surface marker: a filled circle in (160, 176, 255) at its trace and sample.
    const int mx = x0 + 300 - b->first_trace, my = y0 + int((150 - b->first_sample) / b->compression);
    EXPECT_TRUE(near(screen_px(mx, my), Rgb{160, 176, 255}));
    // The rulers are white strips with black marks.
    // (Row 5 of the distance ruler, among the ticks: the first label now starts at column 0.)
    EXPECT_TRUE(near(screen_px(x0 + 3, y0 - 25), Rgb{255, 255, 255}) ||
                near(screen_px(x0 + 3, y0 - 25), Rgb{0, 0, 0}));
    EXPECT_TRUE(near(screen_px(x0 - 25, y0 + 333), Rgb{255, 255, 255}) ||
                near(screen_px(x0 - 25, y0 + 333), Rgb{0, 0, 0}));

    if (const char* dir = getenv("GPRMON_DOC_SHOTS")) {
        SDL_Rect all{0, 0, 1024, 768};
        const std::string path = std::string(dir) + "/radargram.jpg";
        EXPECT_EQ(0, SaveScreenToJPEG(SDL_GetVideoSurface(), &all, 90, path.c_str(), false));
        save_screen_png((std::string(dir) + "/radargram.png").c_str());
    }

    // Fewer traces than columns: the rest of the window is black.
    fill_store(100, layers);
    b->datatran(0, false, 0, 2, false);
    b->hr->SetPos(-1);
    b->Draw();
    EXPECT_TRUE(near(screen_px(x0 + 300, y0 + 300), Rgb{0, 0, 0}));
    EXPECT_FALSE(near(screen_px(x0 + 50, y0 + 300), Rgb{53, 38, 38}));
    b->markers = nullptr;
}

TEST(RadargramDraw, cursor_moves_without_leaving_a_trail_and_the_template_meets_it_at_its_row)
{
    Sandbox sb;
    DisplayState st;
    fill_screen(53, 38, 38);
    eep.ant_separation = 0.0f;
    fill_store(500, layers);
    auto b = make_radargram();
    b->datatran(500, false, 0, 2, false);
    b->hr->SetPos(b->first_trace + 100);
    b->Draw();
    const int x0 = b->rect.x, y0 = b->rect.y;
    EXPECT_EQ(100, b->cursor_index);
    ASSERT_TRUE(near(screen_px(x0 + 100, y0 + 200), Rgb{0, 0, 0}));

    // The cursor moves on: its old columns show the image again.
    b->hr->SetPos(b->first_trace + 300);
    b->draw_curpos(true);
    EXPECT_EQ(300, b->cursor_index);
    for (int col : {100, 101}) {
        const SDL_Color c = b->pal.colors[b->pixel(col, 200)];
        EXPECT_TRUE(near(screen_px(x0 + col, y0 + 200), Rgb{c.r, c.g, c.b})) << col;
    }
    EXPECT_TRUE(near(screen_px(x0 + 300, y0 + 200), Rgb{0, 0, 0}));

    // The hyperbola template: its apex (black, white two rows lower) is at the cursor's
    // column and the horizontal cursor's row, its arms lower on both sides.
    b->hcur_row = 150;
    b->hyper_on = 1;
    b->Draw();
    EXPECT_TRUE(near(screen_px(x0 + 300, y0 + 150), Rgb{0, 0, 0}) ||
                near(screen_px(x0 + 299, y0 + 150), Rgb{0, 0, 0}));
    int arm_row = -1;
    for (int row = 151; row < 600 && arm_row < 0; row++)
        if (near(screen_px(x0 + 310, y0 + row), Rgb{0, 0, 0}) &&
            near(screen_px(x0 + 310, y0 + row + 2), Rgb{255, 255, 255}))
            arm_row = row;
    // 0.5 m off a reflector 0.65 m deep: a path of 2 * sqrt(0.25 + 0.4225) m, sample 184.
    EXPECT_NEAR(184, arm_row, 2) << "10 traces off the apex the reflection arrives later";
}

// The trigger step is kept in metres; the distance ruler shows it in the chosen unit.
TEST(RadargramDraw, distance_ruler_converts_the_metre_step_into_the_display_unit)
{
    Sandbox sb;
    DisplayState st;
    const uint8_t units = xml_pars.units, length = xml_pars.length_units;
    fill_store(100, layers);
    auto b = make_radargram(true);
    b->par_Init();
    eep.step_distance = 0.03048;

    xml_pars.units = 1; // metric
    xml_pars.length_units = 0;
    b->setEERulers();
    EXPECT_NEAR(0.03048, b->hr->unit, 1e-12);
    EXPECT_STREQ("[m]", b->hr->unit_text);

    xml_pars.units = 0; // imperial: a tenth of a foot per trace
    b->setEERulers();
    EXPECT_NEAR(0.1, b->hr->unit, 1e-9);
    EXPECT_STREQ("[ft]", b->hr->unit_text);
    xml_pars.length_units = 1;
    b->setEERulers();
    EXPECT_NEAR(1.2, b->hr->unit, 1e-9) << "inches";

    xml_pars.units = units;
    xml_pars.length_units = length;
}

// The scroll bars as drawn: along each track the raised thumb (lighter than the sunken track)
// covers the share of the profile or of the trace that is in view, at its place.
TEST(RadargramDraw, scroll_thumbs_cover_the_part_in_view)
{
    DisplayState st;
    eep.samples = 1024;
    auto b = make_radargram(true);
    eep.screen_opt2 = 1;
    b->compression = 1.0;
    b->resampdef();
    // Pixels of the thumb's colour along the middle line of each track: first and count.
    auto run = [](const CScrollBar& bar, int x0, int y0, int dx, int dy, int len) {
        int first = -1, n = 0;
        for (int i = 0; i < len; i++)
            if (near(screen_px(x0 + i * dx, y0 + i * dy), {bar.thumb.r, bar.thumb.g, bar.thumb.b})) {
                first = first < 0 ? i : first;
                n++;
            }
        return std::pair<int, int>(first, n);
    };
    struct Case {
        const char* what;
        int traces, trace_shift, sample_shift;
        bool to_end;
    };
    const Case cases[] = {
        {"fewer traces than columns: the whole profile in view", 300, 0, 0, true},
        {"the end of a long profile, the top of the trace", 2000, 0, 0, true},
        {"browsed back, scrolled down the trace", 2000, -1000, 600, false},
        {"at the start, at the trace's end", 2000, -5000, 5000, false},
    };
    int filled = 0;
    for (const Case& c : cases) {
        if (c.traces != filled)
            fill_store(filled = c.traces, layers);
        b->first_trace = 0;
        b->first_sample = 0;
        fill_screen(53, 38, 38);
        b->datatran(0, true, 0, 2, c.to_end);
        b->datatran(c.trace_shift, true, c.sample_shift, 2, false);
        b->Draw();
        const CHScrollBar& h = *b->hsb;
        const CVScrollBar& v = *b->vsb;
        const double ht = h.track_len(), vt = v.track_len();
        const auto hr = run(h, h.track_x(), h.rect.y + h.rect.h / 2, 1, 0, h.track_len());
        const auto vr = run(v, v.rect.x + v.rect.w / 2, v.track_y(), 0, 1, v.track_len());
        const int D = c.traces, S = eep.samples;
        EXPECT_NEAR(ht * b->first_trace / D, hr.first, 2) << c.what;
        EXPECT_NEAR(ht * std::min(D, b->width) / D, hr.second, 3) << c.what;
        EXPECT_NEAR(vt * b->first_sample / S, vr.first, 2) << c.what;
        EXPECT_NEAR(vt * b->rect.h / S, vr.second, 3) << c.what;
        // Beyond the thumb the track is darker (sunken): the light part is the part in view.
        if (hr.first > 4)
            EXPECT_TRUE(near(screen_px(h.track_x() + hr.first / 2, h.rect.y + h.rect.h / 2),
                             {h.trough.r, h.trough.g, h.trough.b})) << c.what;
    }
    EXPECT_LT(b->hsb->trough.r, b->hsb->thumb.r);
}
