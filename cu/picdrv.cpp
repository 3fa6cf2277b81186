#include "cu/picdrv.h"

#include "cu/dev_request.h"

CPICDrv pic;

namespace {
constexpr unsigned char kCmdBacklight = 200;
constexpr unsigned char kCmdShutdown = 201;
constexpr unsigned char kCmdBattery = 202;
} // namespace

bool CPICDrv::Open()
{
    Close();
    fd = dev_open("/dev/picdrv");
    return fd >= 0;
}

void CPICDrv::Close()
{
    dev_close(fd);
    fd = -1;
}

int CPICDrv::IoControl(unsigned int request, void* in, unsigned int in_len, void* out,
                       unsigned int out_len, unsigned int* ret)
{
    return dev_io_control(fd, request, in, in_len, out, out_len, ret);
}

int CPICDrv::Backlight(unsigned char level)
{
    unsigned char buf[2] = {kCmdBacklight, level};
    return IoControl(kDevRequest, buf, sizeof buf, nullptr, 0, nullptr);
}

int CPICDrv::Shutdown(unsigned char mode)
{
    unsigned char buf[2] = {kCmdShutdown, mode};
    return IoControl(kDevRequest, buf, sizeof buf, nullptr, 0, nullptr);
}

int CPICDrv::GetMonitorBattery()
{
    unsigned char buf[2] = {kCmdBattery, 10};
    if (IoControl(kDevRequest, buf, sizeof buf, nullptr, 0, nullptr) == -1)
        return 0;
    return buf[0];
}
