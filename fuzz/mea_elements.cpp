// The elements of one queued trace as the ring holds it (trace samples, wheel and time
// positions, divisors, the antenna's GPS texts and UBX messages) decoded by GetMeaData,
// also where the trace wraps around the ring's end.
#include "fuzz/fuzz_support.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    FuzzLink& l = FuzzLink::reset(in);
    CEthernet& e = l.e;
    const bool wrap = in.u8() & 1;
    std::vector<uint8_t> body = in.rest();
    const uint32_t n = uint32_t(body.size() % (kMeaRingSize / 2));
    const uint32_t start = wrap ? kMeaRingSize - n / 2 : 0;
    for (uint32_t i = 0; i < n; i++)
        e.m_buf[(start + i) % kMeaRingSize] = body[i];
    e.tr_desc[0] = CTraceDesc{1, start, (start + n) % kMeaRingSize, 1, 2, 0};
    e.GetMeaData(0);
    return 0;
}
