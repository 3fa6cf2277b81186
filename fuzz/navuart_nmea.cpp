// The GPS serial driver's receive ring and sentence search, built from the module's own C
// file: any byte stream from the receiver, interleaved with the program's requests.
#include "kmod/navuart/navuart_nmea.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::vector<unsigned char> mem(NAV_BUF_SIZE);
    nav_ring r;
    nav_ring_init(&r, mem.data());
    int cs_check = 1;
    // Exactly the answer room the module gives, so that any overrun is caught.
    std::vector<unsigned char> answer(NAV_FIELDS_LEN);
    // Bytes received; 0xFF followed by two bytes is a request {cmd, value} of the program.
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0xFF && i + 2 < size) {
            int speed = -1;
            nav_command(&r, &cs_check, data[i + 1], data[i + 2], answer.data(), &speed);
            i += 2;
        } else {
            nav_ring_put(&r, data[i]);
        }
    }
    nav_latest_gga(&r, cs_check, answer.data());
    return 0;
}
