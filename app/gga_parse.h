// The fields of one GGA sentence as the periodic timer shows and logs them. Pure: no locks,
// no globals, so every receiver quirk can be checked without the timer thread.
#pragma once

#include <cstddef>

struct GgaFix {
    char time[32];     // "hh:mm:ss" or "hh:mm:ss:fff" (the fraction digits as received)
    int synctime;      // mm * 60000 + ss * 1000 + the fraction digits as an integer
    char lat[32];      // degrees, "%3.11f"
    char lat_ch;       // 'N' or 'S'
    char lon[32];      // degrees, "%3.11f"
    char lon_ch;       // 'E' or 'W'
    int quality;       // fix quality, above 0
    char hdop[32];     // as received
    char alt[32];      // as received
    char alt_ch;       // unit letter of the altitude (0 when the field is empty)
    char position[32]; // "%.8f%c   %.8f%c", at most 30 characters
};

// Longest accepted field texts; a longer field makes the sentence unusable.
constexpr size_t kGgaTimeMax = 18;
constexpr size_t kGgaCoordMax = 28;
constexpr size_t kGgaHdopMax = 18;
constexpr size_t kGgaAltMax = 28;
constexpr size_t kGgaPositionMax = 30;

// Parses the fields after "GPGGA," (time, latitude, N/S, longitude, E/W, quality,
// satellites, HDOP, altitude, unit, ...). The text ends at its terminating zero or at the
// first CR or LF. True with *out filled when every field is well formed and the quality is
// above 0; false otherwise (*out is then unspecified).
bool parse_gga(const char* body, GgaFix* out);

// ddmm.mmmm (or dddmm.mmmm) to degrees: whole hundreds + remainder / 60.
double nmea_to_degrees(double ddmm);
