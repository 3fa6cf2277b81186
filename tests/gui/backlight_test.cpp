// The display's backlight: ramps, and the first key after power save only lights the screen.
#include "gui/backlight.h"
#include "gui/sdl_object.h"
#include "gui_fixture.h"
#include "platform/globals.h"
#include "support/sandbox.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

TEST(Backlight, ramp_stops_at_the_last_step_not_past_the_target)
{
    backlight_now = -7;
    blight_sw(0, 95);
    EXPECT_EQ(backlight_now, 90);
    blight_sw(90, 35);
    EXPECT_EQ(backlight_now, 40);
    backlight_now = -7;
    blight_sw(100, 100);
    EXPECT_EQ(backlight_now, -7) << "equal levels send nothing";
}

TEST(PowerSave, first_key_after_dimming_only_lights_the_screen)
{
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    powersave1 = 121;
    backlight_now = 0;
    EXPECT_FALSE(keypressed(SDL_KEYDOWN));
    EXPECT_EQ(backlight_now, configured_backlight());
    EXPECT_EQ(powersave1, 0);
    EXPECT_TRUE(keypressed(SDL_KEYDOWN));
    EXPECT_FALSE(keypressed(SDL_KEYUP));
    powersave1 = 57;
    EXPECT_FALSE(check_ps());
    EXPECT_EQ(powersave1, 0) << "the counter restarts on every key";
    DestroyAllMutexes();
}

// In simulation the window shows the backlight: dark while it is off, the program's drawing
// kept meanwhile and shown whole when the light comes back.
TEST(SimulatedBacklight, the_window_goes_dark_and_comes_back_with_what_was_drawn)
{
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    Sandbox sb;
    gui_reset();
    SDL_Surface* video = SDL_GetVideoSurface();
    ASSERT_NE(nullptr, video);
    auto pixel = [&](int x, int y) {
        Uint8 r, g, b;
        SDL_GetRGB(((Uint16*)video->pixels)[y * video->pitch / 2 + x], video->format, &r, &g, &b);
        return (r << 16) | (g << 8) | b;
    };
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 255, 255, 255));
    set_backlight(configured_backlight());
    show_backlight();
    EXPECT_EQ(0xFFFFFF, pixel(500, 400));

    set_backlight(0);
    show_backlight();
    EXPECT_EQ(0, pixel(500, 400)) << "dark with the backlight off";
    EXPECT_NE(video, screen) << "the program draws into the kept copy meanwhile";
    SDL_Rect r{100, 100, 50, 50};
    SDL_FillRect(screen, &r, SDL_MapRGB(screen->format, 255, 0, 0));
    EXPECT_EQ(0, pixel(120, 120));

    set_backlight(configured_backlight() / 2);
    show_backlight();
    EXPECT_GT(pixel(500, 400) & 0xFF, 0x60);
    EXPECT_LT(pixel(500, 400) & 0xFF, 0xA0) << "half the light, half as bright";

    set_backlight(configured_backlight());
    show_backlight();
    EXPECT_EQ(video, screen);
    EXPECT_EQ(0xFF0000, pixel(120, 120)) << "what was drawn in the dark is shown";
    EXPECT_EQ(0xFFFFFF, pixel(500, 400));
    DestroyAllMutexes();
}
