// Trace containers and byte-order helpers.
//
// CSTrace, C32Trace and CFTrace each own a fixed array of samples allocated once at
// construction (the capacity); `count` is the number of samples in use and never exceeds it.
// The 16- and 32-bit traces read and write their samples as little-endian bytes, the layout of
// the profile data files.
#pragma once

#include <cstdint>

// The longest trace of the system: the CU sends at most this many samples, the profile files
// hold at most this many per trace, and every trace buffer and work array is this long.
constexpr int DSP_MAX_SAMPLES = 2048;

int16_t Swap(int16_t v);
uint16_t Swap(uint16_t v);
int32_t Swap(int32_t v);
uint32_t Swap(uint32_t v);
float Swap(float v); // the four bytes of the float's bit pattern reversed

class CSTrace {
public:
    int16_t* data = nullptr;
    int count = 0;

    explicit CSTrace(int samples);
    ~CSTrace();
    CSTrace(const CSTrace&) = delete;
    CSTrace& operator=(const CSTrace&) = delete;

    int capacity() const { return cap; }
    int16_t& operator[](int i) { return data[i]; }
    const int16_t& operator[](int i) const { return data[i]; }

    int tRead(int fd);  // reads count × 2 bytes; returns the bytes read, -1 on a read error
    int tWrite(int fd); // writes count × 2 bytes; 0, or -10 when fewer were written

private:
    int cap = 0;
};

class C32Trace {
public:
    int32_t* data = nullptr;
    int count = 0;

    explicit C32Trace(int samples);
    ~C32Trace();
    C32Trace(const C32Trace&) = delete;
    C32Trace& operator=(const C32Trace&) = delete;

    int capacity() const { return cap; }
    int32_t& operator[](int i) { return data[i]; }
    const int32_t& operator[](int i) const { return data[i]; }

    int tRead(int fd); // reads count × 4 bytes; returns the bytes read, -1 on a read error

private:
    int cap = 0;
};

class CFTrace {
public:
    float* data = nullptr;
    int count = 0;

    explicit CFTrace(int samples = 0);
    ~CFTrace();
    CFTrace(const CFTrace& o);
    CFTrace(CFTrace&& o) noexcept;
    // Copies the count and the samples into this trace's own array; a longer source is cut
    // to this trace's capacity.
    CFTrace& operator=(const CFTrace& o);
    CFTrace& operator=(CFTrace&& o) noexcept;
    // Adds sample by sample over the shorter of the two counts.
    CFTrace& operator+=(const CFTrace& o);
    // Divides every sample; a divisor of 0 leaves the trace unchanged (an empty stack count
    // must not turn the trace into infinities).
    CFTrace& operator/=(int d);
    void tr_clear();

    int capacity() const { return cap; }
    float& operator[](int i) { return data[i]; }
    const float& operator[](int i) const { return data[i]; }

private:
    int cap = 0;
};
