#include "cu/gps_display.h"

char gps_str_01[kGpsTextSize] = " ";
int gps_qi = -1;
int gps_synctime = 0;
int can_GPS_Show = 0;
uint32_t gps_time_sec = 0;
uint32_t gps_time_ms = 0;
