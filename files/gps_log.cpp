#include "files/gps_log.h"

#include "platform/globals.h"
#include "cu/gps_display.h"
#include "files/disk.h"
#include "files/keylines.h"
#include "platform/host_paths.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// Copies the fix texts; the caller holds lock3.
void copy_fix(GpsFix* fix)
{
    copy_text(fix->time, sizeof fix->time, f_time);
    copy_text(fix->lat, sizeof fix->lat, f_lat);
    copy_text(fix->lon, sizeof fix->lon, f_lon);
    copy_text(fix->alt, sizeof fix->alt, f_alt);
    fix->lat_ch = f_lat_ch;
    fix->lon_ch = f_lon_ch;
    fix->alt_ch = f_alt_ch;
    fix->quality = gps_qi;
    fix->synctime = gps_synctime;
}

} // namespace

void gps_fix_snapshot(GpsFix* fix)
{
    MutexLock lock(lock3);
    copy_fix(fix);
}

CGPS_Set::~CGPS_Set() { gps_Close(); }

void CGPS_Set::open_stream(const char* device_path, const char* mode)
{
    stream = fopen(host_path(device_path).c_str(), mode);
    if (stream)
        setvbuf(stream, buf_, _IOFBF, sizeof buf_);
}

int CGPS_Set::gps_Create(int mode)
{
    gps_Close();
    if (mode == 0) {
        open_stream(path, "wb");
        return stream ? 0 : 1;
    }
    std::string base = std::string(kDataDir) + test_name;
    open_stream((base + ".crn").c_str(), "wb");
    if (!stream)
        return 1;
    test_log = 1;
    raw_fd = open(host_path((base + ".kbn").c_str()).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    return raw_fd < 0 ? 3 : 0;
}

int CGPS_Set::gps_COpen()
{
    gps_Close();
    open_stream(path, "a+b");
    return stream ? 0 : 5;
}

void CGPS_Set::gps_Close()
{
    if (stream) {
        fclose(stream);
        stream = nullptr;
    }
    if (raw_fd >= 0) {
        close(raw_fd);
        raw_fd = -1;
    }
    test_log = 0;
}

int CGPS_Set::gps_add_pos(int trace, const char* date_text)
{
    GpsFix fix;
    {
        // The flag is claimed together with the copy (the timer stores a fix and sets the
        // flag under lock3): a fix stored while this line is written stays marked for the
        // next trace instead of being cleared unwritten.
        MutexLock lock(lock3);
        if (!new_fix.exchange(0))
            return 0;
        copy_fix(&fix);
    }
    return fix.lat[0] ? write_pos(trace, date_text, fix) : 0;
}

int CGPS_Set::gps_add_pos(int trace, const char* date_text, const GpsFix& fix)
{
    if (!fix.lat[0] || !new_fix.exchange(0))
        return 0;
    return write_pos(trace, date_text, fix);
}

int CGPS_Set::write_pos(int trace, const char* date_text, const GpsFix& fix)
{
    int t = get_sync_trace(fix.synctime, trace);
    MutexLock lock(lock_dw);
    int written = -1;
    if (stream) {
        written = fprintf(stream, "%d\t%s\t%s\t%s\t%c\t%s\t%c\t%s\t%c\t%d\r\n", t, date_text ? date_text : "",
                          fix.time, fix.lat, fix.lat_ch, fix.lon, fix.lon_ch, fix.alt, fix.alt_ch, fix.quality);
        if (fflush(stream) != 0)
            written = -1;
    }
    return written < 6 ? 6 : 0;
}

int CGPS_Set::gps_add_test_pos(const char* date_text, const char* clock_text, const char* time,
                               const char* lat, char lat_ch, const char* lon, char lon_ch,
                               const char* alt, char alt_ch, const char* hdop, int quality)
{
    auto s = [](const char* p) { return p ? p : ""; };
    MutexLock lock(lock_dw);
    int written = -1;
    if (stream) {
        written = fprintf(stream, "%s\t%s\t%s\t%s\t%c\t%s\t%c\t%s\t%c\t%s\t%d\r\n", s(date_text), s(clock_text),
                          s(time), s(lat), lat_ch, s(lon), lon_ch, s(alt), alt_ch, s(hdop), quality);
        if (fflush(stream) != 0)
            written = -1;
    }
    new_fix = 0;
    return written < 6 ? 6 : 0;
}

int CGPS_Set::gps_add_raw(const void* data, size_t len)
{
    MutexLock lock(lock_dw);
    if (raw_fd < 0)
        return 6;
    const char* p = static_cast<const char*>(data);
    while (len) {
        ssize_t w = write(raw_fd, p, len);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return 6;
        p += w;
        len -= (size_t)w;
    }
    return 0;
}
