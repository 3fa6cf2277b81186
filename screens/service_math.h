// The checks and codings of the service screens, apart from any screen: service dates, the
// antenna serial number typed as text, the WiFi module's answers.
#pragma once

#include <cstddef>
#include <cstdint>

// A service date as the parameter store keeps it: (year << 16) | (month << 8) | day; 0 is
// "not defined".
uint32_t pack_date(int year, int month, int day);
// False for 0 ("not defined") and for a value that is not a calendar date (a damaged store).
bool unpack_date(uint32_t v, int& year, int& month, int& day);
// "%4d-%02d-%02d", or "not defined".
void date_text(uint32_t v, char* out, size_t cap);

// The antenna serial number typed as characters: blanks around the number are allowed, a
// '-' only before the first digit, at most 8 digits.
enum class SerialCheck { Ok, TooBig, NotCorrect };
SerialCheck check_serial_text(const char* text, int32_t& out);

// A WiFi-module command answered well: exchange result 0 and 'S' as the answer's second
// character ("<S>", "<S6>").
bool wifi_reply_ok(int result, const char reply[5]);
// The five answer words of the wire initiation: "<S>\0" twice, then "<S>\0" or "<S6>", then
// "<S>\0" twice or "<S6>" followed by "<S>\0".
constexpr uint32_t kWifiS = 0x3C533E00, kWifiS6 = 0x3C53363E;
bool wire_init_answers_ok(const uint32_t o[5]);
