#include "files/profile_ring.h"

CProfile::CProfile() : data_(new float[(size_t)kSlots * kSlotSamples]()) {}

CProfile::~CProfile() = default;
