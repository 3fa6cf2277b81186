// GPS sentences from any receiver: the newest GGA picked out of a receiver's text by the GPS
// reader (as for the antenna's receiver), then its fields parsed.
#include "app/gga_parse.h"
#include "platform/globals.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char body[kGpsOutSize];
    size_t n = size < sizeof body - 1 ? size : sizeof body - 1;
    memcpy(body, data, n);
    body[n] = 0;
    GgaFix fix;
    parse_gga(body, &fix);

    eep.gps_enabled = 1;
    eep.gps_source = 2;
    pisOn = true;
    n = size < sizeof gps.gps_buf - 1 ? size : sizeof gps.gps_buf - 1;
    memcpy(gps.gps_buf, data, n);
    gps.gps_buf[n] = 0;
    char out[kGpsOutSize];
    if (gps.GetData(out) == 0)
        parse_gga(out, &fix);
    return 0;
}
