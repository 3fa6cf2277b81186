#include "files/profile_record.h"

#include "cu/eep.h"
#include "platform/file_offsets.h"
#include "platform/host_paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int shown_traces = 0;
int prev_meas_traces = 0;

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "trace files are little-endian int32 written straight from memory");

CRData::~CRData() { p_Close(); }

int CRData::p_Create()
{
    std::lock_guard<std::recursive_mutex> files(files_);
    p_Close();
    hd.last_trace = 0;
    shown_traces = 0;
    prev_meas_traces = 0;
    fd = open(host_path(rd7_path).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return 3;
    open_srd("wb");
    if (!srd)
        return 1;
    fputs("#Version: 2\r\n", srd);
    fputs("#CUtime\tWh.pos\tTr.number\tGPS Time(sec)\tGPS Time(ms)\r\n", srd);
    fflush(srd);
    return 0;
}

// Line-buffered: every line reaches the file as it is written.
void CRData::open_srd(const char* mode)
{
    srd = fopen(host_path(srd_path).c_str(), mode);
    if (srd)
        setvbuf(srd, srd_buf_, _IOLBF, sizeof srd_buf_);
}

int CRData::p_COpen(const char* current_name)
{
    if (eep.samples < 100 || !current_name || !current_name[0])
        return 5;
    std::lock_guard<std::recursive_mutex> files(files_);
    if (hd.samples <= 0 || hd.samples > DSP_MAX_SAMPLES || fd >= 0)
        return -3;
    fd = open(host_path(rd7_path).c_str(), O_RDWR);
    if (fd < 0) {
        hd.last_trace = shown_traces = prev_meas_traces = 0;
        puts("continue error 3");
        return 3;
    }
    off_t size = lseek(fd, 0, SEEK_END);
    int64_t trace_bytes = (int64_t)hd.samples * 4;
    int64_t count = size > 0 ? size / trace_bytes : 0;
    // A trace cut off by a power loss would shift every trace appended after it: drop it.
    if (size > 0 && size != count * trace_bytes && ftruncate(fd, (off_t)(count * trace_bytes)) != 0)
        perror("continue: cutting a partial trace");
    lseek(fd, 0, SEEK_END);
    hd.last_trace = shown_traces = prev_meas_traces = (int)count;
    open_srd("a+b");
    if (!srd)
        return 1;
    return 0;
}

int CRData::p_Open()
{
    puts("open");
    p_Close();
    prev_meas_traces = 0;
    if (hd.h_read() != 0)
        return -1;
    if (hd.samples >= DSP_MAX_SAMPLES || hd.samples < 0)
        return -2;
    if (hd.samples == 0)
        return -3;
    std::lock_guard<std::recursive_mutex> files(files_);
    fd = open(host_path(rd7_path).c_str(), O_RDONLY);
    if (fd < 0)
        return -3;
    off_t size = lseek(fd, 0, SEEK_END);
    if (size > 0) {
        hd.last_trace = shown_traces = (int)(size / ((int64_t)hd.samples * 4));
        return 0;
    }
    close(fd);
    fd = -1;
    hd.last_trace = shown_traces = 0;
    return size == 0 ? 3 : 5;
}

bool CRData::recording() const
{
    return fd >= 0 && (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDWR;
}

void CRData::p_Close()
{
    std::lock_guard<std::recursive_mutex> files(files_);
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
    if (srd) {
        fclose(srd);
        srd = nullptr;
    }
}

int CRData::write_at(int64_t offset, const int32_t* samples, int n)
{
    size_t len = (size_t)n * 4;
    const char* p = reinterpret_cast<const char*>(samples);
    size_t done = 0;
    while (done < len) {
        ssize_t w = pwrite(fd, p + done, len - done, (off_t)(offset + (int64_t)done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            // A full disk takes part of a trace: a trace past the stored ones is cut off
            // again, so the file keeps whole traces only and agrees with the trace count.
            const int64_t end = (int64_t)hd.last_trace * n * 4;
            if (done > 0 && offset >= end && ftruncate(fd, (off_t)end) != 0)
                perror("cutting a partial trace");
            return -2;
        }
        done += (size_t)w;
    }
    return 0;
}

int CRData::append_trace(const int32_t* samples, int n)
{
    std::lock_guard<std::recursive_mutex> files(files_);
    if (fd < 0 || n <= 0 || n > DSP_MAX_SAMPLES)
        return -2;
    if (write_at((int64_t)hd.last_trace * n * 4, samples, n) != 0)
        return -2;
    hd.last_trace++;
    return 0;
}

int CRData::append_zero_trace(int n) { return append_trace(zero_, n); }

int CRData::put_trace(int32_t number, const int32_t* samples, int n)
{
    std::lock_guard<std::recursive_mutex> files(files_);
    if (fd < 0 || n <= 0 || n > DSP_MAX_SAMPLES || number < 1)
        return -2;
    if (write_at((int64_t)(number - 1) * n * 4, samples, n) != 0)
        return -2;
    if (hd.last_trace < number)
        hd.last_trace = number;
    return 0;
}

int CRData::srd_add_line(int32_t cu_time, int32_t wheel_pos, int32_t gps_sec, int32_t gps_ms, int32_t trace)
{
    std::lock_guard<std::recursive_mutex> files(files_);
    if (!srd)
        return 1;
    int w = fprintf(srd, "%d\t%d\t%d\t\t%10d\t%3d\r\n", cu_time, wheel_pos, trace < 0 ? hd.last_trace.load() : trace,
                    gps_sec, gps_ms);
    return w < 0 || ferror(srd) ? 6 : 0;
}

int CRData::flush_data()
{
    int d;
    {
        std::lock_guard<std::recursive_mutex> files(files_);
        d = fd >= 0 ? fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    }
    if (d < 0)
        return -1;
    const int r = fdatasync(d);
    close(d);
    return r == 0 ? 0 : -1;
}

long CRData::read_trace(int32_t index, int32_t* out) const
{
    if (fd < 0 || index < 0 || hd.samples <= 0 || hd.samples > DSP_MAX_SAMPLES)
        return -1;
    size_t len = (size_t)hd.samples * 4;
    off_t off = (off_t)index * (off_t)len;
    size_t done = 0;
    while (done < len) {
        ssize_t r = pread(fd, reinterpret_cast<char*>(out) + done, len - done, off + (off_t)done);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return done ? (long)done : -1;
        if (r == 0)
            break;
        done += (size_t)r;
    }
    return (long)done;
}
