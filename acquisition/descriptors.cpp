#include "acquisition/descriptors.h"

#include "acquisition/acq_state.h"
#include "link/ethernet.h"

void set_pipeline_error(int result, int status_word)
{
    switch (result) {
    case kElemWrongDivisor: thError2 = true; break;
    case kElemBadLength:
    case kElemTruncated: thError3 = status_word; break;
    case kElemOverrun: thError4 = true; break;
    case kElemNoDivisor: thError5 = true; break;
    case kElemWriteError: wrError = true; break;
    default: memError = true; break;
    }
    mea_errors = true;
}

int consume_descriptors(bool check_overwrite)
{
    int result = 0, count = 0;
    uint32_t idx;
    CTraceDesc d;
    // One pass over what is queued now: a stream faster than the pipeline must not keep
    // the caller here for ever.
    for (int left = kDescCount; left > 0 && eth.next_descriptor(idx, d); left--) {
        count++;
        if (d.kind == 0 || mea_errors)
            continue;
        if (!check_overwrite || !eth.overwritten(d)) {
            const int res = eth.GetMeaData(idx);
            if (res < 0) {
                set_pipeline_error(res, d.kind);
                result = res;
            }
        } else if (d.kind == 2) {
            eth.record_lost_trace(d.block);
        }
    }
    eth.consumed();
    return result < 0 ? result : count;
}
