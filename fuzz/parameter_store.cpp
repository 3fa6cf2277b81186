// The 147-byte device settings record as a damaged disk may hold it: loaded, forced to its
// after-loading values and stored again.
#include "config/parameters.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint8_t image[CParameters::kImageSize] = {};
    memcpy(image, data, size < sizeof image ? size : sizeof image);
    CParameters p;
    p.from_image(image);
    p.after_loading();
    uint8_t again[CParameters::kImageSize];
    p.to_image(again);
    return 0;
}
