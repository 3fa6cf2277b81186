// Key lines: every text file of the monitor is a sequence of "KEY:value" lines ended by CR LF,
// read back one line at a time by prefix match of each key.
//
// Files come from the data disk or a USB stick and may be damaged: every reader here is
// bounded, never writes past its target, and leaves the target unchanged when the value
// is missing, is no number of the target's type, or does not fit the type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Longest line the readers accept, without its line end.
constexpr int kKeyLineMax = 254;

// Result of read_key_line.
enum KeyLineResult { kLineRead = 1, kLineEnd = 0, kLineTooLong = -1 };

// Reads one line into buf (at least kKeyLineMax + 1 bytes) without its "\n" and without a
// "\r" before it. kLineTooLong when the line has more than kKeyLineMax characters (the
// rest of the file is then not to be trusted: the callers stop reading it); kLineEnd at the
// end of the file with nothing read.
// max_chars raises the limit for files whose own lines may be longer (marker texts).
int read_key_line(FILE* f, char* buf, size_t size, size_t max_chars = kKeyLineMax);

// True when line begins with key over the key's whole length (colon included).
bool key_matches(const char* line, const char* key);

// Reads the number right after `key` (leading blanks skipped) when `line` begins with the
// key. Types: int, int16_t, float, double, bool (0 or 1 only). Returns true and sets
// `value` only for a number that fits the type; otherwise `value` is left as it was.
template <class T> bool ReadTParameter(const char* line, const char* key, T& value);
template <> bool ReadTParameter<int>(const char* line, const char* key, int& value);
template <> bool ReadTParameter<int16_t>(const char* line, const char* key, int16_t& value);
template <> bool ReadTParameter<float>(const char* line, const char* key, float& value);
template <> bool ReadTParameter<double>(const char* line, const char* key, double& value);
template <> bool ReadTParameter<bool>(const char* line, const char* key, bool& value);

// Copies the rest of `line` after `key` into out (at most 255 characters and at most
// out_size - 1); false (out unchanged) when the line does not begin with the key.
bool ReadStrParameter(const char* line, const char* key, char* out, size_t out_size);

// The integer at the start of text (leading blanks skipped), or -1 when there is none or it
// does not fit an int.
int ReadIntParameter(const char* text);

// The float at the start of text, or 0 when there is none.
float ReadFloatParameter(const char* text);

// Bounded copy of a zero-terminated string (always terminates out, truncates).
void copy_text(char* out, size_t out_size, const char* in);
