// CU frames through acceptance, answers, error reports and the reassembly of raw and block-mode
// measurement data, then every queued trace decoded by GetMeaData.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    FuzzLink::reset(in).feed_frames(in);
    return 0;
}
