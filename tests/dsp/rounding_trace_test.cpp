// Rounding, byte order and the trace containers.
#include "dsp/rounding.h"
#include "dsp/trace.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

TEST(Mrnd, halves_round_up_and_negative_values_step_toward_zero)
{
    EXPECT_EQ(mrnd(2.5), 3);
    EXPECT_EQ(mrnd(2.49), 2);
    EXPECT_EQ(mrnd(-2.3), -1);
    EXPECT_EQ(mrnd(0.0), 0);
    EXPECT_EQ(mrnd(0.5), 1);
    EXPECT_EQ(mrnd(0.4999), 0);
    EXPECT_EQ(mrnd(7.0), 7);
    EXPECT_EQ(mrnd(2.99995), 3);  // 2 + 0.0001 would stay 2 without the fraction test
    EXPECT_EQ(mrnd(-0.7), 0);
    EXPECT_EQ(mrnd(-3.0), -2);    // whole negatives land one step toward zero as well
    EXPECT_EQ(mrnd(1023.5), 1024);
}

TEST(Mrnd, out_of_range_values_saturate_and_nan_is_zero)
{
    EXPECT_EQ(mrnd(1e12), INT_MAX);
    EXPECT_EQ(mrnd(-1e12), INT_MIN);
    EXPECT_EQ(mrnd(std::nan("")), 0);
    EXPECT_EQ(mrnd(INFINITY), INT_MAX);
}

TEST(MSign, gives_minus_one_zero_or_one)
{
    EXPECT_EQ(m_sign(-0.001f), -1);
    EXPECT_EQ(m_sign(0.0f), 0);
    EXPECT_EQ(m_sign(-0.0f), 0);
    EXPECT_EQ(m_sign(123.0f), 1);
}

TEST(Swap, reverses_the_bytes_of_each_width)
{
    EXPECT_EQ(Swap(int16_t(0x1234)), int16_t(0x3412));
    EXPECT_EQ(Swap(int16_t(-2)), int16_t(0xFEFF)); // 0xFFFE -> 0xFEFF
    EXPECT_EQ(Swap(uint16_t(0x00FF)), uint16_t(0xFF00));
    EXPECT_EQ(Swap(int32_t(0x12345678)), int32_t(0x78563412));
    EXPECT_EQ(Swap(uint32_t(0x80000001u)), uint32_t(0x01000080u));

    const float f = 1.5f; // 0x3FC00000
    const float s = Swap(f);
    uint32_t bits;
    std::memcpy(&bits, &s, 4);
    EXPECT_EQ(bits, 0x0000C03Fu);
    EXPECT_EQ(Swap(s), f);
}

namespace {

// A scratch file removed with the object.
struct TempFile {
    std::string path;
    TempFile()
    {
        char name[] = "/tmp/dsp_trace_XXXXXX";
        int fd = mkstemp(name);
        close(fd);
        path = name;
    }
    ~TempFile() { unlink(path.c_str()); }
};

std::vector<unsigned char> file_bytes(const std::string& path)
{
    std::vector<unsigned char> b;
    FILE* f = fopen(path.c_str(), "rb");
    int c;
    while (f && (c = fgetc(f)) != EOF)
        b.push_back(static_cast<unsigned char>(c));
    if (f)
        fclose(f);
    return b;
}

} // namespace

TEST(TraceFiles, short_trace_is_written_and_read_back_little_endian)
{
    TempFile tmp;
    CSTrace t(3);
    t[0] = 0x0102;
    t[1] = -1;
    t[2] = -32768;
    int fd = open(tmp.path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(t.tWrite(fd), 0);
    close(fd);
    EXPECT_EQ(file_bytes(tmp.path),
              (std::vector<unsigned char>{0x02, 0x01, 0xFF, 0xFF, 0x00, 0x80}));

    CSTrace r(3);
    fd = open(tmp.path.c_str(), O_RDONLY);
    EXPECT_EQ(r.tRead(fd), 6);
    close(fd);
    EXPECT_EQ(r[0], 0x0102);
    EXPECT_EQ(r[1], -1);
    EXPECT_EQ(r[2], -32768);
}

TEST(TraceFiles, failed_write_reports_minus_ten_and_short_file_reports_bytes_read)
{
    TempFile tmp;
    CSTrace t(4);
    int fd = open(tmp.path.c_str(), O_RDONLY); // writing fails
    EXPECT_EQ(t.tWrite(fd), -10);
    close(fd);

    // Five bytes of data: a 32-bit trace of 2 samples gets one whole sample and one byte.
    FILE* f = fopen(tmp.path.c_str(), "wb");
    const unsigned char bytes[5] = {0x78, 0x56, 0x34, 0x12, 0xAA};
    fwrite(bytes, 1, 5, f);
    fclose(f);
    C32Trace w(2);
    fd = open(tmp.path.c_str(), O_RDONLY);
    EXPECT_EQ(w.tRead(fd), 5);
    close(fd);
    EXPECT_EQ(w[0], 0x12345678);

    EXPECT_EQ(w.tRead(-1), -1); // a read error is not a count
}

TEST(FloatTrace, arithmetic_and_copies_stay_within_each_trace)
{
    CFTrace a(4), b(4), small(2);
    for (int i = 0; i < 4; ++i) {
        a[i] = float(i + 1);
        b[i] = 10.0f;
    }
    a += b;
    EXPECT_FLOAT_EQ(a[3], 14.0f);
    a /= 2;
    EXPECT_FLOAT_EQ(a[0], 5.5f);
    a /= 0; // an empty stack count leaves the trace as it is
    EXPECT_FLOAT_EQ(a[0], 5.5f);
    EXPECT_TRUE(std::isfinite(a[1]));

    small = a; // cut to the smaller capacity
    EXPECT_EQ(small.count, 2);
    EXPECT_FLOAT_EQ(small[1], 6.0f);

    CFTrace c(4);
    c = small; // the count follows the source
    EXPECT_EQ(c.count, 2);
    EXPECT_FLOAT_EQ(c[0], 5.5f);
    c += a; // only over the shorter count
    EXPECT_FLOAT_EQ(c[1], 12.0f);

    a.tr_clear();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a[i], 0.0f);

    std::vector<CFTrace> lines;
    lines.emplace_back(8);
    lines.emplace_back(8);
    lines[1][7] = 3.0f;
    lines.emplace_back(8); // reallocation moves the traces without losing samples
    EXPECT_FLOAT_EQ(lines[1][7], 3.0f);
    CFTrace copy(lines[1]);
    EXPECT_EQ(copy.capacity(), 8);
    EXPECT_FLOAT_EQ(copy[7], 3.0f);
}
