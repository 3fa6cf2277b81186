#include "gui/lang.h"

#include "gui/screen_table.h"
#include "gui/sdl_object.h"
#include "gui/wide_text.h"

#include <cstdio>
#include <cstring>
#include <mutex>

CLang lngs;

const char* CLang::alang[kLanguages][kLangStrings];

const char* const CLang::lng_name[kLanguages] = {
    "English", "French", "Italian", "Spanish", "German", "Swedish",
    "Norwegian", "Russian", "Chinese", "Portuguese", "Romanian",
};

namespace {

// Decodes one UTF-8 sequence; returns the code point and advances p (U+FFFD on bad input).
unsigned next_cp(const unsigned char*& p)
{
    unsigned c = *p++;
    if (c < 0x80)
        return c;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (more < 0)
        return 0xFFFD;
    unsigned cp = c & (0x3F >> more);
    for (int i = 0; i < more; i++) {
        if ((*p & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (*p++ & 0x3F);
    }
    return cp;
}

// Windows-1251: the letters A..ya are bytes 192..255 (drawn back as byte + 848).
int to_cp1251(unsigned cp)
{
    if (cp < 0x80)
        return int(cp);
    if (cp >= 0x410 && cp <= 0x44F)
        return int(cp - 848);
    return -1;
}

char storage[kLanguages][kLangStrings][kLangBytes];
std::once_flag built;
int unencodable = 0;

} // namespace

int encode_for_language(int lang, const char* utf8, char* out, size_t cap)
{
    int bad = 0;
    size_t n = 0;
    const unsigned char* p = (const unsigned char*)utf8;
    if (lang == kLangChinese) {
        while (*p && n + 4 <= cap) {
            unsigned cp = next_cp(p);
            if (cp > 0xFFFF) {
                cp = '?';
                bad++;
            }
            out[n++] = char(cp & 0xFF);
            out[n++] = char(cp >> 8);
        }
        if (cap >= 2) {
            out[n] = out[n + 1] = 0;
        }
        return bad;
    }
    while (*p && n + 1 < cap) {
        unsigned cp = next_cp(p);
        int b = lang == kLangRussian ? to_cp1251(cp) : (cp <= 0xFF ? int(cp) : -1);
        if (b < 0 || b == 2) { // byte 2 is dropped when drawn: never put it in a string
            b = '?';
            bad++;
        }
        out[n++] = char(b);
    }
    if (cap)
        out[n] = 0;
    return bad;
}

int CLang::build_alang()
{
    std::call_once(built, [] {
        for (int l = 0; l < kLanguages; l++)
            for (int i = 0; i < kLangStrings; i++) {
                unencodable += encode_for_language(l, utf8_table[l][i], storage[l][i], kLangBytes);
                alang[l][i] = storage[l][i];
            }
    });
    return unencodable;
}

namespace {

void copy_string(int lang, char* dst, size_t cap, const char* src)
{
    if (lang == kLangChinese) {
        size_t n = 0;
        while (n + 4 <= cap && (src[n] || src[n + 1])) {
            dst[n] = src[n];
            dst[n + 1] = src[n + 1];
            n += 2;
        }
        dst[n] = dst[n + 1] = 0;
    } else {
        str_copy(dst, cap, src); // the 200-byte copies take what fits
    }
}

void append_colon(int lang, char* dst, size_t cap)
{
    if (lang == kLangChinese) {
        size_t n = 0;
        while (dst[n] || dst[n + 1])
            n += 2;
        if (n + 6 <= cap) {
            dst[n] = ':'; dst[n + 1] = 0;
            dst[n + 2] = ' '; dst[n + 3] = 0;
            dst[n + 4] = dst[n + 5] = 0;
        }
    } else {
        size_t n = strlen(dst);
        snprintf(dst + n, cap - n, ": ");
    }
}

} // namespace

void CLang::create_M(int l)
{
    build_alang();
    if (l < 0 || l >= kLanguages)
        l = 0;
    lang = l;
    for (int i = 0; i < kLangStrings; i++)
        copy_string(l, s[i], kLangBytes, alang[l][i]);
    for (int i : {0, 23, 30})
        append_colon(l, s[i], kLangBytes);
    // Palette names: "Gray levels", "Color scheme 1", "Color scheme 2" (8-bit in every
    // language but Chinese, where the palette list draws language text too).
    copy_string(l, mS.pal_name[0], sizeof mS.pal_name[0], s[21]);
    for (int k = 1; k <= 2; k++) {
        copy_string(l, mS.pal_name[k], sizeof mS.pal_name[k], s[22]);
        char suffix[4];
        snprintf(suffix, sizeof suffix, " %d", k);
        if (l == kLangChinese) {
            size_t n = 0;
            while (mS.pal_name[k][n] || mS.pal_name[k][n + 1])
                n += 2;
            for (const char* q = suffix; *q && n + 4 <= sizeof mS.pal_name[k]; q++, n += 2) {
                mS.pal_name[k][n] = *q;
                mS.pal_name[k][n + 1] = 0;
            }
            mS.pal_name[k][n] = mS.pal_name[k][n + 1] = 0;
        } else {
            str_append(mS.pal_name[k], sizeof mS.pal_name[k], suffix);
        }
    }
    copy_string(l, s33, sizeof s33, s[33]);
    copy_string(l, s34, sizeof s34, s[34]);
    copy_string(l, s35, sizeof s35, s[35]);
    copy_string(l, s36, sizeof s36, s[36]);
    copy_string(l, s45, sizeof s45, s[45]);
}
