#include "gui/trace_store.h"

#include "files/profile_record.h"
#include "files/radar_data.h"

#include <algorithm>

namespace {

// Ring position of trace t such that store_column(position) is its column and positions
// stay the same while the ring scrolls (start and first_trace move together).
int position_offset()
{
    const int d = rdr.prof.start - rdr.prof.first_trace;
    return ((d % STORE_COLUMNS) + STORE_COLUMNS) % STORE_COLUMNS;
}

} // namespace

int store_trace_count() { return shown_traces > 0 ? shown_traces : 0; }
int store_first() { return rdr.prof.first_trace; }
int store_end() { return rdr.prof.first_trace + rdr.prof.b_size(); }

const float* store_trace(int t)
{
    if (t < store_first() || t >= store_end())
        return nullptr;
    return rdr.prof.slot(rdr.prof.start + (t - rdr.prof.first_trace));
}

bool store_load(int first, int count)
{
    if (first < 0)
        first = 0;
    if (count <= 0 || (first >= store_first() && first + count <= store_end()))
        return true;
    if (!rdr.rd.data_open())
        return false;
    const int total = rdr.rd.hd.last_trace;
    if (first >= total)
        return false;
    // Centre the wanted range in a full ring so that browsing on needs no read for a while.
    const int ring = CProfile::kSlots - 1;
    int from = first - (ring - count) / 2;
    from = std::max(0, std::min(from, total - ring));
    const int n = std::min(ring, total - from);
    rdr.pRead(from, n, 0);
    return first >= store_first() && std::min(first + count, total) <= store_end();
}

int store_background(CDelMean& mean, int t, int window, int samples, float* b)
{
    const int hi = std::min(t, store_end());
    const int lo = std::max(t - window, store_first());
    const int off = position_offset();
    mean.move_to(rdr.prof.slot(0), lo + off, std::max(lo, hi) + off, samples);
    mean.mean(b);
    return mean.counted();
}
