// What the simulated GPS receivers send in one second, by mode (see usbgps_standin.cpp).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

inline std::string gps_with_checksum(const std::string& body)
{
    unsigned cs = 0;
    for (char c : body)
        cs ^= static_cast<unsigned char>(c);
    char tail[8];
    snprintf(tail, sizeof tail, "*%02X\r\n", cs);
    return "$" + body + tail;
}

inline std::string gps_utc_time_field()
{
    time_t now = time(nullptr);
    struct tm tm;
    gmtime_r(&now, &tm);
    char buf[16];
    snprintf(buf, sizeof buf, "%02d%02d%02d.00", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

// One second of output: fix, nofix, garbage, badcs; anything else (silent) sends nothing.
inline std::string gps_sentences_for(const std::string& mode, unsigned tick)
{
    std::string t = gps_utc_time_field();
    // A slow walk north-east, so successive fixes differ.
    char gga[128], rmc[128];
    snprintf(gga, sizeof gga, "GPGGA,%s,5740.%04u,N,01158.%04u,E,1,08,0.9,45.3,M,38.2,M,,", t.c_str(),
             1234 + tick % 8000, 5678 + tick % 4000);
    snprintf(rmc, sizeof rmc, "GPRMC,%s,A,5740.%04u,N,01158.%04u,E,0.5,45.0,,,", t.c_str(),
             1234 + tick % 8000, 5678 + tick % 4000);
    if (mode == "fix")
        return gps_with_checksum(rmc) + gps_with_checksum(gga);
    if (mode == "nofix")
        return gps_with_checksum("GPGGA," + t + ",,,,,,00,99.9,,M,,M,,");
    if (mode == "badcs") {
        std::string s = gps_with_checksum(gga);
        s[s.size() - 3] = s[s.size() - 3] == '0' ? '1' : '0';
        return s;
    }
    if (mode == "garbage") {
        std::string s;
        for (int i = 0; i < 60; i++)
            s += static_cast<char>(rand() & 0xFF);
        s += "\r\n$GPGG*\r\n$GPGGA,12\xff\x01\r\n#%&!\r\n";
        return s;
    }
    return "";
}
