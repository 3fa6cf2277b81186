// The GPS state shown on the screens and written to the logs. The periodic timer formats
// the reader's sentences into it; the GPS reader resets it when a receiver is (re)opened
// or closed. Guarded by lock3 (the GPS time by the acquisition thread that sets it).
#pragma once

#include <cstdint>

constexpr int kGpsTextSize = 64;
extern char gps_str_01[kGpsTextSize]; // position text ("NO COORDINATES", " " without data)
extern int gps_qi;                    // fix quality; -1 = no GPS data at all
extern int gps_synctime;              // mm * 60000 + ss * 1000 + fraction digits of the last fix
extern int can_GPS_Show;              // 0 nothing new, 1 no coordinates, 2 new fix, 3 lost, 4 no data
extern uint32_t gps_time_sec;         // GPS time of the CU's receiver, Unix seconds (0 = none)
extern uint32_t gps_time_ms;
