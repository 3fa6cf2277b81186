// The missed-block table saved on the data disk (it may be cut short or damaged by a power
// cut) loaded for a continued measurement, then late blocks fitted in against it.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_sandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    FuzzLink& l = FuzzLink::reset(in);
    std::vector<uint8_t> mbf = in.chunk();
    std::vector<uint8_t> trf = in.chunk();
    fuzz_write_file("/mnt/hda1/missed_data.mbf", mbf.data(), mbf.size());
    fuzz_write_file("/mnt/hda1/missed_data.trf", trf.data(), trf.size());
    l.e.mt_RestoreFiles();
    l.feed_frames(in);
    return 0;
}
