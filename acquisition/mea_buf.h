// CMeaBuf: the measurement display queue. The per-trace pipeline (acquisition thread) adds
// each trace as floats (sample / 8192) with its trace number; doMea (GUI thread) moves the
// queued traces into the radargram's trace store and empties the queue. Both sides hold
// lock_mea_buf. The queue is allocated once; adding a trace copies into a fixed slot.
//
// A full queue (the GUI lagging by 2000 traces) refuses traces: they are still written to
// the data file, only the screen misses them.
#pragma once

#include "dsp/trace.h"

#include <cstdint>
#include <memory>

class CMeaBuf {
public:
    static constexpr int kSlots = 2000;
    static constexpr int kSlotSamples = DSP_MAX_SAMPLES;

    int32_t count = 0;        // queued traces
    int32_t not_fitted = 0;   // traces refused since the last clear

    CMeaBuf();
    virtual ~CMeaBuf();
    CMeaBuf(const CMeaBuf&) = delete;
    CMeaBuf& operator=(const CMeaBuf&) = delete;

    // True while fewer than 2000 traces are queued; otherwise counts the refusal, prints
    // "e_trace is added" and returns false.
    bool can_add();
    // Queues trace `number` (n samples, at most 2048) as sample / 8192. The caller has
    // checked can_add().
    void add(int32_t number, const int32_t* samples, int n);
    void clear() { count = 0; not_fitted = 0; }

    float* slot(int i) { return data_.get() + (size_t)i * kSlotSamples; }
    const float* slot(int i) const { return data_.get() + (size_t)i * kSlotSamples; }
    int32_t number(int i) const { return numbers_[i]; }

private:
    std::unique_ptr<float[]> data_;
    int32_t numbers_[kSlots] = {};
};

// The queue (the radar data object's display queue).
extern CMeaBuf mea_buf;
