// Focus traversal over the current row and the input step.
#include "gui_fixture.h"

#include "platform/globals.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/rows.h"
#include "gui/screen_table.h"

#include <gtest/gtest.h>

namespace {

// Row 9 (message box) with only the given buttons visible, made current.
void message_row_with(std::initializer_list<int> visible_slots)
{
    for (int s = msgbox::kYes; s <= msgbox::kCancel; s++)
        mS.obj[9][s]->visible = 0;
    for (int s : visible_slots)
        mS.obj[9][s]->visible = 1;
    mode = 9;
    mS.DrawObjs(9);
}

// One key press and release through the input step; returns the step's result for the press.
int step(SDLKey k)
{
    push_key(k);
    int r = press_but_and_slid();
    press_but_and_slid(); // the release
    return r;
}

} // namespace

TEST(FocusTraversal, two_visible_buttons_alternate_in_both_directions_and_hidden_ones_are_skipped)
{
    gui_reset();
    message_row_with({msgbox::kCopy, msgbox::kCancel}); // 5 (Move) between them is hidden
    EXPECT_EQ(fnextb(4, 1), 6);
    EXPECT_EQ(fnextb(6, 1), 4) << "past the last visible button the search wraps";
    EXPECT_EQ(fnextb(4, -1), 6);
    EXPECT_EQ(fnextb(6, -1), 4);
}

TEST(FocusTraversal, no_visible_button_keeps_the_focus_where_it_is)
{
    gui_reset();
    message_row_with({});
    EXPECT_EQ(fnextb(3, 1), 3);
    EXPECT_EQ(fnextb(3, -1), 3);
    message_row_with({msgbox::kYes});
    EXPECT_EQ(fnextb(2, 1), 2) << "a single button keeps the focus";
}

TEST(InputStep, left_moves_forward_right_backward_and_the_frame_follows)
{
    gui_reset();
    mS.Draw();
    mS.DrawObjs(34);
    curbut = 2;
    curbutDraw();
    drain_events();
    EXPECT_EQ(step(SDLK_LEFT), 100);
    EXPECT_EQ(curbut, 3);
    auto* b2 = mS.at<CButton>(34, 2);
    auto* b3 = mS.at<CButton>(34, 3);
    EXPECT_FALSE(b2->selected);
    EXPECT_TRUE(b3->selected);
    EXPECT_TRUE(is_focus_yellow(pixel_at(b3->outer.x + 2, b3->outer.y + 2)));
    EXPECT_TRUE(is_background(pixel_at(b2->outer.x + 2, b2->outer.y + 2))) << "old frame erased";
    EXPECT_EQ(step(SDLK_RIGHT), 101);
    EXPECT_EQ(curbut, 2);
    EXPECT_EQ(step(SDLK_RIGHT), 101);
    EXPECT_EQ(curbut, 8) << "backward from the first button wraps to the last";
    EXPECT_EQ(press_but_and_slid(), -1) << "key-up and no event: nothing to do";
}

TEST(InputStep, enter_presses_the_focused_button_and_a_second_enter_releases_it)
{
    gui_reset();
    mS.DrawObjs(34);
    curbut = 3;
    drain_events();
    push_key(SDLK_RETURN);
    EXPECT_EQ(press_but_and_slid(), 3);
    EXPECT_TRUE(mS.at<CButton>(34, 3)->pressed);
    while (press_but_and_slid() != -1) {
    }
    push_key(SDLK_RETURN);
    EXPECT_EQ(press_but_and_slid(), 3);
    EXPECT_FALSE(mS.at<CButton>(34, 3)->pressed);
}

TEST(InputStep, keyb_wait_counts_the_pending_key_presses_and_discards_everything)
{
    gui_reset();
    push_key(SDLK_UP);
    push_key(SDLK_DOWN);
    push_key(SDLK_a);
    EXPECT_EQ(keyb_wait(), 3);
    EXPECT_EQ(keyb_wait(), 0);
}

TEST(InputStep, a_low_battery_flag_shows_its_warning_once_and_is_cleared)
{
    gui_reset();
    mS.DrawObjs(34);
    MessageLog log;
    b_lev2 = true;
    press_but_and_slid(); // shows the 3-second warning
    b_lev2 = false;
    ASSERT_EQ(log.all().size(), 1u);
    EXPECT_EQ(log.all()[0].title, "Low voltage");
    EXPECT_EQ(log.all()[0].text, "Monitor will soon be switched off");
    EXPECT_EQ(log.all()[0].type, 3);
    press_but_and_slid();
    EXPECT_EQ(log.all().size(), 1u);
}
