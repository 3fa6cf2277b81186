// The values the profile header takes from the XML parameter object besides the antenna
// parameter block: the selected survey wheel, the soil velocity and the current antenna's
// time gain and contrast; and the way back for the display values of an opened profile.
// Header takes them as one record so that writing a header can be tested with any settings.
#pragma once

#include <cstdint>

struct HeaderSettings {
    int wheel_index;          // current wheel of the wheel list
    int wheel_count;          // wheels in the list
    char wheel_name[50];      // name of the current wheel (when the index is valid)
    double wheel_calibration; // its calibration, pulses per unit
    int wheel_direction;      // its direction, 1 or -1
    float soil_velocity;      // soil velocity, local units
    uint8_t time_gain;        // current antenna: time gain (filter 2, fourth integer)
    int16_t contrast;         // current antenna: contrast (filter 6, first integer)
    int antenna_count;        // antennas in the antenna list
};

// The settings now in force (xml_pars, and the antenna record eep points at).
HeaderSettings current_header_settings();

// An opened profile's antenna becomes the block's antenna record, and the profile's display
// values go into that record (time gain, contrast).
void store_antenna_display(int antenna_index, uint8_t time_gain, int16_t contrast);
