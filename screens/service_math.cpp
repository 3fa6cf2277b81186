#include "screens/service_math.h"

#include <cstdio>

uint32_t pack_date(int year, int month, int day)
{
    return (uint32_t(year & 0xFFFF) << 16) | (uint32_t(month & 0xFF) << 8) | uint32_t(day & 0xFF);
}

bool unpack_date(uint32_t v, int& year, int& month, int& day)
{
    if (v == 0)
        return false;
    const int y = int(v >> 16), m = int((v >> 8) & 0xFF), d = int(v & 0xFF);
    static const int kDays[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > kDays[m])
        return false;
    year = y;
    month = m;
    day = d;
    return true;
}

void date_text(uint32_t v, char* out, size_t cap)
{
    int y, m, d;
    if (unpack_date(v, y, m, d))
        snprintf(out, cap, "%4d-%02d-%02d", y, m, d);
    else
        snprintf(out, cap, "not defined");
}

SerialCheck check_serial_text(const char* text, int32_t& out)
{
    const char* p = text;
    while (*p == ' ')
        p++;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        p++;
    }
    int digits = 0;
    int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        if (++digits <= 9)
            v = v * 10 + (*p - '0');
    }
    while (*p == ' ')
        p++;
    if (*p != 0 || digits == 0)
        return SerialCheck::NotCorrect;
    if (digits > 8)
        return SerialCheck::TooBig;
    out = int32_t(negative ? -v : v);
    return SerialCheck::Ok;
}

bool wifi_reply_ok(int result, const char reply[5])
{
    return result == 0 && reply[1] == 'S';
}

bool wire_init_answers_ok(const uint32_t o[5])
{
    if (o[0] != kWifiS || o[1] != kWifiS)
        return false;
    if (o[2] != kWifiS && o[2] != kWifiS6)
        return false;
    return (o[3] == kWifiS && o[4] == kWifiS) || (o[3] == kWifiS6 && o[4] == kWifiS);
}
