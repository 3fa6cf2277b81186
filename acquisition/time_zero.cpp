// Time-zero search: scans sampling windows with test traces for the antenna's direct wave
// and stores the signal position that puts it near the start of the trace.
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/descriptors.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "link/ethernet.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kTestSamples = 2000;
constexpr int kTop = 0xFFFF;

// Reads the samples of the test trace now in the ring (16-bit after the element's 8-byte
// head) and moves the reader past it. 0, or the element error.
int read_test_trace(int16_t* s)
{
    memset(s, 0, sizeof(int16_t) * kTestSamples);
    uint32_t pos, end, len = 0;
    const int e = eth.locate_single_trace(pos, end, len);
    if (e != 0)
        return e;
    int count = len >= 8 ? int(len - 8) / 2 : 0;
    if (count > kTestSamples)
        count = kTestSamples;
    for (int i = 0; i < count; i++)
        s[i] = int16_t(eth.ring_be16((pos + 8 + 2 * uint32_t(i)) % kMeaRingSize));
    eth.next_element(pos, end, len);
    return 0;
}

void restore_cu()
{
    gpr.SetSigPos(uint16_t(eep.cu_word));
    send_eep_sampling();
}

} // namespace

int SearchTimeZero()
{
    static int16_t s[kTestSamples]; // GUI thread only, under lock_dw
    MutexLock g(lock_dw);
    gpr.SetNumRuns(20);
    gpr.SetClippedSamples(0);
    if (prm.udp_mode)
        gpr.USA_SetSamples(kTestSamples);
    gpr.SetSamples(kTestSamples);

    const bool max_mode = eep.tz_search_opt == 1;
    int found = 0;
    int best = -1, place = 0;
    bool failed = false;
    for (int k = 2; k <= 19 && !found && !failed; k++) {
        gpr.SetSigPos(uint16_t(kTop - 100 * k));
        const int r = gpr.m_Trigg(1000, 0);
        if (r != 0) {
            printf("Trigg Res: %d %X %d\n", r, r - 1000, k);
            failed = true;
            break;
        }
        const int e = read_test_trace(s);
        if (e != 0) {
            printf("get elm.err.2: %d\n", e);
            failed = true;
            break;
        }
        if (!max_mode) {
            int64_t sum = 0;
            for (int j = 0; j < kTestSamples - 1; j++)
                sum += s[j];
            const int baseline = int(sum / kTestSamples);
            for (int j = 0; j < kTestSamples - 1; j++) {
                const int c = abs((s[j] + s[j + 1]) / 2 - baseline);
                if (c > 2000) {
                    const uint16_t sp = uint16_t(kTop + 2 - j / 20 - 100 * k);
                    eep.cu_word = int16_t(sp);
                    printf("sigpos = %d; i = %d; k = %d\n", sp, j, k);
                    found = 1;
                    break;
                }
            }
        } else {
            for (int j = 0; j < kTestSamples - 1; j++) {
                const int v = abs((s[j] + s[j + 1]) / 2);
                if (v > best) {
                    best = v;
                    place = 100 * k + j / 20;
                }
            }
        }
        printf("k = %d\n", k);
    }
    if (!found && !failed) {
        printf("%d %d\n", place, best);
        if (max_mode) {
            const int r1 = place - 50;
            gpr.SetSigPos(uint16_t(kTop - place + 50));
            const int r = gpr.m_Trigg(500, 0);
            int e = 0;
            if (r != 0)
                printf("Trigg Res: %d %X %d\n", r, r - 1000, 0);
            else if ((e = read_test_trace(s)) != 0)
                printf("get elm.err.3: %d\n", e);
            if (r == 0 && e == 0) {
                int64_t sum = 0;
                int mx = s[0], mn = s[0];
                for (int i = 0; i < kTestSamples; i++) {
                    sum += s[i];
                    if (s[i] > mx)
                        mx = s[i];
                    else if (s[i] < mn)
                        mn = s[i];
                }
                const int b = int(sum / kTestSamples);
                const int hi = (mx - b) / 2, lo = (mn - b) / 2;
                int r2 = 0;
                for (int i = 0; i < kTestSamples; i++)
                    if (s[i] - b >= hi || s[i] - b <= lo) {
                        r2 = i;
                        break;
                    }
                int sp = kTop + 2 - r1 - r2 / 20;
                if (kTop - sp >= 1024)
                    sp = kTop - 12;
                eep.cu_word = int16_t(uint16_t(sp));
                printf("sigpos = %d; res1 = %d; res2 = %d\n", sp, r1, r2);
                found = 1;
            }
        }
    }
    restore_cu();
    if (found)
        canShow = true;
    return found;
}
