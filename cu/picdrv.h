// CPICDrv: the monitor's power controller behind "/dev/picdrv" (global `pic`): backlight,
// switch-off and the battery level, each one request {command, value}.
#pragma once

class CPICDrv {
public:
    int fd = -1; // -1 while closed

    // Opens "/dev/picdrv" read-write; true on success.
    bool Open();
    void Close();

    // -1 when not open. With `out` given, the first in_len bytes of `in` are copied into it
    // (at most out_len) and `out` carries the request and the driver's reply; otherwise `in`
    // does. Stores the result in *ret (when given) and returns it.
    int IoControl(unsigned int request, void* in, unsigned int in_len, void* out,
                  unsigned int out_len, unsigned int* ret);

    int Backlight(unsigned char level);  // {200, level}
    int Shutdown(unsigned char mode);    // {201, mode}; 3 = power off at program exit
    // {202, 10}: the battery level (the reply's first byte), or 0 when the request fails.
    int GetMonitorBattery();
};

extern CPICDrv pic;
