// The main menu, the quit box, the position check screen and the CU check, driven by keys,
// and what they leave on the screen.
#include "gui_fixture.h"

#include "platform/globals.h"
#include "app/main_menu.h"
#include "app/screens.h"
#include "config/parameters.h"
#include "config/password.h"
#include "cu/eep.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/key_handover.h"
#include "gui/key_script.h"
#include "gui/lang.h"
#include "gui/rows.h"
#include "gui/screen_table.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace {

// Saves the screen for the documentation when GPRMON_DOC_SHOTS names a folder.
void doc_shot(const char* name)
{
    if (const char* d = getenv("GPRMON_DOC_SHOTS"))
        save_screen_png((std::string(d) + "/" + name + ".png").c_str());
}

int feed(const int32_t* seq, size_t n, size_t skip_at = size_t(-1), int wrong = 0)
{
    int code = 0;
    for (size_t i = 0; i < n; i++)
        code = main_menu_service_key(i == skip_at ? wrong : seq[i]);
    return code;
}

} // namespace

TEST(MainMenu, draws_six_buttons_with_the_focus_on_the_first)
{
    gui_reset();
    main_menu_draw();
    doc_shot("main_menu_en");
    auto* b2 = mS.at<CButton>(34, menu::k2D);
    EXPECT_TRUE(is_focus_yellow(pixel_at(b2->outer.x + 3, b2->outer.y + 3)));
    for (int s : {menu::kGrid, menu::kPlavik, menu::kPositioning, menu::kFiles, menu::kShutDown}) {
        auto* b = mS.at<CButton>(34, s);
        ASSERT_NE(b, nullptr);
        EXPECT_FALSE(is_focus_yellow(pixel_at(b->outer.x + 3, b->outer.y + 3)));
        EXPECT_GT(ink_in(b->rect.x + 100, b->rect.y + 15, 220, 36), 300) << "label on button " << s;
    }
    EXPECT_EQ(mS.obj[34][5], nullptr) << "slot 5 holds no button";
    EXPECT_GT(ink_in(400, 40, 224, 50), 500) << "title";
}

TEST(MainMenu, russian_menu_is_drawn_in_cyrillic)
{
    gui_reset(kLangRussian);
    main_menu_draw();
    doc_shot("main_menu_ru");
    auto* b = mS.at<CButton>(34, menu::kFiles);
    EXPECT_EQ((unsigned char)b->label->text[0], 0xD0) << "\"Rabota s faylami\" in Windows-1251";
    EXPECT_GT(ink_in(b->rect.x + 60, b->rect.y + 15, 300, 36), 300);
    prm.language = 0;
}

TEST(MainMenu, left_and_right_move_the_focus_and_feed_the_service_keys)
{
    gui_reset();
    main_menu_draw();
    password1.clearbuff();
    MessageLog log;
    push_key(SDLK_LEFT);
    int r = press_but_and_slid();
    EXPECT_EQ(r, 100);
    EXPECT_EQ(curbut, 3);
    EXPECT_EQ(main_menu_action(r), MenuOutcome::Nothing) << "no sequence: nothing else happens";
    EXPECT_TRUE(log.all().empty());
    EXPECT_EQ(mode, 34);
}

TEST(MainMenu, service_sequences_match_after_an_extra_key_but_not_with_a_wrong_key_inside)
{
    struct Case { int window; int code; };
    for (Case c : {Case{1, 40}, Case{2, 22}, Case{3, 25}}) {
        const int32_t* seq = CPassword::sequence(c.window);
        size_t n = CPassword::sequence_length(c.window);
        password1.clearbuff();
        main_menu_service_key(SDLK_UP); // extra key before
        EXPECT_EQ(feed(seq, n), c.code) << c.window;
        password1.clearbuff();
        int wrong = seq[n / 2] == SDLK_LEFT ? SDLK_RIGHT : SDLK_LEFT;
        EXPECT_EQ(feed(seq, n, n / 2, wrong), 0) << c.window;
    }
    password1.clearbuff();
    const int32_t* exit_seq = CPassword::sequence(4);
    EXPECT_EQ(feed(exit_seq, CPassword::sequence_length(4)), 0) << "the exit sequence is for dialogs only";
}

TEST(MainMenu, button_5_and_unknown_results_do_nothing)
{
    gui_reset();
    main_menu_draw();
    MessageLog log;
    ProjN = 7;
    EXPECT_EQ(main_menu_action(5), MenuOutcome::Nothing);
    EXPECT_EQ(main_menu_action(-1), MenuOutcome::Nothing);
    EXPECT_EQ(main_menu_action(39), MenuOutcome::Nothing);
    EXPECT_EQ(ProjN, 7);
    EXPECT_EQ(mode, 34);
    EXPECT_TRUE(log.all().empty());
    EXPECT_EQ(curbutton[34], 5) << "a button result is remembered all the same";
}

TEST(QuitBox, shows_dates_question_and_versions_and_returns_the_button)
{
    gui_reset();
    main_menu_draw();
    prm.date1 = (2024u << 16) | (3u << 8) | 9u;
    prm.date2 = 0;
    int r;
    {
        KeyHand enter({SDLK_RETURN});
        r = mesmode_Quit();
    }
    EXPECT_EQ(r, quitbox::kNo) << "the box opens with the focus on No";
    EXPECT_STREQ(mS.at<CSDLText>(41, quitbox::kDate1)->text, "2024-03-09");
    EXPECT_TRUE(mS.obj[41][quitbox::kDate1]->visible);
    EXPECT_FALSE(mS.obj[41][quitbox::kDate2]->visible) << "a zero date hides its line";
    EXPECT_EQ(mode, 34);
    EXPECT_EQ(mS.obj[0][2], mS.obj[34][2]) << "the menu's objects are back in row 0";
    std::string footer = mS.at<CSDLText>(41, quitbox::kFooter)->text;
    EXPECT_NE(footer.find(" (0000 0 0 0)"), std::string::npos);
}

TEST(QuitBox, screenshot_has_the_question_and_yes_is_one_step_away)
{
    gui_reset();
    main_menu_draw();
    prm.date1 = (2025u << 16) | (1u << 8) | 20u;
    prm.date2 = (2025u << 16) | (7u << 8) | 20u;
    {
        KeyHand hand({SDLK_RIGHT, SDLK_RETURN}, false, [] { doc_shot("quit_box"); });
        EXPECT_EQ(mesmode_Quit(), quitbox::kYes);
    }
    auto* yes = mS.at<CButton>(41, quitbox::kYes);
    EXPECT_TRUE(is_focus_yellow(pixel_at(yes->outer.x + 3, yes->outer.y + 3)));
    EXPECT_GT(ink_in(250, 300, 524, 50), 1000) << "question line";
    EXPECT_GT(ink_in(400, 165, 224, 70), 200) << "two date lines";
    prm.date1 = prm.date2 = 0;
}

TEST(PositionCheck, restores_the_trigger_type_it_found)
{
    gui_reset();
    main_menu_draw();
    eep.trig_code = 0x80; // time trigger before the screen
    static uint8_t seen_inside;
    seen_inside = 0xAA;
    {
        // Reset the wheel (focus starts on button 3), then Left to Back and Enter.
        KeyHand hand({SDLK_RETURN, SDLK_LEFT, SDLK_RETURN}, false, [] { seen_inside = eep.trig_code; });
        position_check_screen();
    }
    EXPECT_EQ(seen_inside, 0) << "wheel trigger while the screen is shown";
    EXPECT_EQ(eep.trig_code, 0x80);
    EXPECT_EQ(curbutton[35], poscheck::kBack);
    eep.trig_code = 0;
}

TEST(CuCheck, returns_at_once_when_on_and_follows_the_four_states)
{
    gui_reset();
    pisOn = true;
    EXPECT_EQ(check_CU_ON(), 0);
    pisOn = false;
    unitison = unlocked = antenna = eeprom_ready = false;
    MessageLog log;
    // The CU comes up one state at a time; each change is made on the GUI thread at the box's
    // key wait once it shows the message of the state before it.
    std::thread cu([&] {
        auto when_shown = [&](const char* title, const std::function<void()>& then) {
            return at_key_wait_when([&] { return log.contains(title); }, then);
        };
        if (!when_shown("Control Unit is OFF", [] { unitison = true; }) ||
            !when_shown("Wrong Control Unit", [] { unlocked = true; }) ||
            !when_shown("Old or NO Antenna has been detected", [] { antenna = eeprom_ready = true; }))
            return;
        // Set up but not yet initialised: the box keeps waiting round its loop.
        key_waits_pass(2);
        handover_run_on_gui([] { pisOn = true; }, int(kWaitSeconds * 1000));
    });
    EXPECT_EQ(check_CU_ON(), -1);
    handover_cancel();
    cu.join();
    std::vector<std::string> titles;
    for (const Shown& s : log.all())
        titles.push_back(s.title);
    ASSERT_GE(titles.size(), 3u);
    EXPECT_EQ(titles[0], "Control Unit is OFF");
    EXPECT_EQ(titles[titles.size() - 2], "Wrong Control Unit");
    EXPECT_EQ(titles.back(), "Old or NO Antenna has been detected");
    pisOn = unitison = unlocked = antenna = eeprom_ready = false;
}

TEST(CuCheck, enter_goes_back_and_a_service_sequence_gives_its_code)
{
    gui_reset();
    pisOn = false;
    {
        KeyHand hand({SDLK_RETURN});
        EXPECT_EQ(check_CU_ON(), 34);
    }
    std::vector<SDLKey> keys;
    const int32_t* seq = CPassword::sequence(0);
    for (size_t i = 0; i + 1 < CPassword::sequence_length(0); i++)
        keys.push_back(SDLKey(seq[i]));
    // The level-0 sequence ends in Enter, which this box takes as "back": it stays 34.
    keys.push_back(SDLK_RETURN);
    KeyHand hand(keys);
    EXPECT_EQ(check_CU_ON(), 34);
}
