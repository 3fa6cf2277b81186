// The contrast and time-gain sliders of the radargram screens (slots 9 and 10 of rows 1, 2
// and 3) and the display filter values of the current antenna they stand for:
//   contrast slider   = contrast / 2                     contrast = value * 2
//   time-gain slider  = mrnd(time gain * 40 / 255)       time gain = mrnd(value * 2 * 255 / 80)
//   in automatic-gain mode (parameter store gain switch):
//                     = 41 - Bias / again_bias_speed     Bias = (40 - value) * again_bias_speed
// Bias is the fourth integer parameter of the automatic-gain filter; again_bias_speed is its
// seventh / 1.99, at least 0.99.
#pragma once

constexpr int kSlotContrast = 9, kSlotTimeGain = 10;
// The contrast or time-gain slider of a radargram screen.
inline bool is_slider_slot(int slot) { return slot == kSlotContrast || slot == kSlotTimeGain; }

extern float again_bias_speed;

// Slider positions for the current filter values (again_bias_speed is updated).
float contrast_slider_value();
float time_gain_slider_value();
// Stores a slider position of slot 9 or 10 into the filter values; in automatic-gain mode
// the gain curve is recomputed (ag_autostart = 0).
void slider_to_filters(int slot, float value);
