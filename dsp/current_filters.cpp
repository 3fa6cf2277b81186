#include "config/parameters.h"
#include "cu/eep.h"
#include "dsp/filter_slots.h"

namespace {

// Stand-in for the current antenna record's filter slots until the XML parameter object is
// linked in: the factory table.
const CFilterSlot* current_slots(int& count)
{
    struct Table {
        CFilterSlot slots[FILTER_SLOTS];
        Table() { init_filter(slots, FILTER_SLOTS); }
    };
    static const Table table; // initialised once, thread-safe
    count = FILTER_SLOTS;
    return table.slots;
}

} // namespace

CFilterPars current_filter_pars()
{
    int count = 0;
    const CFilterSlot* slots = current_slots(count);
    return filter_pars(slots, count, eep.samples, eep.sample_interval, prm.gain_switch != 0);
}
