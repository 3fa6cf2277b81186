#include "files/keylines.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

int read_key_line(FILE* f, char* buf, size_t size, size_t max_chars)
{
    if (!f || !buf || size == 0)
        return kLineEnd;
    size_t limit = size - 1;
    if (limit > max_chars)
        limit = max_chars;
    size_t n = 0;
    int c;
    bool any = false;
    while ((c = getc(f)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (n == limit) {
            buf[n] = 0;
            return kLineTooLong;
        }
        buf[n++] = (char)c;
    }
    if (!any) {
        buf[0] = 0;
        return kLineEnd;
    }
    if (n > 0 && buf[n - 1] == '\r')
        n--;
    buf[n] = 0;
    return kLineRead;
}

bool key_matches(const char* line, const char* key)
{
    return line && key && strncmp(line, key, strlen(key)) == 0;
}

namespace {

const char* after_key(const char* line, const char* key)
{
    return key_matches(line, key) ? line + strlen(key) : nullptr;
}

bool parse_long(const char* s, long& out)
{
    char* end = nullptr;
    errno = 0;
    long v = strtol(s, &end, 10);
    if (end == s || errno == ERANGE)
        return false;
    out = v;
    return true;
}

bool parse_double(const char* s, double& out)
{
    // Stream extraction reads plain decimal numbers only: no "nan", "inf" or hex.
    const char* p = s;
    while (*p == ' ' || *p == '\t')
        p++;
    const char* d = p;
    if (*d == '+' || *d == '-')
        d++;
    if (!((*d >= '0' && *d <= '9') || (*d == '.' && d[1] >= '0' && d[1] <= '9')))
        return false;
    if (d[0] == '0' && (d[1] == 'x' || d[1] == 'X')) {
        out = 0; // "0x..." reads as 0 followed by text
        return true;
    }
    char* end = nullptr;
    errno = 0;
    double v = strtod(p, &end);
    if (end == p || !std::isfinite(v) || errno == ERANGE)
        return false;
    out = v;
    return true;
}

} // namespace

template <> bool ReadTParameter<int>(const char* line, const char* key, int& value)
{
    const char* s = after_key(line, key);
    long v;
    if (!s || !parse_long(s, v) || v < INT_MIN || v > INT_MAX)
        return false;
    value = (int)v;
    return true;
}

template <> bool ReadTParameter<int16_t>(const char* line, const char* key, int16_t& value)
{
    const char* s = after_key(line, key);
    long v;
    if (!s || !parse_long(s, v) || v < INT16_MIN || v > INT16_MAX)
        return false;
    value = (int16_t)v;
    return true;
}

template <> bool ReadTParameter<bool>(const char* line, const char* key, bool& value)
{
    const char* s = after_key(line, key);
    long v;
    if (!s || !parse_long(s, v) || (v != 0 && v != 1))
        return false;
    value = v == 1;
    return true;
}

template <> bool ReadTParameter<double>(const char* line, const char* key, double& value)
{
    const char* s = after_key(line, key);
    double v;
    if (!s || !parse_double(s, v))
        return false;
    value = v;
    return true;
}

template <> bool ReadTParameter<float>(const char* line, const char* key, float& value)
{
    const char* s = after_key(line, key);
    double v;
    if (!s || !parse_double(s, v) || std::fabs(v) > 3.4028234663852886e38)
        return false;
    value = (float)v;
    return true;
}

bool ReadStrParameter(const char* line, const char* key, char* out, size_t out_size)
{
    const char* s = after_key(line, key);
    if (!s || !out || out_size == 0)
        return false;
    size_t n = strlen(s);
    if (n > 255)
        n = 255;
    if (n > out_size - 1)
        n = out_size - 1;
    memcpy(out, s, n);
    out[n] = 0;
    return true;
}

int ReadIntParameter(const char* text)
{
    long v;
    if (!text || !parse_long(text, v) || v < INT_MIN || v > INT_MAX)
        return -1;
    return (int)v;
}

float ReadFloatParameter(const char* text)
{
    double v;
    if (!text || !parse_double(text, v) || std::fabs(v) > 3.4028234663852886e38)
        return 0.0f;
    return (float)v;
}

void copy_text(char* out, size_t out_size, const char* in)
{
    if (!out || out_size == 0)
        return;
    if (!in)
        in = "";
    size_t n = strnlen(in, out_size - 1);
    memcpy(out, in, n);
    out[n] = 0;
}
