// Larger steps for a held or quickly repeated arrow key in the cursors and number entries of
// the measurement screens: a 2 ft change must not take hundreds of presses.
#pragma once

#include <cstdint>

class ArrowRun {
public:
    // Presses of the same key at most this far apart belong to one run.
    static constexpr uint32_t kGapMs = 300;

    // Counts a press of `key` at `now_ms`: the presses of this run before it (0 for the first
    // press, after a pause or after another key).
    int press(int key, uint32_t now_ms)
    {
        run_ = key == key_ && started_ && now_ms - at_ <= kGapMs ? run_ + 1 : 0;
        key_ = key;
        at_ = now_ms;
        started_ = true;
        return run_;
    }

    // The number entries' step factor: tenfold after 5 presses, a hundredfold after 15.
    static float step_factor(int run) { return run >= 15 ? 100.0f : run >= 5 ? 10.0f : 1.0f; }
    // The cursors' row factor: four rows per step after 8 presses.
    static int row_factor(int run) { return run >= 8 ? 4 : 1; }

private:
    int key_ = 0, run_ = 0;
    uint32_t at_ = 0;
    bool started_ = false;
};
