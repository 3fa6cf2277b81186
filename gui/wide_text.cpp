#include "gui/wide_text.h"

#include "config/parameters.h"
#include "gui/sdl_object.h"

#include <cstring>

size_t str_copy(char* dst, size_t cap, const char* src)
{
    if (cap == 0)
        return 0;
    size_t n = src ? strnlen(src, cap - 1) : 0;
    memmove(dst, src ? src : "", n);
    dst[n] = 0;
    return n;
}

size_t str_append(char* dst, size_t cap, const char* src)
{
    if (cap == 0)
        return 0;
    size_t have = strnlen(dst, cap - 1);
    return have + str_copy(dst + have, cap - have, src);
}

int text_language() { return prm.language; }

bool chinese_text() { return prm.language == 8 && CSDLObject::kina_font != nullptr; }

namespace {

size_t u16_len(const char* s, size_t max_units)
{
    size_t n = 0;
    while (n < max_units && (s[2 * n] || s[2 * n + 1]))
        n++;
    return n;
}

// Language text is 16-bit only in Chinese; the string routines follow the stored language
// even before the font is loaded, since the language table is built in that form.
bool wide() { return prm.language == 8; }

// Writes the 16-bit units unit(0), unit(1) ... up to the first zero unit into dst (cap
// bytes), as many as fit with the zero unit that ends them.
template <class Unit> void u16_copy(char* dst, size_t cap, Unit unit)
{
    if (cap < 2) {
        if (cap)
            dst[0] = 0;
        return;
    }
    size_t n = 0;
    for (const size_t max = cap / 2 - 1; n < max; n++) {
        const unsigned u = unit(n);
        if (u == 0)
            break;
        dst[2 * n] = char(u & 0xff);
        dst[2 * n + 1] = char(u >> 8);
    }
    dst[2 * n] = dst[2 * n + 1] = 0;
}

// Appends src to the 16-bit text in dst with `copy`, when a unit still fits after it.
void u16_append(char* dst, size_t cap, const char* src, void (*copy)(char*, const char*, size_t))
{
    const size_t have = u16_len(dst, cap / 2);
    if (2 * have + 2 <= cap)
        copy(dst + 2 * have, src, cap - 2 * have);
}

} // namespace

void CSDLObject::uni_strcpy(char* dst, const char* src, size_t cap)
{
    if (!wide()) {
        str_copy(dst, cap, src);
        return;
    }
    u16_copy(dst, cap, [src](size_t i) { return unsigned((unsigned char)src[2 * i] | (unsigned char)src[2 * i + 1] << 8); });
}

void CSDLObject::conv_strcpy(char* dst, const char* src, size_t cap)
{
    if (!wide()) {
        str_copy(dst, cap, src);
        return;
    }
    u16_copy(dst, cap, [src](size_t i) { return unsigned((unsigned char)src[i]); });
}

void CSDLObject::uni_strcat(char* dst, const char* src, size_t cap)
{
    if (wide())
        u16_append(dst, cap, src, uni_strcpy);
    else
        str_append(dst, cap, src);
}

void CSDLObject::conv_strcat(char* dst, const char* src, size_t cap)
{
    if (wide())
        u16_append(dst, cap, src, conv_strcpy);
    else
        str_append(dst, cap, src);
}

char* CSDLObject::uni_strtok(char* text, char separator, int fontType)
{
    if (!text)
        return nullptr;
    if (wide() && is_language_text(fontType)) {
        for (size_t i = 0;; i++) {
            unsigned char lo = (unsigned char)text[2 * i], hi = (unsigned char)text[2 * i + 1];
            unsigned unit = lo | (hi << 8);
            if (unit == (unsigned char)separator && unit != 0) {
                text[2 * i] = text[2 * i + 1] = 0;
                return text + 2 * i + 2;
            }
            if (unit == 0)
                return nullptr;
        }
    }
    for (size_t i = 0;; i++) {
        if (text[i] == separator) {
            if (separator == 0)
                return text + i; // the terminator itself: the rest is empty
            text[i] = 0;
            return text + i + 1;
        }
        if (text[i] == 0)
            return nullptr;
    }
}

size_t CSDLObject::uni_strlen(const char* text, int fontType)
{
    if (wide() && is_language_text(fontType))
        return u16_len(text, 4096);
    return strlen(text);
}

bool CSDLObject::uni_empty(const char* text, int fontType)
{
    if (wide() && is_language_text(fontType))
        return text[0] == 0 && text[1] == 0;
    return text[0] == 0;
}
