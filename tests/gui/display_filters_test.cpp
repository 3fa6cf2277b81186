// The contrast and time-gain sliders of the radargram screens and the filter values behind
// them, and the input step's rules for measurements and migrated data.
#include "gui_fixture.h"

#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "gui/button.h"
#include "gui/display_filters.h"
#include "gui/input.h"
#include "acquisition/acq_state.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"

#include <gtest/gtest.h>

namespace {

struct SliderRow {
    CHSlider* contrast;
    CHSlider* gain;
    CButton* button8;
};

// Row 1 (file view) with the two sliders and a button in slot 8, shown and current.
SliderRow slider_row()
{
    gui_reset();
    xml_pars.Init();
    eep.ant_record = nullptr;
    prm.gain_switch = 0;
    SliderRow r;
    r.contrast = new CHSlider(890, 524, "", 0, 0, "", -1, -1, 20, 1);
    r.gain = new CHSlider(890, 601, "", 0, 0, "", -1, -1, 20, 1);
    r.button8 = new CButton("3", 890, 448, "", 0, 0, "delmean", -1, -1, 20, 11);
    mS.put(1, kSlotContrast, r.contrast);
    mS.put(1, kSlotTimeGain, r.gain);
    mS.put(1, 8, r.button8);
    mode = 1;
    mS.DrawObjs(1);
    drain_events();
    return r;
}

CFilterRecord& flt(FilterSlotKind k) { return eep.current_antenna().filter[k]; }

int key(SDLKey k)
{
    push_key(k);
    int r = press_but_and_slid();
    press_but_and_slid(); // the release
    return r;
}

} // namespace

TEST(DisplaySliders, start_from_the_filters_of_the_current_antenna)
{
    SliderRow r = slider_row();
    flt(FLT_CONTRAST).int_par[0] = 41;
    flt(FLT_TIME_GAIN).int_par[3] = 50;
    mS.Init_3_filters();
    EXPECT_FLOAT_EQ(r.contrast->value, 20.0f) << "contrast / 2";
    EXPECT_FLOAT_EQ(r.gain->value, 8.0f) << "mrnd(50 * 40 / 255) = mrnd(7.84)";

    // Automatic gain: 41 - Bias / speed, speed = seventh parameter / 1.99, at least 0.99.
    prm.gain_switch = 1;
    flt(FLT_AUTO_GAIN).int_par[3] = 20;
    flt(FLT_AUTO_GAIN).int_par[6] = 0;
    mS.Init_3_filters();
    EXPECT_FLOAT_EQ(again_bias_speed, 0.99f);
    EXPECT_NEAR(r.gain->value, 41.0 - 20 / 0.99, 1e-4);
    flt(FLT_AUTO_GAIN).int_par[6] = 199;
    mS.Init_3_filters();
    EXPECT_NEAR(again_bias_speed, 100.0f, 1e-4);
    EXPECT_FLOAT_EQ(r.gain->value, 40.0f) << "41 - 0.2 is beyond the slider: its maximum";
    flt(FLT_AUTO_GAIN).int_par[3] = 100000;
    mS.Init_3_filters();
    EXPECT_FLOAT_EQ(r.gain->value, 0.0f) << "a huge Bias stops at the minimum";
}

TEST(DisplaySliders, keys_on_a_pressed_slider_change_the_filter_within_its_range)
{
    SliderRow r = slider_row();
    flt(FLT_CONTRAST).int_par[0] = 2;
    flt(FLT_TIME_GAIN).int_par[3] = 255;
    mS.Init_3_filters();
    ASSERT_FLOAT_EQ(r.contrast->value, 1.0f);
    ASSERT_FLOAT_EQ(r.gain->value, 40.0f);

    curbut = kSlotContrast;
    r.contrast->pressed = 1;
    EXPECT_EQ(key(SDLK_LEFT), 100);
    EXPECT_FLOAT_EQ(r.contrast->value, 0.0f);
    EXPECT_EQ(flt(FLT_CONTRAST).int_par[0], 0);
    key(SDLK_LEFT);
    EXPECT_FLOAT_EQ(r.contrast->value, 0.0f) << "held at the minimum";
    EXPECT_EQ(key(SDLK_RIGHT), 101);
    EXPECT_EQ(flt(FLT_CONTRAST).int_par[0], 2) << "contrast = value * 2";
    EXPECT_TRUE(drawF);
    EXPECT_EQ(curbut, kSlotContrast) << "the focus stays on a pressed slider";

    curbut = kSlotTimeGain;
    r.contrast->pressed = 0;
    r.gain->pressed = 1;
    key(SDLK_RIGHT);
    EXPECT_FLOAT_EQ(r.gain->value, 40.0f) << "held at the maximum";
    key(SDLK_LEFT);
    EXPECT_EQ(flt(FLT_TIME_GAIN).int_par[3], 249) << "mrnd(39 * 2 * 255 / 80) = mrnd(248.6)";

    // Automatic gain: Bias = (40 - value) * speed, truncated, and the gain curve restarts.
    prm.gain_switch = 1;
    flt(FLT_AUTO_GAIN).int_par[3] = 10;
    flt(FLT_AUTO_GAIN).int_par[6] = 0; // speed 0.99
    mS.Init_3_filters();
    r.gain->value = 36;
    ag_autostart = 77;
    key(SDLK_LEFT);
    EXPECT_EQ(flt(FLT_AUTO_GAIN).int_par[3], 4) << "(40 - 35) * 0.99, truncated";
    EXPECT_EQ(ag_autostart, 0);
    key(SDLK_RIGHT);
    key(SDLK_RIGHT);
    EXPECT_EQ(flt(FLT_AUTO_GAIN).int_par[3], 2) << "(40 - 37) * 0.99";
    // Right after Init_3_filters one step back gives the Bias it started from, or one less.
    flt(FLT_AUTO_GAIN).int_par[3] = 20;
    mS.Init_3_filters();
    key(SDLK_RIGHT);
    key(SDLK_LEFT);
    EXPECT_NEAR(flt(FLT_AUTO_GAIN).int_par[3], 20, 1);

    // Not pressed: Left and Right move the focus as anywhere else.
    r.gain->pressed = 0;
    key(SDLK_LEFT);
    EXPECT_NE(curbut, kSlotTimeGain);
    drawF = false;
}

TEST(DisplaySliders, the_slider_keys_belong_to_the_radargram_screens_only)
{
    SliderRow r = slider_row();
    mS.put(5, kSlotContrast, new CHSlider(890, 524, "", 0, 0, "", -1, -1, 20, 1));
    mode = 5;
    mS.DrawObjs(5);
    curbut = kSlotContrast;
    auto* s = mS.at<CHSlider>(5, kSlotContrast);
    s->pressed = 1;
    s->value = 10;
    int before = flt(FLT_CONTRAST).int_par[0];
    key(SDLK_RIGHT);
    EXPECT_FLOAT_EQ(s->value, 10.0f);
    EXPECT_EQ(flt(FLT_CONTRAST).int_par[0], before);
    (void)r;
}

TEST(InputRules, delete_mean_button_stays_up_while_migrated_data_are_shown)
{
    SliderRow r = slider_row();
    curbut = 8;
    data_is_migrated = true;
    EXPECT_EQ(key(SDLK_RETURN), 8) << "the screen still hears the key";
    EXPECT_FALSE(r.button8->pressed);
    data_is_migrated = false;
    key(SDLK_RETURN);
    EXPECT_TRUE(r.button8->pressed);
    data_is_migrated = true;
    key(SDLK_RETURN);
    EXPECT_FALSE(r.button8->pressed) << "a pressed one can still be released";
    data_is_migrated = false;
}

TEST(InputRules, during_a_measurement_queued_keys_are_dropped)
{
    SliderRow r = slider_row();
    curbut = 2;
    for (int i = 0; i < 5; i++)
        push_key(SDLK_LEFT);
    MeasureMode = true;
    int first = press_but_and_slid();
    MeasureMode = false;
    EXPECT_EQ(first, 100);
    EXPECT_EQ(keyb_wait(), 0) << "the other four presses were discarded";
    for (int i = 0; i < 3; i++)
        push_key(SDLK_LEFT);
    press_but_and_slid();
    EXPECT_EQ(keyb_wait(), 2) << "without a measurement they wait their turn";
    (void)r;
}
