// CPassword: recognises the hidden key sequences that open the service screens or leave the
// program (global `password1`).
//
// Each of the five windows keeps the most recent keys, up to its length; a window matches
// when it is full and equal, oldest first, to its sequence. So extra keys typed before a
// sequence do not matter, but any wrong key inside it does.
//
//   window  length  compare   opens (main menu / dialogs)
//     0        9    compas    - / level-0 system screen (10)
//     1       22    compas1   level-1.1 system screen (40) / level-1.2 (24)
//     2       24    compas2   level-2 system screen (22)
//     3       28    compas3   level-3 system screen (25)
//     4       27    compas4   - / leaves the program
//
// The sequences use only keypad keys (arrows and Enter) and live in one table in
// password.cpp; sequence(w) gives them to tests and to scripted-keypad demos.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

class CPassword {
public:
    static constexpr int kWindows = 5;

    CPassword() = default;

    void addkey(int key);       // an SDL key symbol (SDLK_...)
    bool compas() const { return matches(0); }
    bool compas1() const { return matches(1); }
    bool compas2() const { return matches(2); }
    bool compas3() const { return matches(3); }
    bool compas4() const { return matches(4); }
    void clearbuff();

    // The stored sequence of window w (0..4): its length and its keys, oldest first.
    // Null and 0 for a window outside 0..4.
    static size_t sequence_length(int w);
    static const int32_t* sequence(int w);

private:
    bool matches(int w) const;
    std::deque<int32_t> win_[kWindows];
};

extern CPassword password1;
