#include "acquisition/do_mea.h"

#include "acquisition/acq_state.h"
#include "acquisition/display_seam.h"
#include "acquisition/mea_buf.h"
#include "files/profile_ring.h"

#include <cstring>

namespace {

CMeaDisplay idle_display;

// Appends one column holding src (or zeros) to the store, dropping the oldest when full.
void push_column(CProfile& p, const float* src, int samples)
{
    if (p.b_size() == CProfile::kSlots - 1) {
        p.start = CProfile::prof_ind(p.start + 1);
        p.first_trace++;
    }
    float* dst = p.slot(p.end);
    if (src)
        memcpy(dst, src, sizeof(float) * size_t(samples));
    else
        memset(dst, 0, sizeof(float) * size_t(samples));
    p.end = CProfile::prof_ind(p.end + 1);
}

} // namespace

CMeaDisplay* mea_display = &idle_display;

int move_queue_to_store(CMeaBuf& q, CProfile& p, int width, int samples, bool& full_redraw)
{
    if (samples > CProfile::kSlotSamples)
        samples = CProfile::kSlotSamples;
    if (samples < 0)
        samples = 0;
    int added = 0;
    const int n = q.count > CMeaBuf::kSlots ? CMeaBuf::kSlots : q.count;
    for (int i = 0; i < n; i++) {
        const int32_t t = q.number(i) - 1;
        if (t < p.first_trace)
            continue;
        const int32_t next = p.first_trace + p.b_size(); // one past the newest stored
        if (t >= next + width) {
            p.Empty();
            p.first_trace = t;
            push_column(p, q.slot(i), samples);
            full_redraw = true;
            added = 0;
        } else if (t >= next) {
            for (int32_t k = next; k < t; k++, added++)
                push_column(p, nullptr, samples);
            push_column(p, q.slot(i), samples);
            added++;
        } else {
            memcpy(p.slot(p.start + (t - p.first_trace)), q.slot(i),
                   sizeof(float) * size_t(samples));
            full_redraw = true;
        }
        if (t + 1 > last_trace_on_screen)
            last_trace_on_screen = t + 1;
    }
    q.count = 0;
    return added;
}

