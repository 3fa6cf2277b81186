#include "cu/gps_commands.h"

namespace {
constexpr int kLinkClosed = -3;
}

int cu_GPS_Connect(int, int, int) { return kLinkClosed; }
int cu_Set_GPS_SBAS_Pars(unsigned char, unsigned char, unsigned char, unsigned char, unsigned long)
{
    return kLinkClosed;
}
int cu_SetGPSRate(unsigned long) { return kLinkClosed; }
int cu_GetGPSString(char*) { return kLinkClosed; }
bool cu_measuring() { return false; }
bool cu_block_mode() { return false; }
