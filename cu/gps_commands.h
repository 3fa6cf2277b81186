// The CU commands and acquisition state that the antenna-GPS path of the GPS reader needs.
//
// These are thin forwarders to the CU command layer (CDriver, global `gpr`) and to the
// acquisition and link state.
#pragma once

// gpr.GPS_Connect(on, a, b)
int cu_GPS_Connect(int on, int a, int b);
// gpr.Set_GPS_SBAS_Pars(a, b, c, d, e)
int cu_Set_GPS_SBAS_Pars(unsigned char a, unsigned char b, unsigned char c, unsigned char d,
                         unsigned long e);
// gpr.SetGPSRate(r)
int cu_SetGPSRate(unsigned long r);
// gpr.GetGPSString(out): the CU's GPS text into `out` (4000-byte buffer).
int cu_GetGPSString(char* out);

// A measurement runs (MeasureMode of the acquisition engine).
bool cu_measuring();
// The link's block-mode flag.
bool cu_block_mode();
