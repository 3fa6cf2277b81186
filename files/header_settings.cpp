#include "files/header_settings.h"

#include "app/pending.h"
#include "files/keylines.h"

HeaderSettings current_header_settings()
{
    pending_skip("XML parameter object (wheel, soil velocity, antenna display values for the header)");
    HeaderSettings s{};
    s.wheel_index = 1;
    s.wheel_count = 3;
    copy_text(s.wheel_name, sizeof s.wheel_name, "TK Pro Cart");
    s.wheel_calibration = 360.67;
    s.wheel_direction = -1;
    s.soil_velocity = 100.0f;
    s.time_gain = 50;
    s.contrast = 40;
    s.antenna_count = 5;
    return s;
}

void store_antenna_display(int, uint8_t, int16_t)
{
    pending_skip("XML parameter object (antenna display values of an opened profile)");
}
