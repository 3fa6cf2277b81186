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

} // namespace

void CSDLObject::uni_strcpy(char* dst, const char* src, size_t cap)
{
    if (cap == 0)
        return;
    if (wide()) {
        if (cap < 2) {
            dst[0] = 0;
            return;
        }
        size_t n = u16_len(src, cap / 2 - 1);
        memmove(dst, src, 2 * n);
        dst[2 * n] = dst[2 * n + 1] = 0;
    } else {
        str_copy(dst, cap, src);
    }
}

void CSDLObject::conv_strcpy(char* dst, const char* src, size_t cap)
{
    if (cap == 0)
        return;
    if (wide()) {
        if (cap < 2) {
            dst[0] = 0;
            return;
        }
        size_t n = 0, max = cap / 2 - 1;
        for (; n < max && src[n]; n++) {
            dst[2 * n] = src[n];
            dst[2 * n + 1] = 0;
        }
        dst[2 * n] = dst[2 * n + 1] = 0;
    } else {
        str_copy(dst, cap, src);
    }
}

void CSDLObject::uni_strcat(char* dst, const char* src, size_t cap)
{
    if (wide()) {
        size_t have = u16_len(dst, cap / 2);
        if (2 * have + 2 > cap)
            return;
        uni_strcpy(dst + 2 * have, src, cap - 2 * have);
    } else {
        str_append(dst, cap, src);
    }
}

void CSDLObject::conv_strcat(char* dst, const char* src, size_t cap)
{
    if (wide()) {
        size_t have = u16_len(dst, cap / 2);
        if (2 * have + 2 > cap)
            return;
        conv_strcpy(dst + 2 * have, src, cap - 2 * have);
    } else {
        uni_strcat(dst, src, cap);
    }
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
