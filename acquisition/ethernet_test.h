// The Ethernet test of the hardware-test screen: the CU is switched to its test ramp
// (simulation mode 2: sample k of every trace is 10 k - 32768), single traces are taken one
// after the other and each is checked sample by sample, until the operator stops or a
// trace is bad. Afterwards the CU gets its own settings back.
#pragma once

#include <cstddef>
#include <cstdint>

class CEthernetTest {
public:
    // The four numbers of the result.
    int traces = 0;      // traces tested
    int first_bad = -1;  // index of the first wrong sample of the bad trace, -1 none
    int kind = 0;        // acquisition error kind 1..5 (no data, link, corrupted 3..5), 0 none
    int bad = 0;         // bad traces
    char error[96] = {}; // the message of an acquisition error, empty without one

    // Saves the settings, sets the ramp mode, 1 run, no clipped samples and 2000 samples
    // (under lock_dw).
    void begin();
    // One trace: true while the test may go on, false once a trace was bad.
    bool step();
    // Puts the saved settings back and sends them (under lock_dw).
    void end();
    // "%d  %d  %d  %d" of the four numbers.
    void numbers(char* out, size_t cap) const;

private:
    int saved_sim = 0, saved_global = 0, saved_clipped = 0, saved_runs = 0;
    int saved_file = 0, saved_cu = 0;
};

constexpr int kEthTestSamples = 2000;

// Index of the first of n samples that is not the test ramp's 10 k - 32768 (as a 16-bit
// word), or -1 when all are right.
int ramp_first_bad(const int32_t* s, int n);
