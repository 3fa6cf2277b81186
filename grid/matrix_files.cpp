// The project files: the .rhd header, the four .rd6 data files, and creating, opening,
// copying and deleting a project.
//
// A data file is written beside the old one and renamed over it once it is complete and on
// the disk, so a full disk or a power cut leaves the previous file, never a cut one.
#include "grid/matrix.h"

#include "platform/globals.h"
#include "cu/eep.h"
#include "dsp/rounding.h"
#include "files/disk.h"
#include "files/keylines.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

void put32(unsigned char* p, uint32_t v)
{
    for (int b = 0; b < 4; b++)
        p[b] = (unsigned char)(v >> (8 * b));
}
uint32_t get32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void put16(unsigned char* p, uint16_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}
int16_t get16(const unsigned char* p) { return int16_t(uint16_t(p[0] | p[1] << 8)); }

static_assert(sizeof(float) == 4, "float samples are four bytes in the files");

int16_t round16(float v)
{
    if (!(v > -32768.0f))
        return v != v ? 0 : -32768; // NaN stores as 0
    if (v >= 32767.0f)
        return 32767;
    return int16_t(std::lround(v)); // to nearest, halves away from zero, negative ones too
}

// Writes every record of direction d into f: true when everything was written.
bool write_records(FILE* f, const CMatrix& m, int d, bool as_float, unsigned char* rec, int n)
{
    const int bps = as_float ? 4 : 2;
    const size_t size = 4 + size_t(n) * bps;
    for (int k = 0; k < m.line_count(d); k++) {
        const auto& line = m.traces[d][size_t(k)];
        for (int t = 0; t < m.trace_count(d); t++) {
            const int32_t code = d == 0 ? t + m.line_step * k * m.ny : t * m.ny + m.line_step * k;
            put32(rec, uint32_t(code));
            const float* s = line[size_t(t)].data;
            unsigned char* p = rec + 4;
            for (int i = 0; i < n; i++, p += bps) {
                if (as_float) {
                    uint32_t bits;
                    memcpy(&bits, &s[i], 4);
                    put32(p, bits);
                } else {
                    put16(p, uint16_t(round16(s[i])));
                }
            }
            if (fwrite(rec, 1, size, f) != size)
                return false;
        }
    }
    return true;
}

} // namespace

int CMatrix::d_write(int k)
{
    if (k < 0 || k > 3)
        return 5;
    const int d = k % 2;
    const bool as_float = k >= 2;
    MutexLock lock(lock_dw);
    const std::string path = host_path(rd6_path[k]);
    const std::string tmp = path + ".tmp";
    FILE* f = fopen(tmp.c_str(), "wb");
    if (!f) {
        set_err_filename(rd6_path[k]);
        return 5;
    }
    unsigned char head[4];
    put32(head, uint32_t(int32_t(nx)));
    bool ok = fwrite(head, 1, 4, f) == 4;
    printf("res=%d x_size=%d y_size=%d samp=%d name=%s\n", k + 1, nx, ny, samples_, rd6_path[k]);
    if (ok && allocated()) {
        std::vector<unsigned char> rec(4 + size_t(samples_) * 4);
        ok = write_records(f, *this, d, as_float, rec.data(), samples_);
    }
    ok = fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = fclose(f) == 0 && ok;
    if (!ok || rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        set_err_filename(rd6_path[k]);
        return 6;
    }
    sync3();
    return 0;
}

int CMatrix::d_read(int k)
{
    if (k < 0 || k > 3)
        return -1;
    const int d = k % 2;
    const bool as_float = k >= 2;
    MutexLock lock(lock_dw);
    if (!allocated() || hd.samples != samples_)
        return -3;
    const int n = samples_;
    FILE* f = fopen(host_path(rd6_path[k]).c_str(), "rb");
    if (!f) {
        set_err_filename(rd6_path[k]);
        return -1;
    }
    const int bps = as_float ? 4 : 2;
    std::vector<unsigned char> rec(size_t(n) * bps);
    unsigned char word[4];
    int result = 0;
    if (fread(word, 1, 4, f) == 4) {
        while (fread(word, 1, 4, f) == 4) {
            const int32_t code = int32_t(get32(word));
            if (fread(rec.data(), 1, rec.size(), f) != rec.size())
                break; // a record cut short at the end: the whole ones before it stand
            const int32_t x = code / ny, y = code % ny;
            const int line = d == 0 ? x / line_step : y / line_step;
            const int t = d == 0 ? y : x;
            if (x < 0 || y < 0 || x >= nx || y >= ny || line >= line_count(d)) {
                printf("res=%d x=%d y=%d x_size=%d y_size=%d samp=%d name=%s\n", code, x, y, nx, ny, n,
                       rd6_path[k]);
                result = -2;
                break;
            }
            CFTrace& tr = traces[d][size_t(line)][size_t(t)];
            const unsigned char* p = rec.data();
            for (int i = 0; i < n; i++, p += bps) {
                if (as_float) {
                    const uint32_t bits = get32(p);
                    memcpy(&tr.data[i], &bits, 4);
                } else {
                    tr.data[i] = float(get16(p));
                }
            }
            filled[d][size_t(line)][size_t(t)] = 1;
            if (k == 1 && x == 0 && y == 0 && !as_float)
                for (int i = 0; i < n && i < kGridRefSamples; i++)
                    reference_trace[i] = get16(rec.data() + 2 * i);
        }
    }
    fclose(f);
    if (result != 0 || k != 2)
        return result;

    // The float files keep no raw trace: the reference comes from the first record of _2.rd6.
    FILE* g = fopen(host_path(rd6_path[1]).c_str(), "rb");
    if (!g)
        return -1;
    std::vector<unsigned char> raw(size_t(n) * 2);
    unsigned char skip[8];
    if (fread(skip, 1, 8, g) == 8 && fread(raw.data(), 1, raw.size(), g) == raw.size())
        for (int i = 0; i < n && i < kGridRefSamples; i++)
            reference_trace[i] = get16(raw.data() + 2 * i);
    fclose(g);
    return 0;
}

int CMatrix::mx_reread()
{
    for (auto& dir : filled)
        for (auto& line : dir)
            std::fill(line.begin(), line.end(), int16_t(0));
    int r = d_read(0);
    if (r != 0)
        return r;
    return d_read(1);
}

int CMatrix::rhd_write()
{
    const double length = double(eep.GetUnit(0)), shortl = double(eep.GetUnit(10));
    char text[1400];
    const int len = snprintf(text, sizeof text,
                             "PROJECT NAME:%s\r\n"
                             "PROJECT TYPE:%d\r\n"
                             "X-SIZE(M):%7.5f\r\n"
                             "Y-SIZE(M):%7.5f\r\n"
                             "RESOLUTION(M):%6.7f\r\n"
                             "PROFILE SPACING(M):%7.5f\r\n"
                             "X-SIZE:%d\r\n"
                             "Y-SIZE:%d\r\n"
                             "PROFILE SPACING:%d\r\n"
                             "TRIGG SOURCE:%d\r\n",
                             project_name, project_type, x_size * length, y_size * length,
                             resolution * shortl, profile_spacing * length, nx, ny, line_step,
                             trigger_source);
    if (len < 0 || size_t(len) >= sizeof text)
        return 6;
    MutexLock lock(lock_dw);
    if (replace_file_atomic(rhd_path, text, size_t(len)) != 0) {
        set_err_filename(rhd_path);
        return 6;
    }
    sync3();
    return 0;
}

int CMatrix::rhd_read()
{
    const double length = double(eep.GetUnit(0)), shortl = double(eep.GetUnit(10));
    int result = 0;
    {
        MutexLock lock(lock_dw);
        FILE* f = fopen(host_path(rhd_path).c_str(), "rb");
        if (!f) {
            set_err_filename(rhd_path);
            return 1;
        }
        char line[kKeyLineMax + 2];
        int r;
        while ((r = read_key_line(f, line, sizeof line)) == kLineRead) {
            ReadStrParameter(line, "PROJECT NAME:", project_name, sizeof project_name);
            ReadTParameter(line, "PROJECT TYPE:", project_type);
            float v;
            if (ReadTParameter(line, "X-SIZE(M):", v))
                x_size = float(v / length);
            if (ReadTParameter(line, "Y-SIZE(M):", v))
                y_size = float(v / length);
            if (ReadTParameter(line, "RESOLUTION(M):", v))
                resolution = float(v / shortl);
            if (ReadTParameter(line, "PROFILE SPACING(M):", v))
                profile_spacing = float(v / length);
            ReadTParameter(line, "X-SIZE:", nx);
            ReadTParameter(line, "Y-SIZE:", ny);
            ReadTParameter(line, "PROFILE SPACING:", line_step);
            ReadTParameter(line, "TRIGG SOURCE:", trigger_source);
        }
        fclose(f);
        if (r == kLineTooLong)
            result = 2;
    }
    printf("mp_type=%d %s %f %f %f %f %d\n", project_type, project_name, x_size, y_size, resolution,
           profile_spacing, line_step);
    if (result == 0 && (nx < 1 || nx > kGridMaxPoints || ny < 1 || ny > kGridMaxPoints || line_step < 1))
        result = 3;
    return result;
}

int CMatrix::xCreate()
{
    xSetNames(project_name);
    // The block is reloaded before the cube is sized, so that the cube, the header and the
    // traces the CU will send all have the same sample count.
    {
        MutexLock lock(lock_dw);
        eep.pload_l_a();
    }
    if (mx_create() != 0)
        return -2;
    if (rhd_write() != 0)
        return -3;
    if (hd.h_write() != 0)
        return -4;
    return 0;
}

int CMatrix::xOpen(const char* name)
{
    hd.hd_init();
    m_init();
    xSetNames(name);
    puts("xopen 1");
    int r = hd.h_read();
    if (r != 0)
        return r;
    if (hd.set_EEPROM_from_header() != 0)
        return -1;
    puts("xopen 2");
    r = rhd_read();
    if (r != 0) {
        m_init();
        return 10 + r;
    }
    puts("xopen 3");
    r = mx_create();
    if (r != 0) {
        m_init();
        return r;
    }
    puts("xopen 4");
    if (d_read(2) != 0 || d_read(3) != 0) {
        const int r1 = d_read(0);
        const int r2 = r1 == 0 ? d_read(1) : 0;
        if (r1 != 0 || r2 != 0) {
            printf("error open matrix %d %d\n", r1, r2);
            mx_clear();
            m_init();
            return 20;
        }
        migrate_all();
        if (d_write(2) != 0 || d_write(3) != 0) {
            MutexLock lock(lock_dw);
            unlink(host_path(rd6_path[2]).c_str());
            unlink(host_path(rd6_path[3]).c_str());
            sync3();
        }
    }
    z_slice_index = hd.z_slice;
    return 0;
}

int CMatrix::xCopy(const char* name)
{
    if (!name || !plain_file_name(name))
        return 3000;
    MutexLock lock(lock_dw);
    char base[kGridNameSize];
    copy_text(base, sizeof base, name);
    if (char* dot = strrchr(base, '.'))
        *dot = 0;
    char target[kGridNameSize + 16];
    copy_text(target, sizeof target, base);
    for (int n = 1;; n++) {
        DIR* dir = opendir(host_path(kExportDir).c_str());
        if (!dir)
            return 3000;
        bool taken = false;
        while (dirent* e = readdir(dir))
            if (strcasecmp(e->d_name, target) == 0)
                taken = true;
        closedir(dir);
        if (!taken)
            break;
        snprintf(target, sizeof target, "%s_%d", base, n);
    }
    const std::string folder = std::string(kExportDir) + "/" + target;
    const std::string src = std::string(kDataDir) + base;
    char cmd[1024];
    snprintf(cmd, sizeof cmd, "mkdir %s", sh_path(folder.c_str()).c_str());
    run_shell(cmd);
    int sum = 0;
    const char* suffixes[5] = {".rhd", ".rad", ".add", "_1.rd6", "_2.rd6"};
    for (int i = 0; i < 5; i++) {
        snprintf(cmd, sizeof cmd, "cp -p %s %s", sh_path((src + suffixes[i]).c_str()).c_str(),
                 sh_path(folder.c_str()).c_str());
        if (i == 0)
            puts(cmd);
        sum += run_shell(cmd);
    }
    sync3();
    return sum;
}

int CMatrix::xDelete(const char* name)
{
    if (!name || !plain_file_name(name))
        return -1;
    MutexLock lock(lock_dw);
    char base[kGridNameSize];
    copy_text(base, sizeof base, name);
    if (char* dot = strrchr(base, '.'))
        *dot = 0;
    const std::string src = host_path(kDataDir) + base;
    // The first seven are the files every project has; the others may be missing.
    const char* counted[7] = {".rhd", ".rad", ".add", "_1.rd6", "_2.rd6", "_1.emm", "_2.emm"};
    const char* extra[4] = {"_3.rd6", "_4.rd6", "_3.emm", "_4.emm"};
    int sum = 0;
    for (const char* s : counted)
        sum += unlink((src + s).c_str());
    for (const char* s : extra)
        unlink((src + s).c_str());
    sync3();
    return sum;
}
