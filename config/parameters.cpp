#include "config/parameters.h"

#include "platform/globals.h"
#include "config/xmlParser/safe_file_write.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

alignas(16) CParameters prm;

namespace {

// ---- Little-endian image helpers: the stored layout does not depend on the host --------

class ImageWriter {
public:
    explicit ImageWriter(uint8_t* out) : p_(out) {}
    void u8(uint8_t v) { *p_++ = v; }
    void u16(uint16_t v) { u8(v & 0xFF); u8(v >> 8); }
    void u32(uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
    void bytes(const void* src, size_t n) { memcpy(p_, src, n); p_ += n; }
private:
    uint8_t* p_;
};

class ImageReader {
public:
    explicit ImageReader(const uint8_t* in) : p_(in) {}
    uint8_t u8() { return *p_++; }
    uint16_t u16() { uint16_t lo = u8(); return static_cast<uint16_t>(lo | u8() << 8); }
    uint32_t u32() { uint32_t lo = u16(); return lo | static_cast<uint32_t>(u16()) << 16; }
    void bytes(void* dst, size_t n) { memcpy(dst, p_, n); p_ += n; }
private:
    const uint8_t* p_;
};

void run_cmd(const char* fmt, const char* a, const char* b = nullptr)
{
    char cmd[600];
    if (b)
        snprintf(cmd, sizeof cmd, fmt, sh_path(a).c_str(), sh_path(b).c_str());
    else
        snprintf(cmd, sizeof cmd, fmt, sh_path(a).c_str());
    run_shell(cmd);
}

} // namespace

CParameters::CParameters()
{
    static const uint8_t zeros[kImageSize] = {};
    from_image(zeros); // every field 0, then the defaults
    unit_number = 1;
    language = 0;
    strncpy(pv_project_name, "PVP_", sizeof pv_project_name - 1);
    duo_channel = 1;
    sbas_mode = 0;
    pattern_parameter = 20;
    gain_switch = 1;
    udp_mode = 1;
    wifi_channel = 1;
    memcpy(country_code, "US", 3);
}

void CParameters::to_image(uint8_t out[kImageSize]) const
{
    ImageWriter w(out);
    w.u32(unit_number);
    w.u8(language);
    w.bytes(pv_project_name, sizeof pv_project_name);
    w.u8(duo_channel);
    w.u32(reserved_counter);
    w.bytes(unused1, sizeof unused1);
    w.u32(static_cast<uint32_t>(sbas_mode));
    w.u8(test_upgrade);
    w.u8(pattern_parameter);
    w.u8(duo_pattern);
    w.u8(gain_switch);
    w.u32(date1);
    w.u32(date2);
    w.u16(reserved2);
    w.u8(udp_mode);
    w.u8(wifi_link);
    w.u8(restore_missed);
    w.u8(wifi_channel);
    w.u8(request_missed);
    w.bytes(country_code, sizeof country_code);
    w.u8(unused2);
    w.u32(last_block);
}

void CParameters::from_image(const uint8_t in[kImageSize])
{
    ImageReader r(in);
    unit_number = r.u32();
    language = r.u8();
    r.bytes(pv_project_name, sizeof pv_project_name);
    duo_channel = r.u8();
    reserved_counter = r.u32();
    r.bytes(unused1, sizeof unused1);
    sbas_mode = static_cast<int32_t>(r.u32());
    test_upgrade = r.u8();
    pattern_parameter = r.u8();
    duo_pattern = r.u8();
    gain_switch = r.u8();
    date1 = r.u32();
    date2 = r.u32();
    reserved2 = r.u16();
    udp_mode = r.u8();
    wifi_link = r.u8();
    restore_missed = r.u8();
    wifi_channel = r.u8();
    request_missed = r.u8();
    r.bytes(country_code, sizeof country_code);
    unused2 = r.u8();
    last_block = r.u32();
    // Texts from the file must stay terminated for every reader of the record.
    pv_project_name[sizeof pv_project_name - 1] = '\0';
    country_code[sizeof country_code - 1] = '\0';
}

void CParameters::after_loading()
{
    language = 0;
    test_upgrade = 0;
    udp_mode = 1;
    wifi_link = 0;
    restore_missed = 0;
    request_missed = 0;
}

void CParameters::p_read()
{
    {
        MutexLock g(lock_dw);
        run_cmd("mount %s %s", "/dev/sda2", "/mnt/hda2");
        int fd = open(host_path(kParsPath).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            // A short file overwrites only the bytes it holds; bytes past the record are
            // not ours and are left alone.
            uint8_t image[kImageSize + 1];
            size_t got = 0;
            while (got < sizeof image) {
                ssize_t n = read(fd, image + got, sizeof image - got);
                if (n <= 0)
                    break;
                got += static_cast<size_t>(n);
            }
            close(fd);
            if (got < kImageSize)
                printf("pars: short file, %zu of %zu bytes\n", got, kImageSize);
            else if (got > kImageSize)
                printf("pars: file longer than %zu bytes, the rest is ignored\n", kImageSize);
            size_t use = got < kImageSize ? got : kImageSize;
            uint8_t merged[kImageSize];
            to_image(merged);
            memcpy(merged, image, use);
            from_image(merged);
            puts("pars is red");
        }
        run_cmd("umount %s", "/mnt/hda2");
    }
    after_loading();
    eth.set_link_word_a(unit_number); // the unit number goes into link word A of every frame
}

int CParameters::p_write()
{
    uint8_t image[kImageSize];
    to_image(image);
    MutexLock g(lock_dw);
    run_cmd("mount %s %s", "/dev/sda2", "/mnt/hda2");
    int rc = safe_file_write(host_path(kParsPath).c_str(), reinterpret_cast<const char*>(image),
                             sizeof image);
    if (rc == 0)
        puts("pars is written");
    else
        puts("pars: write failed, previous file kept");
    run_cmd("umount %s", "/mnt/hda2");
    return rc;
}
