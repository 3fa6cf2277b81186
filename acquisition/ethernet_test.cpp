#include "acquisition/ethernet_test.h"

#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/errors.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "platform/globals.h"

#include <SDL/SDL.h>
#include <cstdio>

namespace {

// The kind of the first acquisition error flag set, 0 when none.
int error_kind()
{
    if (thError)
        return 1;
    if (thError2)
        return 2;
    if (thError3 != 0)
        return 3;
    if (thError4)
        return 4;
    if (thError5)
        return 5;
    return 0;
}

void send_settings()
{
    gpr.SetMode();
    send_eep_sampling();
}

} // namespace

void CEthernetTest::begin()
{
    *this = CEthernetTest();
    saved_sim = simulation_mode;
    saved_global = global_mode;
    saved_file = eep.samples;
    saved_cu = eep.cu_samples;
    saved_clipped = eep.clipped;
    saved_runs = eep.runs;
    simulation_mode = 2;
    clear_error_flags();
    eep.runs = 1;
    eep.clipped = 0;
    eep.samples = kEthTestSamples;
    eep.cu_samples = kEthTestSamples;
    MutexLock g(lock_dw);
    send_settings();
}

bool CEthernetTest::step()
{
    int r;
    {
        MutexLock g(lock_dw);
        r = TraceTrigg();
    }
    if (r == -1) {
        // The CU did not answer the trigger: it must be found and set up again.
        MutexLock g(lock_cuOn);
        pisOn = false;
    }
    traces++;
    kind = error_kind();
    if (kind != 0) {
        SDL_Delay(2000);
        int E;
        {
            MutexLock g(lock_dw);
            E = drain_cu_errors();
        }
        static const char* const kText[6] = {"", "No data coming (code 01-%d)", "Ethernet Error! (code 02-%d)",
                                             "Corrupted Data (code 03-%d)", "Corrupted Data (code 04-%d)",
                                             "Corrupted Data (code 05-%d)"};
        snprintf(error, sizeof error, kText[kind], E);
        bad++;
        return false;
    }
    int32_t s[kEthTestSamples];
    const int n = eep.samples < kEthTestSamples ? int(eep.samples) : kEthTestSamples;
    {
        MutexLock g(lock_t2);
        for (int k = 0; k < n; k++)
            s[k] = ttrace[k];
    }
    first_bad = ramp_first_bad(s, n);
    if (first_bad < 0)
        return true;
    bad++;
    return false;
}

int ramp_first_bad(const int32_t* s, int n)
{
    for (int k = 0; k < n; k++)
        if (uint16_t(s[k]) != uint16_t(10 * k - 32768))
            return k;
    return -1;
}

void CEthernetTest::end()
{
    simulation_mode = saved_sim;
    global_mode = saved_global;
    eep.samples = uint16_t(saved_file);
    eep.cu_samples = int16_t(saved_cu);
    eep.clipped = uint8_t(saved_clipped);
    eep.runs = uint8_t(saved_runs);
    clear_error_flags();
    MutexLock g(lock_dw);
    send_settings();
}

void CEthernetTest::numbers(char* out, size_t cap) const
{
    snprintf(out, cap, "%d  %d  %d  %d", traces, first_bad, kind, bad);
}
