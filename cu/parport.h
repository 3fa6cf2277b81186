// CParallelPort: the parallel port "/dev/parport0" (global `parport`). Start-up writes 0 to
// its data register; the battery indicator reads its status register at each redraw.
#pragma once

#include <cstdint>

class CParallelPort {
public:
    uint16_t base = 0;  // I/O base address, 0x378 while open
    bool is_open = false;
    int fd = -1;

    // False when already open or when the port cannot be claimed or its registers reached.
    bool Open();
    // When open: releases the port and closes it; true when both succeeded.
    bool Close();
    // outb(value, base + offset) when open.
    bool ppWrite(unsigned char value, char offset);
    // inb(base + offset) when open, else 0.
    unsigned char ppRead(char offset);
};

extern CParallelPort parport;
