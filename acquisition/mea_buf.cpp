#include "acquisition/mea_buf.h"

#include <cstdio>

CMeaBuf mea_buf;

CMeaBuf::CMeaBuf() : data_(new float[(size_t)kSlots * kSlotSamples]()) {}

CMeaBuf::~CMeaBuf() = default;

bool CMeaBuf::can_add()
{
    if (count < kSlots)
        return true;
    not_fitted++;
    puts("e_trace is added");
    return false;
}

void CMeaBuf::add(int32_t number, const int32_t* samples, int n)
{
    if (count < 0 || count >= kSlots)
        return;
    if (n > kSlotSamples)
        n = kSlotSamples;
    float* s = slot(count);
    for (int i = 0; i < n; i++)
        s[i] = float(samples[i]) * (1.0f / 8192.0f);
    numbers_[count] = number;
    count++;
}
