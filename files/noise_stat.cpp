// The amplitude statistic of the noise test over the newest columns of the trace store.
#include "files/radar_data.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int avwc_count = 0;
int16_t t_VppMax[kAvwcMax];
int16_t t_AvWc[kAvwcMax];
int avwc_tnum[kAvwcMax];

namespace {
constexpr int kBins = 32769;
}

int Amplitude_Variation_Within_Cursors(int first_slot, int end_slot, int first_sample, int end_sample)
{
    if (end_slot > CProfile::kSlots || first_slot >= CProfile::kSlots || end_sample > CProfile::kSlotSamples
        || first_sample >= CProfile::kSlotSamples || first_slot < 0 || first_sample < 0
        || end_slot <= first_slot || end_sample <= first_sample)
        return -1;

    // Counts are 32-bit: ten columns of 2048 samples already pass the 16-bit range's half.
    static std::vector<int32_t> hist(kBins);
    std::fill(hist.begin(), hist.end(), 0);
    long vmax = -32768, vmin = 32767;
    for (int s = first_slot; s < end_slot; s++) {
        const float* col = rdr.prof.slot(s);
        for (int i = first_sample; i < end_sample; i++) {
            double v = col[i];
            if (!(v > -1e9 && v < 1e9))
                v = v > 0 ? 1e9 : -1e9; // keeps the integer conversions defined
            long r = (long)(v + 0.5);
            if (r > vmax)
                vmax = r;
            if (r < vmin)
                vmin = r;
            long b = labs((long)(v * 0.125 + 0.5));
            if (b >= kBins)
                b = kBins - 1; // a level beyond the table counts in its last bin
            hist[(size_t)b]++;
        }
    }
    long total = (long)(end_slot - first_slot) * (end_sample - first_sample);
    long goal = (long)(total * 0.95 + 0.5);
    long sum = 0;
    int level = 0;
    for (int b = 0; b < kBins; b++) {
        sum += hist[(size_t)b];
        if (sum >= goal) {
            level = b;
            break;
        }
    }
    if (avwc_count >= kAvwcMax) {
        puts("noise statistic: table full");
        return 0;
    }
    t_VppMax[avwc_count] = (int16_t)(vmax - vmin);
    t_AvWc[avwc_count] = (int16_t)level;
    avwc_tnum[avwc_count] = rdr.rd.hd.last_trace;
    avwc_count++;
    return 0;
}
