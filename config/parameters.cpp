#include "config/parameters.h"

#include <cstring>

CParameters prm;

CParameters::CParameters()
{
    memset(this, 0, sizeof *this);
    unit_number = 1;
    language = 0;
    strncpy(pv_project_name, "PVP_", sizeof pv_project_name - 1);
    duo_channel = 1;
    sbas_mode = 0;
    pattern_parameter = 20;
    gain_switch = 1;
    udp_mode = 1;
    wifi_channel = 1;
    memcpy(country_code, "US", 3);
}

// p_read and p_write (mount /dev/sda2, read or write the image, unmount) are built with the
// configuration subsystem.
