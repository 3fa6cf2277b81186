#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/filter_slots.h"

CFilterPars current_filter_pars()
{
    // The record always holds all seven slots (the ones a file leaves out keep their defaults).
    const CAntennaRecord& a = eep.current_antenna();
    return filter_pars(a.filter, FILTER_SLOTS, eep.samples, eep.sample_interval,
                       prm.gain_switch != 0);
}
