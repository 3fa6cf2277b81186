// The 147-byte device settings record as a damaged disk may hold it: loaded, forced to its
// after-loading values and stored again.
#include "config/parameters.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// With GPRMON_FUZZ_WRITE_SEED=FILE the program writes the record of the defaults there and
// ends (fuzz/make-corpus.sh takes it as the seed).
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* path = getenv("GPRMON_FUZZ_WRITE_SEED")) {
        uint8_t image[CParameters::kImageSize];
        CParameters().to_image(image);
        FILE* f = fopen(path, "wb");
        if (!f || fwrite(image, 1, sizeof image, f) != sizeof image || fclose(f) != 0)
            exit(1);
        exit(0);
    }
    return 0;
}

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
