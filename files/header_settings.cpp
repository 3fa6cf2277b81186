#include "files/header_settings.h"

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/keylines.h"

HeaderSettings current_header_settings()
{
    HeaderSettings s{};
    s.wheel_index = xml_pars.current_wheel;
    s.wheel_count = xml_pars.wheel_count;
    if (s.wheel_index >= 0 && s.wheel_index < s.wheel_count && s.wheel_index < kMaxWheels) {
        const CWheelRecord& w = xml_pars.wheel[s.wheel_index];
        copy_text(s.wheel_name, sizeof s.wheel_name, w.name);
        s.wheel_calibration = w.wheel_calibration;
        s.wheel_direction = w.wheel_direction;
    }
    s.soil_velocity = xml_pars.soil_velocity;
    const CAntennaRecord& a = eep.current_antenna();
    s.time_gain = (uint8_t)a.filter[2].int_par[3];
    s.contrast = (int16_t)a.filter[6].int_par[0];
    s.antenna_count = xml_pars.antenna_count;
    return s;
}

void store_antenna_display(int antenna_index, uint8_t time_gain, int16_t contrast)
{
    if (antenna_index < 0 || antenna_index >= xml_pars.antenna_count || antenna_index >= kMaxAntennas)
        antenna_index = 0;
    CAntennaRecord& a = xml_pars.antenna[antenna_index];
    eep.ant_record = &a;
    a.filter[2].int_par[3] = time_gain;
    a.filter[6].int_par[0] = contrast;
}
