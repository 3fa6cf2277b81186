#include "cu/gps_commands.h"

#include "cu/driver.h"
#include "link/ethernet.h"

int cu_GPS_Connect(int on, int a, int b) { return gpr.GPS_Connect(on, a, b); }
int cu_Set_GPS_SBAS_Pars(unsigned char a, unsigned char b, unsigned char c, unsigned char d,
                         unsigned long e)
{
    return gpr.Set_GPS_SBAS_Pars(a, b, c, d, static_cast<uint32_t>(e));
}
int cu_SetGPSRate(unsigned long r) { return gpr.SetGPSRate(static_cast<uint32_t>(r)); }
int cu_GetGPSString(char* out) { return gpr.GetGPSString(out); }
bool cu_measuring() { return eth.sink()->measuring(); }
bool cu_block_mode() { return eth.block_mode != 0; }
