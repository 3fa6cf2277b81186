// JPEG screenshots: a round trip at quality 90 read back by region, a picture cut to or
// filling its rectangle, and files that are missing, damaged or cannot be written.
#include "files/screenshot.h"

#include "gui/screen_table.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

SDL_Surface* surface16(int w, int h)
{
    return SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
}

void fill(SDL_Surface* s, int x, int y, int w, int h, Uint8 r, Uint8 g, Uint8 b)
{
    SDL_Rect rc{Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
    SDL_FillRect(s, &rc, SDL_MapRGB(s->format, r, g, b));
}

// Mean colour of a region (8 bits per channel).
struct Mean {
    double r, g, b;
};
Mean mean(SDL_Surface* s, int x0, int y0, int w, int h)
{
    double r = 0, g = 0, b = 0;
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++) {
            Uint8 cr, cg, cb;
            SDL_GetRGB(((Uint16*)((Uint8*)s->pixels + y * s->pitch))[x], s->format, &cr, &cg, &cb);
            r += cr;
            g += cg;
            b += cb;
        }
    const double n = double(w) * h;
    return {r / n, g / n, b / n};
}

void expect_colour(SDL_Surface* s, int x, int y, int w, int h, int r, int g, int b, const char* what)
{
    const Mean m = mean(s, x, y, w, h);
    EXPECT_NEAR(r, m.r, 10) << what;
    EXPECT_NEAR(g, m.g, 10) << what;
    EXPECT_NEAR(b, m.b, 10) << what;
}

class Screenshots : public ::testing::Test {
protected:
    Sandbox sb;
    void SetUp() override
    {
        ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/mnt/hda1") + "'").c_str()));
    }
};

} // namespace

TEST_F(Screenshots, round_trip_at_quality_90_keeps_every_region)
{
    SDL_Surface* src = surface16(320, 200);
    fill(src, 0, 0, 320, 200, 53, 38, 38);
    fill(src, 20, 20, 100, 60, 255, 0, 0);
    fill(src, 160, 20, 100, 60, 0, 255, 0);
    fill(src, 20, 110, 100, 60, 0, 0, 255);
    fill(src, 160, 110, 100, 60, 255, 255, 255);
    ASSERT_EQ(0, SaveScreenToJPEG(src, nullptr, 90, "/mnt/hda1/shot.jpg"));
    FILE* f = fopen(sb.path("/mnt/hda1/shot.jpg").c_str(), "rb");
    ASSERT_NE(nullptr, f);
    unsigned char magic[3] = {};
    ASSERT_EQ(3u, fread(magic, 1, 3, f));
    fclose(f);
    EXPECT_EQ(0xFF, magic[0]);
    EXPECT_EQ(0xD8, magic[1]) << "a JPEG start-of-image marker";

    SDL_Surface* back = surface16(320, 200);
    fill(back, 0, 0, 320, 200, 0, 0, 0);
    SDL_Rect r{0, 0, 320, 200};
    ASSERT_EQ(0, LoadScreenFromJPEG(back, &r, "/mnt/hda1/shot.jpg"));
    // Inside each block, away from the edges where JPEG blurs colours together.
    expect_colour(back, 30, 30, 80, 40, 255, 0, 0, "red");
    expect_colour(back, 170, 30, 80, 40, 0, 255, 0, "green");
    expect_colour(back, 30, 120, 80, 40, 0, 0, 255, "blue");
    expect_colour(back, 170, 120, 80, 40, 255, 255, 255, "white");
    expect_colour(back, 280, 5, 30, 10, 53, 38, 38, "background");

    // A part of the surface: the rectangle of the green block only.
    SDL_Rect green{160, 20, 100, 60};
    ASSERT_EQ(0, SaveScreenToJPEG(src, &green, 90, "/mnt/hda1/part.jpg"));
    fill(back, 0, 0, 320, 200, 0, 0, 0);
    SDL_Rect at{10, 10, 320, 200};
    ASSERT_EQ(0, LoadScreenFromJPEG(back, &at, "/mnt/hda1/part.jpg"));
    expect_colour(back, 20, 20, 80, 40, 0, 255, 0, "the part, shown at its own size");
    expect_colour(back, 10, 75, 100, 40, 0, 0, 0, "a smaller picture fills only its own size");
    expect_colour(back, 115, 10, 100, 60, 0, 0, 0, "right of the picture");
    SDL_FreeSurface(src);
    SDL_FreeSurface(back);
}

TEST_F(Screenshots, a_larger_picture_is_cut_to_the_rectangle)
{
    SDL_Surface* src = surface16(200, 200);
    fill(src, 0, 0, 200, 200, 255, 255, 0);
    ASSERT_EQ(0, SaveScreenToJPEG(src, nullptr, 90, "/mnt/hda1/big.jpg"));
    SDL_Surface* back = surface16(200, 200);
    fill(back, 0, 0, 200, 200, 0, 0, 0);
    SDL_Rect small{50, 50, 40, 30};
    ASSERT_EQ(0, LoadScreenFromJPEG(back, &small, "/mnt/hda1/big.jpg"));
    expect_colour(back, 52, 52, 36, 26, 255, 255, 0, "inside the rectangle");
    expect_colour(back, 0, 0, 200, 50, 0, 0, 0, "above");
    expect_colour(back, 90, 50, 110, 30, 0, 0, 0, "right of it");
    expect_colour(back, 50, 80, 40, 120, 0, 0, 0, "below");
    SDL_FreeSurface(src);
    SDL_FreeSurface(back);
}

TEST_F(Screenshots, missing_damaged_and_unwritable_files_fail_cleanly)
{
    SDL_Surface* s = surface16(64, 64);
    fill(s, 0, 0, 64, 64, 10, 20, 30);
    EXPECT_EQ(-3, LoadScreenFromJPEG(s, nullptr, "/mnt/hda1/none.jpg"));
    EXPECT_EQ(-3, SaveScreenToJPEG(s, nullptr, 90, "/mnt/hda1/no/such/dir.jpg"));

    // Not a JPEG, and a JPEG cut short: the library's error comes back, nothing is drawn.
    FILE* f = fopen(sb.path("/mnt/hda1/text.jpg").c_str(), "wb");
    fputs("this is not a picture", f);
    fclose(f);
    EXPECT_EQ(kJpegError, LoadScreenFromJPEG(s, nullptr, "/mnt/hda1/text.jpg"));
    ASSERT_EQ(0, SaveScreenToJPEG(s, nullptr, 90, "/mnt/hda1/good.jpg"));
    FILE* g = fopen(sb.path("/mnt/hda1/good.jpg").c_str(), "rb");
    char head[200];
    const size_t n = fread(head, 1, sizeof head, g);
    fclose(g);
    FILE* h = fopen(sb.path("/mnt/hda1/cut.jpg").c_str(), "wb");
    fwrite(head, 1, n / 2, h);
    fclose(h);
    fill(s, 0, 0, 64, 64, 1, 2, 3);
    const int r = LoadScreenFromJPEG(s, nullptr, "/mnt/hda1/cut.jpg");
    EXPECT_TRUE(r == kJpegError || r == 0) << "libjpeg pads a truncated file or reports it: " << r;

    // Not a 16-bit surface, or nothing to save.
    SDL_Surface* s8 = SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 8, 8, 0, 0, 0, 0);
    EXPECT_EQ(5, SaveScreenToJPEG(s8, nullptr, 90, "/mnt/hda1/x.jpg"));
    SDL_Rect outside{100, 100, 10, 10};
    EXPECT_EQ(5, SaveScreenToJPEG(s, &outside, 90, "/mnt/hda1/x.jpg"));
    FILE* x = fopen(sb.path("/mnt/hda1/x.jpg").c_str(), "rb");
    EXPECT_EQ(nullptr, x) << "no file for a refused save";
    if (x)
        fclose(x);
    SDL_FreeSurface(s8);
    SDL_FreeSurface(s);
}

TEST_F(Screenshots, screenshot_mode_saves_the_screen_under_a_time_stamp)
{
    ASSERT_NE(nullptr, mS.surface);
    ASSERT_NE(nullptr, SDL_GetVideoSurface());
    fill(SDL_GetVideoSurface(), 0, 0, 1024, 768, 0, 128, 255);
    ASSERT_EQ(0, screenshot_mode());
    ASSERT_EQ(17u, strlen(scrshot_fname)) << scrshot_fname;
    EXPECT_EQ('_', scrshot_fname[6]);
    EXPECT_STREQ(".jpg", scrshot_fname + 13);
    SDL_Surface* back = surface16(1024, 768);
    ASSERT_EQ(0, LoadScreenFromJPEG(back, nullptr, (std::string("/mnt/hda1/") + scrshot_fname).c_str()));
    expect_colour(back, 100, 100, 800, 500, 0, 128, 255, "the whole screen");
    SDL_FreeSurface(back);
    // The picture is shown again by its name in the data folder.
    fill(SDL_GetVideoSurface(), 0, 0, 1024, 768, 0, 0, 0);
    EXPECT_EQ(0, iOpen(SDL_GetVideoSurface(), scrshot_fname));
    expect_colour(SDL_GetVideoSurface(), 100, 100, 800, 500, 0, 128, 255, "shown by iOpen");
}
