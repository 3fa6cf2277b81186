// The CU's signal settings as the signal-parameter screen (13) and the service form of level 1
// (24) edit them: one step of each value, sent to the CU at once (the caller holds lock_dw),
// the values as on entry and the re-sending of what changed, and the common end of save and
// cancel.
#pragma once

#include <cstdint>

namespace signal_values {

// What the screens edit, as on entry.
struct Signal {
    uint16_t position;
    int32_t freq;
    uint8_t runs;
    int16_t cu_samples;
    uint16_t file_samples;
    uint8_t auto_stacks;
    int16_t stacks;
    uint8_t clipped;
    int16_t zero;
    int delay;
    static Signal now();
};

constexpr int kMaxStacks = 2048, kMaxClipped = 200, kMaxZero = 200, kMaxDelay = 2048;
constexpr const char* kStacksWarning1 = "Attention! This high number of stacks";
constexpr const char* kStacksWarning2 = "can drastically slow down measurements.";

// File samples follow CU samples - clipped (never below 100).
void file_samples_follow();

// Autostacks on/off, sent to the CU.
void toggle_autostacks();
// One step (dir +1 Right, -1 Left) of a value, sent to the CU.
void step_position(int dir);
void step_samples(int dir);
void step_stacks(int dir);
void step_clipped(int dir);
void step_zero(int dir);

// Sends every value that differs from `entry` back to the CU and puts it back into eep.
void restore(const Signal& entry);
// Save and cancel end alike: the file sample count fits the CU's, is kept and sent, the CU
// stores its parameters (on: the CU is on), and the settings are written.
void finish(bool on);

} // namespace signal_values
