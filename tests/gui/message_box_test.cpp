// The message box: its five types, their results, and what it leaves on the screen.
#include "gui_fixture.h"

#include "platform/globals.h"
#include "config/password.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/rows.h"
#include "gui/screen_table.h"

#include <gtest/gtest.h>

TEST(MessageBox, type_0_waits_for_a_key_returns_its_symbol_and_shows_the_closing_hint)
{
    gui_reset();
    mode = 34;
    mS.DrawObjs(34);
    push_key(SDLK_DOWN); // typed before the box: discarded
    KeyHand hand({SDLK_F3});
    EXPECT_EQ(mesmode("Title", "Some text", false, 0), SDLK_F3);
    EXPECT_TRUE(mS.obj[9][msgbox::kFooter]->visible);
    EXPECT_EQ(mode, 34) << "mode restored";
    EXPECT_EQ(mS.obj[0][2], mS.obj[34][2]) << "row 0 back to the caller's row";
}

TEST(MessageBox, type_1_is_yes_no_starting_on_the_given_focus)
{
    gui_reset();
    {
        KeyHand hand({SDLK_RETURN});
        EXPECT_EQ(mesmode("Delete?", "", true, 1, 3), 3) << "focus on No, Enter: No";
    }
    {
        KeyHand hand({SDLK_RIGHT, SDLK_RETURN});
        EXPECT_EQ(mesmode("Delete?", "", true, 1, 3), 2) << "Right from No reaches Yes";
    }
    EXPECT_FALSE(mS.obj[9][msgbox::kFooter]->visible);
    EXPECT_FALSE(mS.obj[9][msgbox::kCopy]->visible);
}

TEST(MessageBox, type_2_offers_copy_and_cancel_only)
{
    gui_reset();
    KeyHand hand({SDLK_LEFT, SDLK_RETURN});
    EXPECT_EQ(mesmode("Files", "Copy them?", true, 2, 4), 6) << "Move stays hidden";
    EXPECT_TRUE(mS.obj[9][msgbox::kCopy]->visible);
    EXPECT_FALSE(mS.obj[9][msgbox::kMove]->visible);
    EXPECT_FALSE(mS.obj[9][msgbox::kYes]->visible);
}

TEST(MessageBox, type_3_stays_three_seconds_and_swallows_keys)
{
    gui_reset();
    Uint32 t0 = SDL_GetTicks();
    push_key(SDLK_RETURN); // queued while the box shows: it has no key wait to take it
    EXPECT_EQ(mesmode("Low voltage", "x", false, 3), 0);
    EXPECT_GE(SDL_GetTicks() - t0, 2900u);
    SDL_Event e;
    EXPECT_EQ(gui_poll_event(&e), 0) << "keys typed meanwhile are discarded";
}

TEST(MessageBox, type_minus_1_returns_at_once_and_leaves_the_texts_on_screen)
{
    gui_reset();
    Uint32 t0 = SDL_GetTicks();
    EXPECT_EQ(mesmode("Rebooting", "Please wait", false, -1), 0);
    EXPECT_LT(SDL_GetTicks() - t0, 1000u);
    EXPECT_GT(ink_in(300, 290, 424, 40), 200) << "title line drawn";
    EXPECT_GT(ink_in(300, 370, 424, 40), 200) << "text line drawn";
    EXPECT_EQ(ink_in(0, 440, 1024, 200), 0) << "no buttons in a notice";
    EXPECT_EQ(ink_in(0, 680, 1024, 40), 0) << "no closing hint in a notice";
}

TEST(MessageBox, heading_shows_the_program_and_cu_identity_unless_a_footer_is_given)
{
    gui_reset();
    mesmode("a", "b", false, -1);
    auto* h = mS.at<CSDLText>(9, msgbox::kHeading);
    EXPECT_NE(std::string(h->text).find("gprmon GPR Monitor"), std::string::npos);
    EXPECT_NE(std::string(h->text).find(" (0000 0 0 0)"), std::string::npos);
    mesmode("a", "b", false, -1, 2, "Own heading");
    EXPECT_STREQ(h->text, "Own heading");
}

TEST(MessageBox, a_service_sequence_typed_in_a_question_ends_it_with_the_level_code)
{
    gui_reset();
    std::vector<SDLKey> keys{SDLK_UP}; // one extra key first
    const int32_t* seq = CPassword::sequence(0);
    for (size_t i = 0; i < CPassword::sequence_length(0); i++)
        keys.push_back(SDLKey(seq[i]));
    KeyHand hand(keys);
    EXPECT_EQ(mesmode("Question", "", true, 1, 3), 10);
}

TEST(MessageBox, a_colour_applies_to_one_call_only)
{
    gui_reset();
    auto* title = mS.at<CSDLText>(9, msgbox::kTitle);
    Uint32 before = title->text_colour;
    mesmode("Red", "text", false, -1, 2, "", false, map_rgb(255, 0, 0));
    EXPECT_EQ(title->text_colour, before);
}
