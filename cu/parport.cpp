#include "cu/parport.h"

#include "platform/host_paths.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>
#if defined(__i386__) || defined(__x86_64__)
#include <sys/io.h>
#define GPRMON_HAVE_PORT_IO 1
#endif

CParallelPort parport;

namespace {

constexpr uint16_t kBase = 0x378;

// Access to the three port registers. Never in simulation: the host's ports are not ours.
bool allow_port_io()
{
#ifdef GPRMON_HAVE_PORT_IO
    return !sim_active() && ioperm(kBase, 3, 1) == 0;
#else
    return false;
#endif
}

} // namespace

bool CParallelPort::Open()
{
    if (is_open)
        return false;
    fd = open(host_path("/dev/parport0").c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (ioctl(fd, PPCLAIM) != 0) {
        close(fd);
        fd = -1;
        return false;
    }
    base = kBase;
    is_open = true;
    if (!allow_port_io()) {
        Close(); // releases the claim
        return false;
    }
    return true;
}

bool CParallelPort::Close()
{
    if (!is_open)
        return false;
    bool ok = ioctl(fd, PPRELEASE) == 0;
    ok = close(fd) == 0 && ok;
    fd = -1;
    is_open = false;
    return ok;
}

bool CParallelPort::ppWrite(unsigned char value, char offset)
{
    if (!is_open)
        return false;
#ifdef GPRMON_HAVE_PORT_IO
    outb(value, static_cast<unsigned short>(base + offset));
    return true;
#else
    return false;
#endif
}

unsigned char CParallelPort::ppRead(char offset)
{
    if (!is_open)
        return 0;
#ifdef GPRMON_HAVE_PORT_IO
    return inb(static_cast<unsigned short>(base + offset));
#else
    return 0;
#endif
}
