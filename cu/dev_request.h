// The one path from the device classes to the monitor's request-driven character devices:
// the power controller ("/dev/picdrv") and the serial-port GPS driver ("/dev/navuart").
//
// Both take the same request: ioctl number kDevRequest, whose argument points to a buffer
// that begins with a command byte and a value byte; the driver may write its reply into
// that buffer. On the device that is a real ioctl. In simulation (GPRMON_ROOT set) the
// sandbox's node may instead be a Unix sequenced-packet socket of a stand-in; the request
// then travels as one packet and the stand-in answers with the ioctl result and the reply
// bytes (see cu/dev_wire.h). The device classes cannot tell the difference.
#pragma once

#include <cstddef>

// _IOW('l', 27, char): write direction, type 'l', number 27, size 1.
constexpr unsigned long kDevRequest = 0x40016C1B;

// Opens a device node read-write by its device path (mapped through host_path). Returns the
// descriptor or -1.
int dev_open(const char* device_path);

// One request on an open device. `buf` holds the command bytes on entry and receives the
// driver's reply; at most buf_len bytes are written into it. Returns the ioctl result (-1 on
// failure).
int dev_request(int fd, unsigned long request, void* buf, size_t buf_len);

// The IoControl of the device classes: -1 when fd is not open. With `out` given, the first
// in_len bytes of `in` are copied into it (at most out_len) and `out` carries the request and
// the reply; otherwise `in` does. Stores the result in *ret (when given) and returns it.
int dev_io_control(int fd, unsigned int request, void* in, unsigned int in_len, void* out,
                   unsigned int out_len, unsigned int* ret);

// Closes a descriptor from dev_open (ignores -1 and the other negative markers).
void dev_close(int fd);
