// CNavuart: the GPS reader (global `gps`). The receiver is a USB receiver on "/dev/ttyUSB0"
// (read through termios), a receiver on the serial port behind the navuart kernel driver
// ("/dev/navuart"), or the receiver inside the antenna, reached through the CU.
#pragma once

#include <cstdint>
#include <termios.h>

// GetData results besides 0 (out holds the GGA fields after "GPGGA,").
constexpr int kGpsNoData = 100;        // nothing new
constexpr int kGpsOldData = 101;       // out = "OLD DATA" (serial driver: bad checksum)
constexpr int kGpsNoCoordinates = 102; // out = "NO COORDINATES" (sentence without a fix)

constexpr int kGpsOutSize = 255;       // GetData's `out` holds at least this many bytes
constexpr int kGpsBufSize = 4000;

class CNavuart {
public:
    int32_t fd = -1;          // -1 closed, -2 the antenna GPS
    int32_t unused = 0;
    uint8_t reopen = 0;       // the USB port must be opened again
    int32_t silence = 0;      // polls without any data from the USB port
    struct termios tio {};    // terminal settings of the USB port
    char gps_buf[kGpsBufSize] = {}; // GPS text; the antenna GPS text is gathered here (lock_gps)

    // Opens the receiver chosen by eep.gps_source; true unless the descriptor ends up -1.
    bool gps_Open();
    // Zeroes the GPS time and the shown latitude and closes the receiver.
    void gps_Unit_Close();
    int IoControl(unsigned int request, void* in, unsigned int in_len, void* out,
                  unsigned int out_len, unsigned int* ret);
    // Serial-port driver only: request {cmd, value}; the driver's answer goes into `reply`
    // (255 bytes) when given. Other sources return eep.gps_source without a request.
    int Send_CMD(char* reply, unsigned char cmd, unsigned char value);
    // The newest GGA fields into `out` (kGpsOutSize bytes): 0, kGpsNoData, kGpsOldData,
    // kGpsNoCoordinates, or -1 when GPS is off.
    int GetData(char* out);

private:
    void open_usb();
    void read_usb(char* out);
    void read_antenna(char* out);
};

extern CNavuart gps;

// The Set_GPS_SBAS_Pars arguments for a parameter-store sbas_mode; false for a mode that
// sends nothing.
bool sbas_pars_for_mode(int32_t sbas_mode, unsigned char abcd[4], unsigned long* e);
