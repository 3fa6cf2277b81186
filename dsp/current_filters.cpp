#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/filter_slots.h"

namespace {

// The current antenna record: the one the antenna parameter block points at, or, before it is
// loaded, the XML parameter object's current antenna.
const CAntennaRecord& current_antenna()
{
    if (eep.ant_record)
        return *eep.ant_record;
    int i = xml_pars.current_antenna;
    if (i < 0 || i >= xml_pars.antenna_count || i >= kMaxAntennas)
        i = 0;
    return xml_pars.antenna[i];
}

} // namespace

CFilterPars current_filter_pars()
{
    // The record always holds all seven slots (the ones a file leaves out keep their defaults).
    const CAntennaRecord& a = current_antenna();
    return filter_pars(a.filter, FILTER_SLOTS, eep.samples, eep.sample_interval,
                       prm.gain_switch != 0);
}
