// The radargram in the input step: its scroll bars in the focus order, browsing a stored
// profile (by 50 traces, quickly with Up/Down, reading from the file what the ring does not
// hold), and the vertical scroll and zoom limits.
#include "display_fixture.h"

#include "platform/globals.h"
#include "cu/eep.h"
#include "files/profile_record.h"
#include "files/radar_data.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/scrbuf_input.h"
#include "gui/trace_store.h"
#include "gui/screen_table.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Trace t shows as palette index 128 + t % 100 (with contrast factor 10).
float numbered(int t, int) { return float((t % 100) * 500 + 250); }

class RadargramKeys : public ::testing::Test {
protected:
    DisplayState st;
    std::unique_ptr<CScrBuf> b;
    CSDLObject* saved_row[kSlots];
    int saved_mode = mode, saved_curbut = curbut;

    void SetUp() override
    {
        memcpy(saved_row, mS.obj[0], sizeof saved_row);
        memset(mS.obj[0], 0, sizeof mS.obj[0]);
        test_filters()[FLT_CONTRAST].float_par = 100.0f;
        test_filters()[FLT_CONTRAST].int_par[0] = 1;
        b = make_radargram();
        tbuf = b.get();
        mS.obj[0][kSlotRadargram] = b.get();
        mode = 1;
        curbut = kSlotRadargram;
        pp_mode = 0;
        prof_posi = 0;
    }
    void TearDown() override
    {
        memcpy(mS.obj[0], saved_row, sizeof saved_row);
        tbuf = nullptr;
        mode = saved_mode;
        curbut = saved_curbut;
        pp_mode = 0;
        prof_posi = 0;
        the_button_is_pressed = 0;
        tbuf_was_pressed = 0;
    }
    int shows(int col) const { return b->pixel(col, 100) - 128; } // trace number mod 100
};

} // namespace

TEST_F(RadargramKeys, scroll_bars_join_the_focus_order_only_with_traces)
{
    CButton b3("", 100, 100, "", 0, 0, "A", -1, -1, 20, 10);
    CButton b5("", 100, 200, "", 0, 0, "B", -1, -1, 20, 10);
    mS.obj[0][3] = &b3;
    mS.obj[0][5] = &b5;
    mode = 2;
    EXPECT_EQ(3, fnextb(5, 1)) << "no traces: the radargram is skipped";

    fill_store(100, numbered);
    b->datatran(0, false, 0, mode, false);
    ASSERT_EQ(39, fnextb(5, 1));
    EXPECT_TRUE(b->hsb->selected);
    ASSERT_EQ(39, fnextb(39, 1));
    EXPECT_FALSE(b->hsb->selected);
    EXPECT_TRUE(b->vsb->selected);
    EXPECT_EQ(3, fnextb(39, 1)) << "past both bars the search wraps";
    EXPECT_FALSE(b->vsb->selected);

    ASSERT_EQ(39, fnextb(3, -1)) << "backward past slot 2: the vertical bar";
    EXPECT_TRUE(b->vsb->selected);
    ASSERT_EQ(39, fnextb(39, -1));
    EXPECT_TRUE(b->hsb->selected);
    EXPECT_FALSE(b->vsb->selected);
    EXPECT_EQ(5, fnextb(39, -1)) << "then below slot 19";
    EXPECT_FALSE(b->hsb->selected);

    mode = 3; // the measurement screen: the horizontal bar never takes the focus
    ASSERT_EQ(39, fnextb(5, 1));
    EXPECT_FALSE(b->hsb->selected);
    EXPECT_TRUE(b->vsb->selected);
    EXPECT_EQ(5, fnextb(39, -1));
    EXPECT_FALSE(b->hsb->selected);
    mode = 4; // a screen without a radargram in its focus order
    EXPECT_EQ(3, fnextb(5, 1));
}

TEST_F(RadargramKeys, browsing_stops_at_both_ends_of_the_profile)
{
    fill_store(2000, numbered);
    b->datatran(0, true, 0, mode, false);
    ASSERT_EQ(0, b->first_trace);
    b->pressed = true;
    b->hsb->selected = 1;
    int res = 0;
    ASSERT_TRUE(radargram_left_right(SDLK_LEFT, &res));
    EXPECT_EQ(100, res);
    EXPECT_EQ(0, b->first_trace) << "back at the start does not move";
    ASSERT_TRUE(radargram_left_right(SDLK_RIGHT, &res));
    EXPECT_EQ(101, res);
    EXPECT_EQ(50, b->first_trace);
    EXPECT_EQ(50, shows(0));
    EXPECT_EQ(50, b->hsb->thumb_start);

    // Quick browsing: only the thumb moves until Enter is released, in steps of 1/20 of the
    // profile, and the target stays within the profile.
    b->pressed = false;
    for (int i = 0; i < 30; i++)
        ASSERT_TRUE(radargram_up_down(SDLK_UP));
    EXPECT_EQ(1, pp_mode);
    EXPECT_TRUE(b->pressed) << "the pressed look while browsing";
    EXPECT_EQ(2000 - 809, b->hsb->thumb_start);
    EXPECT_EQ(50, b->first_trace);
    EXPECT_TRUE(radargram_enter_up());
    EXPECT_EQ(0, pp_mode);
    EXPECT_EQ(2000 - 809, b->first_trace) << "forward stops with the last trace in the last column";
    EXPECT_EQ(1999 % 100, shows(808));
    for (int i = 0; i < 3; i++)
        radargram_up_down(SDLK_DOWN);
    EXPECT_TRUE(radargram_enter_up());
    EXPECT_EQ(2000 - 809 - 300, b->first_trace);
    EXPECT_EQ((2000 - 809 - 300) % 100, shows(0));
    for (int i = 0; i < 40; i++)
        radargram_up_down(SDLK_DOWN);
    radargram_enter_up();
    EXPECT_EQ(0, b->first_trace);
    EXPECT_EQ(0, shows(0));
    EXPECT_EQ(7, shows(7));

    // A profile that fits the window does not move forward.
    fill_store(300, numbered);
    b->datatran(0, true, 0, mode, false);
    b->datatran(50, true, 0, mode, false);
    EXPECT_EQ(0, b->first_trace);
    EXPECT_EQ(300, b->shown);
}

TEST_F(RadargramKeys, browsing_reads_traces_the_ring_does_not_hold)
{
    Sandbox sb;
    ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/mnt/hda1") + "'").c_str()));
    rdr.dClose(true);
    ASSERT_EQ(0, rdr.dCreateFiles());
    const int n = eep.samples, traces = 4000;
    rdr.rd.hd.samples = n; // the header written when the measurement starts
    std::vector<int32_t> t(n);
    for (int k = 0; k < traces; k++) {
        for (int i = 0; i < n; i++)
            t[i] = int32_t(numbered(k, i) * 8192);
        ASSERT_EQ(0, rdr.rd.append_trace(t.data(), n));
    }
    shown_traces = traces;
    rdr.prof.Empty();
    b->datatran(0, true, 0, mode, false);
    EXPECT_EQ(0, shows(0));
    EXPECT_EQ(808 % 100, shows(808));
    b->datatran(3500, true, 0, mode, false);
    EXPECT_EQ(traces - 809, b->first_trace);
    EXPECT_EQ((traces - 809) % 100, shows(0));
    EXPECT_EQ((traces - 1) % 100, shows(808));
    EXPECT_EQ(traces, store_end()) << "the ring holds the end of the profile now";
    b->datatran(-1700, true, 0, mode, false);
    EXPECT_EQ(traces - 809 - 1700, b->first_trace);
    for (int col : {0, 1, 400, 808})
        EXPECT_EQ((b->first_trace + col) % 100, shows(col)) << col;
    rdr.dClose(true);
}

TEST_F(RadargramKeys, vertical_scroll_and_zoom_stay_within_the_trace)
{
    eep.samples = 2048;
    eep.screen_opt2 = 0;
    fill_store(100, numbered);
    b->resampdef();
    b->datatran(0, false, 0, mode, false);
    b->pressed = true;
    b->vsb->selected = 1;
    int res = 0;
    ASSERT_TRUE(radargram_left_right(SDLK_LEFT, &res));
    EXPECT_EQ(1, eep.screen_opt2) << "the keypad zoom mode";
    EXPECT_EQ(33, b->first_sample);
    radargram_left_right(SDLK_RIGHT, &res);
    radargram_left_right(SDLK_RIGHT, &res);
    EXPECT_EQ(0, b->first_sample);

    for (int i = 0; i < 20; i++)
        ASSERT_TRUE(radargram_up_down(SDLK_UP));
    EXPECT_LE(b->rect.h * b->compression, 2048.0 + 1e-9) << "never more than the whole trace";
    EXPECT_NEAR(2048.0 / 680, b->compression, 1e-9);
    for (int i = 0; i < 20; i++)
        ASSERT_TRUE(radargram_up_down(SDLK_DOWN));
    EXPECT_DOUBLE_EQ(0.5, b->compression);
    EXPECT_EQ(1024 + 0, b->vsb->thumb_length + 344) << "thumb = the view's 680 rows";
    EXPECT_EQ(4096, b->vsb->maximum);
    radargram_up_down(SDLK_UP);
    EXPECT_DOUBLE_EQ(0.75, b->compression);

    // A second Enter on the pressed radargram releases it.
    b->pressed = false;
    radargram_enter_down();
    EXPECT_TRUE(b->pressed);
    EXPECT_EQ(1, the_button_is_pressed);
    radargram_enter_up();
    EXPECT_TRUE(b->pressed);
    radargram_enter_down();
    radargram_enter_up();
    EXPECT_FALSE(b->pressed);
    EXPECT_EQ(0, tbuf_was_pressed);
}

namespace {

void push(Uint8 type, SDLKey sym)
{
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    ASSERT_EQ(0, SDL_PushEvent(&e));
}

} // namespace

TEST_F(RadargramKeys, keys_reach_the_radargram_through_the_input_step)
{
    keyb_wait();
    fill_store(2000, numbered);
    b->datatran(0, true, 0, mode, false);
    b->hsb->selected = 1;
    push(SDL_KEYDOWN, SDLK_RETURN);
    EXPECT_EQ(39, press_but_and_slid());
    EXPECT_TRUE(b->pressed) << "Enter on slot 39 activates the radargram";
    push(SDL_KEYUP, SDLK_RETURN);
    EXPECT_EQ(-1, press_but_and_slid());
    EXPECT_TRUE(b->pressed);
    push(SDL_KEYDOWN, SDLK_RIGHT);
    EXPECT_EQ(101, press_but_and_slid());
    EXPECT_EQ(50, b->first_trace);
    EXPECT_EQ(39, curbut) << "the focus stays on the pressed radargram";

    push(SDL_KEYDOWN, SDLK_UP);
    EXPECT_EQ(-1, press_but_and_slid());
    EXPECT_EQ(1, pp_mode);
    EXPECT_EQ(50, b->first_trace);
    push(SDL_KEYUP, SDLK_RETURN);
    EXPECT_EQ(-1, press_but_and_slid());
    EXPECT_EQ(150, b->first_trace) << "released Enter jumps by the browsed distance";
    EXPECT_EQ(0, pp_mode);
}
