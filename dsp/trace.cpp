#include "dsp/trace.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

int16_t Swap(int16_t v) { return static_cast<int16_t>(Swap(static_cast<uint16_t>(v))); }

uint16_t Swap(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }

int32_t Swap(int32_t v) { return static_cast<int32_t>(Swap(static_cast<uint32_t>(v))); }

uint32_t Swap(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24);
}

float Swap(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    bits = Swap(bits);
    float r;
    std::memcpy(&r, &bits, sizeof r);
    return r;
}

namespace {

constexpr bool kBigEndianHost = __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__;

// Reads up to n bytes, retrying short reads and interruptions; the bytes read, or -1 when the
// first read fails.
long read_full(int fd, void* buf, size_t n)
{
    auto* p = static_cast<char*>(buf);
    size_t got = 0;
    while (got < n) {
        ssize_t r = ::read(fd, p + got, n - got);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return got ? static_cast<long>(got) : -1;
        }
        if (r == 0)
            break;
        got += static_cast<size_t>(r);
    }
    return static_cast<long>(got);
}

long write_full(int fd, const void* buf, size_t n)
{
    auto* p = static_cast<const char*>(buf);
    size_t put = 0;
    while (put < n) {
        ssize_t r = ::write(fd, p + put, n - put);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (r == 0)
            break;
        put += static_cast<size_t>(r);
    }
    return static_cast<long>(put);
}

template <class T> void to_host(T* v, int n)
{
    if (kBigEndianHost)
        for (int i = 0; i < n; ++i)
            v[i] = Swap(v[i]);
}

int alloc_count(int samples) { return samples > 0 ? samples : 0; }

} // namespace

// ---- CSTrace ----

CSTrace::CSTrace(int samples)
    : data(new int16_t[alloc_count(samples)]()), count(alloc_count(samples)), cap(alloc_count(samples))
{
}

CSTrace::~CSTrace() { delete[] data; }

int CSTrace::tRead(int fd)
{
    long r = read_full(fd, data, static_cast<size_t>(count) * sizeof(int16_t));
    if (r > 0)
        to_host(data, static_cast<int>(r / sizeof(int16_t)));
    return static_cast<int>(r);
}

int CSTrace::tWrite(int fd)
{
    const size_t bytes = static_cast<size_t>(count) * sizeof(int16_t);
    long w;
    if (kBigEndianHost) {
        to_host(data, count);
        w = write_full(fd, data, bytes);
        to_host(data, count);
    } else {
        w = write_full(fd, data, bytes);
    }
    return w == static_cast<long>(bytes) ? 0 : -10;
}

// ---- C32Trace ----

C32Trace::C32Trace(int samples)
    : data(new int32_t[alloc_count(samples)]()), count(alloc_count(samples)), cap(alloc_count(samples))
{
}

C32Trace::~C32Trace() { delete[] data; }

int C32Trace::tRead(int fd)
{
    long r = read_full(fd, data, static_cast<size_t>(count) * sizeof(int32_t));
    if (r > 0)
        to_host(data, static_cast<int>(r / sizeof(int32_t)));
    return static_cast<int>(r);
}

// ---- CFTrace ----

CFTrace::CFTrace(int samples)
    : data(new float[alloc_count(samples)]()), count(alloc_count(samples)), cap(alloc_count(samples))
{
}

CFTrace::~CFTrace() { delete[] data; }

CFTrace::CFTrace(const CFTrace& o) : data(new float[o.cap]()), count(o.count), cap(o.cap)
{
    std::copy(o.data, o.data + o.count, data);
}

CFTrace::CFTrace(CFTrace&& o) noexcept : data(o.data), count(o.count), cap(o.cap)
{
    o.data = nullptr;
    o.count = o.cap = 0;
}

CFTrace& CFTrace::operator=(const CFTrace& o)
{
    if (this != &o) {
        count = std::min(o.count, cap);
        std::copy(o.data, o.data + count, data);
    }
    return *this;
}

CFTrace& CFTrace::operator=(CFTrace&& o) noexcept
{
    if (this != &o) {
        std::swap(data, o.data);
        std::swap(count, o.count);
        std::swap(cap, o.cap);
    }
    return *this;
}

CFTrace& CFTrace::operator+=(const CFTrace& o)
{
    const int n = std::min(count, o.count);
    for (int i = 0; i < n; ++i)
        data[i] += o.data[i];
    return *this;
}

CFTrace& CFTrace::operator/=(int d)
{
    if (d != 0)
        for (int i = 0; i < count; ++i)
            data[i] /= static_cast<float>(d);
    return *this;
}

void CFTrace::tr_clear() { std::fill(data, data + count, 0.0f); }
