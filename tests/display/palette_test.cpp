// Palettes: the built-in grey ramp and rainbow, palette files of 64 colours, and a missing or
// damaged file; a palette change recolours the radargram without rendering it again.
#include "display_fixture.h"

#include "gui/palette.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

void write_palette(const std::string& path, size_t bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    for (size_t i = 0; i < bytes; i++) {
        const int word = int(i / 4), byte = int(i % 4);
        // Colour k: red k * 4, green 255 - k * 4, blue k; fourth byte 0.
        const int v = byte == 0 ? word * 4 : byte == 1 ? 255 - word * 4 : byte == 2 ? word : 0;
        fputc(v, f);
    }
    fclose(f);
}

bool same(const SDL_Color& c, int r, int g, int b) { return c.r == r && c.g == g && c.b == b; }

} // namespace

TEST(Palettes, built_in_grey_ramp_and_rainbow)
{
    PalSET p;
    for (int i = 0; i < 256; i++)
        ASSERT_TRUE(same(p.colors[i], i, i, i)) << i;
    p.Standart();
    EXPECT_TRUE(same(p.colors[0], 255, 0, 0));
    EXPECT_TRUE(same(p.colors[31], 255, 0, 248));
    EXPECT_TRUE(same(p.colors[32], 255, 0, 255));
    EXPECT_TRUE(same(p.colors[95], 0, 248, 255));
    EXPECT_TRUE(same(p.colors[128], 0, 255, 0));
    EXPECT_TRUE(same(p.colors[200], 255, 64, 64));
    EXPECT_TRUE(same(p.colors[254], 15, 15, 15));
    EXPECT_TRUE(same(p.colors[255], 0, 0, 0)) << "the last entry is black";
}

TEST(Palettes, file_colours_fill_four_entries_each_and_bad_files_are_reported)
{
    Sandbox sb;
    ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/mnt/hda1") + "'").c_str()));
    write_palette(sb.path("/mnt/hda1/test.pal"), 256);
    PalSET p;
    ASSERT_EQ(0, p.Load("/mnt/hda1/test.pal"));
    for (int i = 0; i < 256; i++) {
        const int k = i / 4;
        ASSERT_TRUE(same(p.colors[i], k * 4, 255 - k * 4, k)) << i;
    }

    // A missing file keeps what was there.
    EXPECT_EQ(-1, p.Load("/mnt/hda1/none.pal"));
    EXPECT_TRUE(same(p.colors[40], 40, 215, 10));

    // A damaged (short) file: a clear error and the grey ramp, never a half-changed palette.
    write_palette(sb.path("/mnt/hda1/short.pal"), 100);
    testing::internal::CaptureStdout();
    EXPECT_EQ(-2, p.Load("/mnt/hda1/short.pal"));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("short.pal is damaged")) << out;
    for (int i = 0; i < 256; i++)
        ASSERT_TRUE(same(p.colors[i], i, i, i)) << i;
}

TEST(Palettes, radargram_palettes_recolour_without_rendering_again)
{
    DisplayState st;
    fill_store(30, [](int t, int s) { return float((s - 256) * 20000); });
    auto b = make_radargram();
    b->datatran(0, false, 0, 2, false);
    const Uint8 before = b->pixel(10, 400);
    // The shipped colour palettes load; the image keeps its indices.
    EXPECT_EQ(0, b->setcolors(1));
    EXPECT_FALSE(same(b->pal.colors[0], 0, 0, 0)) << "VeryGood.pal is not the grey ramp";
    EXPECT_EQ(before, b->pixel(10, 400));
    SDL_Color shown = b->image->format->palette->colors[before];
    EXPECT_TRUE(same(shown, b->pal.colors[before].r, b->pal.colors[before].g, b->pal.colors[before].b))
        << "the image surface uses the palette";
    EXPECT_EQ(0, b->setcolors(2));
    EXPECT_FALSE(same(b->pal.colors[255], b->pal.colors[0].r, b->pal.colors[0].g, b->pal.colors[0].b));
    EXPECT_EQ(0, b->setcolors(0));
    EXPECT_TRUE(same(b->image->format->palette->colors[77], 77, 77, 77));
    EXPECT_EQ(255, b->white);
    EXPECT_EQ(0, b->black);
}
