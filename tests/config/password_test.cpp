// The hidden key sequences of the service screens.
#include "config/password.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

bool matches(const CPassword& p, int w)
{
    switch (w) {
    case 0: return p.compas();
    case 1: return p.compas1();
    case 2: return p.compas2();
    case 3: return p.compas3();
    default: return p.compas4();
    }
}

void type(CPassword& p, int w)
{
    for (size_t i = 0; i < CPassword::sequence_length(w); i++)
        p.addkey(CPassword::sequence(w)[i]);
}

} // namespace

TEST(Password, the_sequences_have_their_lengths_and_use_only_keypad_keys)
{
    const size_t lengths[] = {9, 22, 24, 28, 27};
    const std::set<int> keypad = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_RETURN};
    std::set<std::vector<int>> distinct;
    for (int w = 0; w < CPassword::kWindows; w++) {
        ASSERT_EQ(CPassword::sequence_length(w), lengths[w]);
        std::vector<int> s(CPassword::sequence(w), CPassword::sequence(w) + lengths[w]);
        for (int k : s)
            EXPECT_TRUE(keypad.count(k)) << w;
        distinct.insert(s);
    }
    EXPECT_EQ(distinct.size(), 5u);
    EXPECT_EQ(CPassword::sequence(5), nullptr);
    EXPECT_EQ(CPassword::sequence_length(-1), 0u);
}

TEST(Password, each_sequence_opens_only_its_own_window)
{
    for (int w = 0; w < CPassword::kWindows; w++) {
        CPassword p;
        type(p, w);
        for (int v = 0; v < CPassword::kWindows; v++)
            EXPECT_EQ(matches(p, v), v == w) << "typed " << w << ", checked " << v;
    }
}

TEST(Password, an_extra_key_before_the_22_key_sequence_still_matches)
{
    CPassword p;
    p.addkey(SDLK_ESCAPE);
    p.addkey(SDLK_DOWN);
    type(p, 1);
    EXPECT_TRUE(p.compas1());
    p.addkey(SDLK_UP); // one more key moves the window off the sequence
    EXPECT_FALSE(p.compas1());
}

TEST(Password, a_wrong_key_inside_the_sequence_does_not_match)
{
    for (size_t bad = 0; bad < CPassword::sequence_length(1); bad++) {
        CPassword p;
        for (size_t i = 0; i < CPassword::sequence_length(1); i++) {
            int k = CPassword::sequence(1)[i];
            p.addkey(i == bad ? (k == SDLK_UP ? SDLK_DOWN : SDLK_UP) : k);
        }
        EXPECT_FALSE(p.compas1()) << "wrong key at " << bad;
    }
}

TEST(Password, a_partial_sequence_and_a_cleared_buffer_do_not_match)
{
    CPassword p;
    for (size_t i = 1; i < CPassword::sequence_length(0); i++)
        p.addkey(CPassword::sequence(0)[i]);
    EXPECT_FALSE(p.compas());
    CPassword q;
    type(q, 3);
    EXPECT_TRUE(q.compas3());
    q.clearbuff();
    EXPECT_FALSE(q.compas3());
    // Half typed before the clear, half after: no match.
    for (size_t i = 0; i < 10; i++)
        q.addkey(CPassword::sequence(3)[i]);
    q.clearbuff();
    for (size_t i = 10; i < CPassword::sequence_length(3); i++)
        q.addkey(CPassword::sequence(3)[i]);
    EXPECT_FALSE(q.compas3());
}

TEST(Password, sequences_can_be_typed_where_they_are_checked)
{
    // Levels 1-3 are typed in the main menu, which feeds only Left and Right.
    for (int w = 1; w <= 3; w++) {
        const int32_t* s = CPassword::sequence(w);
        for (size_t i = 0; i < CPassword::sequence_length(w); i++)
            EXPECT_TRUE(s[i] == SDLK_LEFT || s[i] == SDLK_RIGHT) << "window " << w << " key " << i;
    }
    // In dialogs Enter ends the dialog: it may only close a sequence.
    for (int w = 0; w < CPassword::kWindows; w++) {
        const int32_t* s = CPassword::sequence(w);
        size_t n = CPassword::sequence_length(w);
        for (size_t i = 0; i + 1 < n; i++)
            EXPECT_NE(s[i], SDLK_RETURN) << "window " << w << " key " << i;
    }
}
