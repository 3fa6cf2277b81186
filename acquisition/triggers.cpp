// Single traces on demand: TraceTrigg for the parameter screens (the trace lands in ttrace),
// and the keyboard trigger of a running measurement (the trace goes through the pipeline).
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/descriptors.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "link/ethernet.h"

#include <SDL/SDL.h>
#include <cstring>

int TraceTrigg()
{
    const int n = eep.samples > DSP_MAX_SAMPLES ? DSP_MAX_SAMPLES : int(eep.samples);
    {
        MutexLock g(lock_t2);
        memset(ttrace, 0, sizeof ttrace);
    }
    const int r = gpr.m_Trigg(1000, 0);
    MutexLock g(lock_t2);
    if (r != 0) {
        for (int i = 0; i < n; i++)
            ttrace[i] = 50 * i;
        canShow = true;
        if (r >= 200) {
            TraceError = r;
            thError = true;
        } else {
            thError2 = true;
        }
        return -1;
    }
    uint32_t pos, end, len = 0;
    if (eth.locate_single_trace(pos, end, len) != 0) {
        thError3 = -2;
        return -2;
    }
    const int count = len >= 8 ? int(len - 8) / 2 : 0;
    const int need = int(eep.samples) + int(eep.clipped);
    if (prm.udp_mode ? count != need : count < need) {
        thError4 = true;
        return -3;
    }
    const uint32_t first = pos + 8 + 2 * uint32_t(eep.clipped);
    for (int i = 0; i < n; i++)
        ttrace[i] = int16_t(eth.ring_be16((first + 2 * uint32_t(i)) % kMeaRingSize));
    if (eth.next_element(pos, end, len) < 0) {
        thError5 = true;
        return -4;
    }
    canShow = true;
    return 0;
}

int KeyTrigger()
{
    if (!MeasureMode || eep.trig_code != kTrigKeyboard || mea_errors)
        return -1;
    MutexLock g(lock_dw);
    eth.reset_ring();
    const int r = gpr.m_Trigg(21000, 0);
    if (r != 0) {
        if (r >= 200)
            TraceError = r;
        thError = true;
        mea_errors = true;
        return -1;
    }
    for (int i = 0;; i++) {
        if (!eth.all_consumed()) // the trace is queued
            break;
        if (i > 3000) {
            if (!prm.restore_missed) {
                thError = true;
                mea_errors = true;
            }
            return -2;
        }
        SDL_Delay(1);
    }
    const int res = consume_descriptors(false);
    return res < 0 ? res : 0;
}
