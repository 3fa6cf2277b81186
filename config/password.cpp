#include "config/password.h"

#include <SDL/SDL.h>

CPassword password1;

namespace {

constexpr int32_t U = SDLK_UP, D = SDLK_DOWN, L = SDLK_LEFT, R = SDLK_RIGHT, E = SDLK_RETURN;

// The main menu feeds only Left and Right into the buffer, so the three sequences that open
// system screens from there use those two keys alone. The dialogs feed every key but end on
// Enter, so Enter may only close a sequence. No sequence contains the window of another.
constexpr int32_t kSeq0[9] = {U, U, D, D, L, R, L, R, E};
constexpr int32_t kSeq1[22] = {R, L, R, L, L, L, R, L, L, L, L, R, R, L, L, L, R, L, L, L, L, R};
constexpr int32_t kSeq2[24] = {L, L, L, L, R, R, L, L, R, L, L, L, R, L, L, L, L, R, R, R, R, R, R, R};
constexpr int32_t kSeq3[28] = {L, L, L, L, R, R, R, R, R, L, L, R, L, R, L, R, R, L, L, R, R, R, R, R, L, L, R, R};
constexpr int32_t kSeq4[27] = {U, U, L, R, L, R, L, U, R, L, D, U, R, U, D, L, D, D, R, R, R, U, D, R, R, L, E};

struct Sequence {
    const int32_t* keys;
    size_t length;
};

constexpr Sequence kSequences[CPassword::kWindows] = {
    {kSeq0, sizeof kSeq0 / sizeof kSeq0[0]},
    {kSeq1, sizeof kSeq1 / sizeof kSeq1[0]},
    {kSeq2, sizeof kSeq2 / sizeof kSeq2[0]},
    {kSeq3, sizeof kSeq3 / sizeof kSeq3[0]},
    {kSeq4, sizeof kSeq4 / sizeof kSeq4[0]},
};

static_assert(sizeof kSeq0 / sizeof kSeq0[0] == 9, "window 0 holds 9 keys");
static_assert(sizeof kSeq1 / sizeof kSeq1[0] == 22, "window 1 holds 22 keys");
static_assert(sizeof kSeq2 / sizeof kSeq2[0] == 24, "window 2 holds 24 keys");
static_assert(sizeof kSeq3 / sizeof kSeq3[0] == 28, "window 3 holds 28 keys");
static_assert(sizeof kSeq4 / sizeof kSeq4[0] == 27, "window 4 holds 27 keys");

} // namespace

void CPassword::addkey(int key)
{
    for (int w = 0; w < kWindows; w++) {
        win_[w].push_back(key);
        while (win_[w].size() > kSequences[w].length)
            win_[w].pop_front();
    }
}

void CPassword::clearbuff()
{
    for (auto& w : win_)
        w.clear();
}

bool CPassword::matches(int w) const
{
    const Sequence& s = kSequences[w];
    if (win_[w].size() != s.length)
        return false;
    for (size_t i = 0; i < s.length; i++)
        if (win_[w][i] != s.keys[i])
            return false;
    return true;
}

size_t CPassword::sequence_length(int w)
{
    return w >= 0 && w < kWindows ? kSequences[w].length : 0;
}

const int32_t* CPassword::sequence(int w)
{
    return w >= 0 && w < kWindows ? kSequences[w].keys : nullptr;
}
