#include "config/password.h"

#include <SDL/SDL.h>

CPassword password1;

namespace {

constexpr int32_t U = SDLK_UP, D = SDLK_DOWN, L = SDLK_LEFT, R = SDLK_RIGHT, E = SDLK_RETURN;

// Long enough and mixed enough never to come up in ordinary use of the screens.
constexpr int32_t kSeq0[9] = {L, R, L, R, U, D, U, D, E};
constexpr int32_t kSeq1[22] = {U, U, D, D, L, R, L, R, E, R, L, R, L, D, D, U, U, E, L, L, R, E};
constexpr int32_t kSeq2[24] = {D, U, D, U, R, L, R, L, E, U, R, D,
                               L, U, R, D, L, E, R, R, L, L, U, E};
constexpr int32_t kSeq3[28] = {L, U, R, D, L, U, R, D, E, D, R, U, L, D,
                               R, U, L, E, U, D, L, R, U, D, L, R, E, E};
constexpr int32_t kSeq4[27] = {E, L, E, R, E, U, E, D, E, R, U, L, D, R,
                               U, L, D, E, L, D, R, U, L, D, R, U, E};

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
