// The language table: eleven languages of 66 user-interface strings (global `lngs`).
//
// The current language's strings live in 255-byte slots in the form the text routines draw:
// Latin-1 bytes, Windows-1251 bytes for Russian (index 7), 16-bit little-endian units ending
// in a zero unit for Chinese (index 8).
#pragma once

#include <cstddef>

constexpr int kLanguages = 11;
constexpr int kLangStrings = 66;
constexpr size_t kLangBytes = 255;
constexpr int kLangRussian = 7;
constexpr int kLangChinese = 8;

class CLang {
public:
    char s[kLangStrings][kLangBytes] = {};
    // Copies of "Forward", "Reverse", "TLC Forward", "TLC Reverse" and "Time" (33-36, 45).
    char s33[200] = {}, s34[200] = {}, s35[200] = {}, s36[200] = {}, s45[200] = {};
    int lang = 0; // the language the slots hold

    // Source table, language-major; entries point into converted storage built on first use.
    static const char* alang[kLanguages][kLangStrings];
    static const char* const lng_name[kLanguages];
    static const char* const utf8_table[kLanguages][kLangStrings];

    // lang >= 11 (or negative) is taken as English. Copies the strings, appends ": " to
    // strings 0, 23 and 30, writes the palette names into the screen table, makes the copies.
    void create_M(int lang);
    const char* operator[](int i) const { return s[i]; }

    // Builds alang from utf8_table (once). Returns the number of characters that the target
    // encoding cannot hold (drawn as '?'); the table is written so that it is 0.
    static int build_alang();
};

extern CLang lngs;

// Encodes UTF-8 text for a language: Latin-1, Windows-1251 (Russian) or 16-bit little-endian
// units (Chinese). Writes at most cap bytes including the terminator; returns the number of
// characters that could not be encoded.
int encode_for_language(int lang, const char* utf8, char* out, size_t cap);
