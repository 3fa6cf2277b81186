#include "acquisition/acquisition.h"

#include "config/parameters.h"
#include "cu/driver.h"
#include "cu/eep.h"

void send_eep_samples()
{
    if (prm.udp_mode) {
        gpr.USA_SetSamples(uint16_t(eep.cu_samples));
        gpr.SetSamples(eep.samples);
    } else {
        gpr.SetSamples(uint16_t(eep.cu_samples));
    }
}

void send_eep_sampling()
{
    gpr.SetNumRuns(eep.runs);
    gpr.SetClippedSamples(eep.clipped);
    send_eep_samples();
}
