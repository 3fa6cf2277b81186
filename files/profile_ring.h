// CProfile: the radargram's circular trace store, 3000 columns of 2048 floats, allocated
// once when the radar data object is built. The acquisition engine fills it while recording
// and pRead fills it from a stored profile.
#pragma once

#include "dsp/display_gain.h"

#include <cstdint>
#include <memory>

class CProfile {
public:
    // The store layout the display gains read (dsp/display_gain.h).
    static constexpr int kSlots = STORE_COLUMNS;
    static constexpr int kSlotSamples = STORE_SAMPLES;

    int32_t first_trace = 0; // trace number held by the start column
    int32_t start = 0;       // first column
    int32_t end = 0;         // one past the last column
    int32_t counter = 0;

    CProfile();
    virtual ~CProfile();
    CProfile(const CProfile&) = delete;
    CProfile& operator=(const CProfile&) = delete;

    // Folds an index into 0..2999 (one turn either way).
    static int prof_ind(int i) { return i >= kSlots ? i - kSlots : (i < 0 ? i + kSlots : i); }
    // Columns in use: (end - start) modulo 3000.
    int b_size() const { return ((end - start) % kSlots + kSlots) % kSlots; }
    void Empty() { first_trace = start = end = counter = 0; }

    float* slot(int i) { return data_.get() + (size_t)prof_ind(i) * kSlotSamples; }
    const float* slot(int i) const { return data_.get() + (size_t)prof_ind(i) * kSlotSamples; }

private:
    std::unique_ptr<float[]> data_;
};
