// CTraceView: the single-trace view (A-scope) beside the radargram and on the parameter
// screens: one trace as a curve around the middle, with its DC level, the time-zero line and
// the time and depth at a cursor row.
#pragma once

#include "dsp/display_gain.h"
#include "dsp/trace.h"
#include "gui/sdl_object.h"

#include <cstdint>
#include <memory>

class CTraceView : public CSDLObject {
public:
    static constexpr int kSamples = DSP_MAX_SAMPLES;

    CSTrace display{kSamples};        // the trace as drawn, one value per sample
    CFTrace work1{kSamples}, work2{kSamples};
    SDL_Surface* surf = nullptr;
    std::unique_ptr<uint16_t[]> row_map; // row -> sample
    std::unique_ptr<float[]> row_w;      // interpolation weight towards the next sample
    const float* gain = nullptr;         // gain curve of the owning radargram (or none)
    int16_t cursor_row;
    uint8_t aux = 0;
    uint8_t details = 0;                 // DC, time and depth texts shown
    double compression = 1.0;            // samples per row

    int dc = 0;                          // mean of the display trace ("DC: %4d")
    int first_sample = 0;
    int mark_row = -1;
    char caption[128] = {};

    CTraceView(int x, int y, int width, int height);
    ~CTraceView() override;

    // Clears the acquisition's display-allowed and threshold-error flags (their owner resets
    // them when it exists), the row map for sample 0, cursor at height - 30.
    void tInit();
    // Row map for the view by the vertical scale mode of the antenna parameter block.
    void tresampdef(int firstSample);
    void Draw() override;
    // Prepares the display trace and draws it. trace: a trace of `eep.samples` values (or
    // null: the stored trace traceIndex); kind <= 0 raw minus its mean, 3 DC-filtered,
    // 2 with gain and contrast, others with gain; markRow >= 1 a blue line at that sample
    // row; caption written across the middle when not empty.
    void tDraw(const int32_t* trace, int traceIndex, int kind, int markRow, bool details,
               const char* caption);

    // Rows that hold samples (for the sample count in use).
    int rows_with_samples(int samples) const;
    // Horizontal position of a display value.
    int x_of(int value) const;

private:
    CDelMean mean_;
};
