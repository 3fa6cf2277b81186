// The display's backlight: ramps, and the first key after power save only lights the screen.
#include "gui/backlight.h"
#include "platform/globals.h"

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
