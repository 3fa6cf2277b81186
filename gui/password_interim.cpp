#include "gui/password_interim.h"

#include <SDL/SDL.h>

namespace {

constexpr int U = SDLK_UP, D = SDLK_DOWN, L = SDLK_LEFT, R = SDLK_RIGHT;

// Levels 1-3 are typed in the main menu, where only Left and Right reach the matcher.
const int seq0[9] = {U, U, D, D, L, R, L, R, U};
const int seq1[22] = {L, R, R, L, L, L, R, R, R, R, L, L, L, L, L, R, R, R, R, R, R, L};
const int seq2[24] = {R, R, L, L, R, L, R, L, L, L, R, R, L, R, L, R, R, R, L, L, L, L, R, R};
const int seq3[28] = {L, L, L, R, R, R, L, R, L, R, R, L, L, R, R, R, R, L, L, L, L, L, R, L,
                      R, L, R, R};
const int seq4[27] = {D, D, U, U, D, U, D, U, U, U, D, D, D, L, R, R, L, U, D, U, D, D, U, U,
                      L, L, R};

const int* const kSeq[5] = {seq0, seq1, seq2, seq3, seq4};
const int kLen[5] = {9, 22, 24, 28, 27};

} // namespace

CPassword password1;

CPassword::CPassword() = default;

void CPassword::addkey(int key)
{
    for (int n = 0; n < 5; n++) {
        win[n].push_back(key);
        while (int(win[n].size()) > kLen[n])
            win[n].pop_front();
    }
}

bool CPassword::match(int n) const
{
    if (int(win[n].size()) != kLen[n])
        return false;
    for (int i = 0; i < kLen[n]; i++)
        if (win[n][size_t(i)] != kSeq[n][i])
            return false;
    return true;
}

bool CPassword::compas() { return match(0); }
bool CPassword::compas1() { return match(1); }
bool CPassword::compas2() { return match(2); }
bool CPassword::compas3() { return match(3); }
bool CPassword::compas4() { return match(4); }

void CPassword::clearbuff()
{
    for (auto& w : win)
        w.clear();
}

const int* CPassword::sequence(int n, int* length)
{
    *length = kLen[n];
    return kSeq[n];
}
