// Text helpers beside the string routines of CSDLObject: bounded 8-bit copies and the
// language the text routines follow.
#pragma once

#include <cstddef>

// Bounded 8-bit string copy and append: at most cap - 1 bytes end up in dst, which is always
// terminated (cap 0 leaves it untouched). Cutting a longer text short is their purpose.
// Return the length of the result.
size_t str_copy(char* dst, size_t cap, const char* src);
size_t str_append(char* dst, size_t cap, const char* src);

// Language index of the text routines: 7 = Russian (Windows-1251), 8 = Chinese (16-bit).
int text_language();
bool chinese_text(); // language 8 with its font loaded
