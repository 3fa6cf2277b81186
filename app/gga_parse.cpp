#include "app/gga_parse.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// One comma-separated field of the sentence: [begin, begin + len).
struct Field {
    const char* begin = nullptr;
    size_t len = 0;
};

// Splits the sentence into up to `max` fields; the number found.
int split(const char* body, Field* fields, int max)
{
    int n = 0;
    const char* p = body;
    while (n < max) {
        const char* e = p;
        while (*e && *e != ',' && *e != '\r' && *e != '\n')
            e++;
        fields[n].begin = p;
        fields[n].len = size_t(e - p);
        n++;
        if (*e != ',')
            break;
        p = e + 1;
    }
    return n;
}

bool all_digits(const char* p, size_t len)
{
    for (size_t i = 0; i < len; i++)
        if (p[i] < '0' || p[i] > '9')
            return false;
    return true;
}

// Digits with at most one decimal point and at least one digit; no sign, exponent or
// "nan" that strtod would take.
bool plain_number(const Field& f)
{
    int dots = 0, digits = 0;
    for (size_t i = 0; i < f.len; i++) {
        char c = f.begin[i];
        if (c == '.')
            dots++;
        else if (c >= '0' && c <= '9')
            digits++;
        else
            return false;
    }
    return digits > 0 && dots <= 1;
}

// Empty, or a number with an optional leading minus (altitudes below the geoid).
bool optional_number(const Field& f)
{
    if (f.len == 0)
        return true;
    Field rest = f;
    if (rest.begin[0] == '-') {
        rest.begin++;
        rest.len--;
    }
    return plain_number(rest);
}

void copy_field(char* out, size_t out_size, const Field& f)
{
    size_t n = f.len < out_size - 1 ? f.len : out_size - 1;
    memcpy(out, f.begin, n);
    out[n] = 0;
}

double field_value(const Field& f)
{
    char buf[40];
    copy_field(buf, sizeof buf, f);
    return strtod(buf, nullptr);
}

// hhmmss[.fff]
bool parse_time(const Field& f, GgaFix* out)
{
    if (f.len < 6 || f.len > kGgaTimeMax || !all_digits(f.begin, 6))
        return false;
    const char* frac = nullptr;
    size_t frac_len = 0;
    if (f.len > 6) {
        if (f.begin[6] != '.')
            return false;
        frac = f.begin + 7;
        frac_len = f.len - 7;
        // More than nine digits would not fit the millisecond count.
        if (frac_len > 9 || !all_digits(frac, frac_len))
            return false;
    }
    auto two = [&](int at) { return (f.begin[at] - '0') * 10 + (f.begin[at + 1] - '0'); };
    int mm = two(2), ss = two(4);
    long fraction = 0;
    for (size_t i = 0; i < frac_len; i++)
        fraction = fraction * 10 + (frac[i] - '0');
    if (frac_len)
        snprintf(out->time, sizeof out->time, "%.2s:%.2s:%.2s:%.*s", f.begin, f.begin + 2, f.begin + 4,
                 int(frac_len), frac);
    else
        snprintf(out->time, sizeof out->time, "%.2s:%.2s:%.2s", f.begin, f.begin + 2, f.begin + 4);
    long long sync = (long long)mm * 60000 + ss * 1000 + fraction;
    if (sync > 2147483647LL)
        return false;
    out->synctime = int(sync);
    return true;
}

bool parse_coord(const Field& value, const Field& letter, const char* letters, char* text,
                 size_t text_size, char* ch, double* degrees)
{
    if (value.len > kGgaCoordMax || !plain_number(value))
        return false;
    if (letter.len != 1 || (letter.begin[0] != letters[0] && letter.begin[0] != letters[1]))
        return false;
    *degrees = nmea_to_degrees(field_value(value));
    snprintf(text, text_size, "%3.11f", *degrees);
    *ch = letter.begin[0];
    return true;
}

} // namespace

double nmea_to_degrees(double ddmm)
{
    double whole = std::floor(ddmm / 100.0);
    return whole + (ddmm - whole * 100.0) / 60.0;
}

bool parse_gga(const char* body, GgaFix* out)
{
    if (!body || !out)
        return false;
    memset(out, 0, sizeof *out);
    enum { kTime, kLat, kLatCh, kLon, kLonCh, kQuality, kSats, kHdop, kAlt, kAltCh, kCount };
    Field f[kCount];
    if (split(body, f, kCount) < kCount)
        return false;

    if (!parse_time(f[kTime], out))
        return false;
    double lat = 0, lon = 0;
    if (!parse_coord(f[kLat], f[kLatCh], "NS", out->lat, sizeof out->lat, &out->lat_ch, &lat) ||
        !parse_coord(f[kLon], f[kLonCh], "EW", out->lon, sizeof out->lon, &out->lon_ch, &lon))
        return false;

    const Field& q = f[kQuality];
    if (q.len == 0 || q.len > 2 || !all_digits(q.begin, q.len))
        return false;
    out->quality = int(field_value(q));
    if (out->quality <= 0)
        return false;

    // These go into tab-separated logs as they are: numbers only.
    if (f[kHdop].len > kGgaHdopMax || f[kAlt].len > kGgaAltMax || f[kAltCh].len > 1 ||
        !optional_number(f[kHdop]) || !optional_number(f[kAlt]))
        return false;
    if (f[kAltCh].len && !isalpha((unsigned char)f[kAltCh].begin[0]))
        return false;
    copy_field(out->hdop, sizeof out->hdop, f[kHdop]);
    copy_field(out->alt, sizeof out->alt, f[kAlt]);
    out->alt_ch = f[kAltCh].len ? f[kAltCh].begin[0] : 0;

    int n = snprintf(out->position, sizeof out->position, "%.8f%c   %.8f%c", lat, out->lat_ch, lon, out->lon_ch);
    return n > 0 && size_t(n) <= kGgaPositionMax;
}
