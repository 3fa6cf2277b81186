// Rulers: the label step in metres, feet and inches, the label texts, and what a drawn ruler
// shows (ticks where values cross their steps, labels kept clear of the unit text, the
// upright rulers running from the top).
#include "display_fixture.h"

#include "gui/rulers.h"
#include "gui/screen_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

bool black_at(SDL_Surface* s, int x, int y)
{
    Uint8 r, g, b;
    const Uint16 v = ((const Uint16*)((const Uint8*)s->pixels + y * s->pitch))[x];
    SDL_GetRGB(v, s->format, &r, &g, &b);
    return r < 64 && g < 64 && b < 64;
}

// Equal pixels in a region of two surfaces of the same size.
bool same_region(SDL_Surface* a, SDL_Surface* b, int x0, int y0, int x1, int y1)
{
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            if (((const Uint16*)((const Uint8*)a->pixels + y * a->pitch))[x] !=
                ((const Uint16*)((const Uint8*)b->pixels + y * b->pitch))[x])
                return false;
    return true;
}

std::string label(double u, double v)
{
    char t[32];
    ruler_label(u, v, t, sizeof t);
    return t;
}

struct Step {
    const char* unit;
    double u;
    int G, n, L;
};

} // namespace

TEST(RulerSteps, follow_the_scale_in_si_and_imperial_units)
{
    const Step cases[] = {
        // SI (and every unit text but feet and inches): n = 5 for the "5" steps or when a
        // label step is 50 pixels or less, else 10.
        {"[m]", 0.0003, 20, 10, 4},       {"[m]", 0.005, 400, 10, 80},
        {"[m]", 0.0099, 500, 5, 100},     {"[m]", 0.01, 1000, 10, 200},
        {"[m]", 0.05, 5000, 5, 1000},     {"[m]", 0.3, 20000, 10, 4000},
        {"[m]", 0.5, 50000, 5, 10000},    {"[ns]", 0.1, 10000, 10, 2000},
        {"[m]", 30, 2000000, 10, 300000}, {"[m]", 45, 2000000, 5, 300000},
        // Feet: twelve inches to the foot at the finest step.
        {"[ft]", 0.01, 1000, 12, 200},    {"[ft]", 0.05, 4000, 4, 800},
        {"[ft]", 1.5, 80000, 10, 20000},  {"[ft]", 25, 2000000, 5, 300000},
        // Inches.
        {"[in]", 0.0005, 50, 5, 10},      {"[in]", 0.003, 200, 4, 40},
        {"[in]", 0.3, 20000, 2, 4000},    {"[in]", 1, 100000, 10, 20000},
        {"[in]", 50, 2000000, 5, 300000},
    };
    for (const Step& c : cases) {
        const RulerStep s = ruler_step(c.unit, c.u);
        EXPECT_EQ(c.G, s.G) << c.unit << " " << c.u;
        EXPECT_EQ(c.n, s.n) << c.unit << " " << c.u;
        EXPECT_EQ(c.L, s.L) << c.unit << " " << c.u;
    }
}

TEST(RulerSteps, label_texts_round_by_the_scale)
{
    EXPECT_EQ("1.23", label(0.0005, 1.234));
    EXPECT_EQ("1.20", label(0.003, 1.27));
    EXPECT_EQ(" 2.3", label(0.007, 2.345));
    EXPECT_EQ("12", label(0.1, 12.9));
    EXPECT_EQ("40", label(0.5, 42.7)) << "last digit 0..2 rounds down to tens";
    EXPECT_EQ("47", label(0.5, 47.2));
    EXPECT_EQ("1200", label(2, 1224.0));
    EXPECT_EQ("1225", label(2, 1225.0));
}

TEST(Rulers, horizontal_ticks_pointer_and_scrolling)
{
    (void)&mS; // the screen and the ruler font
    DisplayState st;
    CHRuler r(0, 0, 400, 30, 0, 0, 12, 399, "[m]", false);
    r.SetUnit(0.01);
    r.pointer_on = 0;
    r.Draw();
    SDL_Surface* s = r.surf;
    // Labels every metre (100 pixels) with a major tick of 5 rows from the line at row 2;
    // minor ticks every 10 cm, 3 rows long.
    for (int x : {0, 100, 200, 300}) {
        EXPECT_TRUE(black_at(s, x, 6)) << x;
        EXPECT_TRUE(black_at(s, x + 1, 6)) << "major ticks are 2 pixels wide";
    }
    EXPECT_TRUE(black_at(s, 110, 4));
    EXPECT_FALSE(black_at(s, 110, 6));
    EXPECT_FALSE(black_at(s, 105, 4));
    EXPECT_TRUE(black_at(s, 50, 2)) << "the base line";

    // A unit of 0 is drawn as 0.01.
    CHRuler zero(0, 0, 400, 30, 0, 0, 12, 399, "[m]", false);
    zero.SetUnit(0);
    zero.pointer_on = 0;
    zero.Draw();
    EXPECT_TRUE(same_region(zero.surf, s, 0, 0, 400, 30));

    // SetPos beyond the last index scrolls so that the position is the last one.
    r.SetPos(450);
    EXPECT_EQ(51, r.offset);
    EXPECT_EQ(450, r.last);
    r.SetPos(100);
    EXPECT_EQ(51, r.offset);
    r.SetOffset(60);
    EXPECT_EQ(459, r.last);
}

TEST(Rulers, labels_never_reach_the_unit_text)
{
    (void)&mS;
    DisplayState st;
    ASSERT_NE(nullptr, CSDLObject::r_font);
    auto make = [](int offset, const char* unit) {
        auto r = std::make_unique<CHRuler>(0, 0, 400, 30, 0, 0, 12, 399, unit, false);
        r->SetUnit(0.01);
        r->pointer_on = 0;
        r->SetOffset(offset);
        r->Draw();
        return r;
    };
    auto near_end = make(15, "[m]");  // a label is due at column 385
    auto clear = make(60, "[m]");     // labels at 40 .. 340 only
    auto no_unit = make(15, "");
    // Below the ticks, the last 40 columns hold the unit text and nothing else.
    EXPECT_TRUE(same_region(near_end->surf, clear->surf, 360, 8, 400, 30));
    EXPECT_FALSE(same_region(no_unit->surf, clear->surf, 360, 8, 400, 30))
        << "without a unit text the label at 385 is drawn";
}

TEST(Rulers, a_label_at_the_first_column_is_drawn_whole)
{
    (void)&mS;
    DisplayState st;
    // 16 m at column 0 (1 cm per column): the label "16" lies right of the tick, both digits.
    CHRuler r(0, 0, 400, 30, 0, 0, 12, 399, "[m]", false);
    r.SetUnit(0.01);
    r.pointer_on = 0;
    r.SetOffset(1600);
    r.Draw();
    int right = -1; // the label's last column with ink
    for (int x = 0; x < 40; x++)
        for (int y = 10; y < 30; y++)
            if (black_at(r.surf, x, y))
                right = x;
    EXPECT_GE(right, 11) << "two digits from the left edge, not the second alone";
    EXPECT_TRUE(black_at(r.surf, 0, 6)) << "the tick stays at its column";
}

TEST(Rulers, vertical_rulers_run_down_from_the_top_on_either_side)
{
    (void)&mS;
    DisplayState st;
    CVRuler left(0, 0, 30, 400, 0, 0, 12, 399, true, "[m]", true);
    left.SetUnit(0.01);
    left.pointer_on = 0;
    left.Draw();
    // The line faces the image (right edge) and major ticks come off it every metre.
    for (int y : {0, 100, 200, 300})
        EXPECT_TRUE(black_at(left.surf2, 30 - 1 - 6, y)) << y;
    EXPECT_FALSE(black_at(left.surf2, 30 - 1 - 6, 50));
    EXPECT_TRUE(black_at(left.surf2, 30 - 1 - 2, 250)) << "the base line";

    CVRuler right(0, 0, 30, 400, 0, 0, 12, 399, false, "[ns]", true);
    right.SetUnit(0.01);
    right.pointer_on = 0;
    right.Draw();
    for (int y : {0, 100, 200, 300})
        EXPECT_TRUE(black_at(right.surf2, 6, y)) << y;
    EXPECT_FALSE(black_at(right.surf2, 6, 50));

    // Depth through the antenna separation; nothing above the surface.
    left.SetUnit(0.1);
    left.separation = 0.5;
    EXPECT_DOUBLE_EQ(0.0, left.DistDist(-5));
    EXPECT_NEAR(std::sqrt(0.5 + 1.0), left.DistDist(10), 1e-12);
    left.separation = 0;
    EXPECT_NEAR(1.0, left.DistDist(10), 1e-12);
}
