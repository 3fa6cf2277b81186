#include "files/radar_data.h"

#include "platform/globals.h"
#include "cu/eep.h"
#include "files/disk.h"
#include "files/keylines.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"

#include <bitset>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

CRadarData rdr;

namespace {

constexpr float kSampleScale = 0.0001220703125f; // 1/8192

void to_float(const int32_t* in, float* out, int n)
{
    for (int i = 0; i < n; i++)
        out[i] = (float)in[i] * kSampleScale;
}

// dir + base + ext into out; false when it does not fit.
bool join(char (&out)[kPathSize], const char* dir, const char* base, const char* ext)
{
    int n = snprintf(out, sizeof out, "%s%s%s", dir, base, ext);
    return n >= 0 && (size_t)n < sizeof out;
}

// New profiles belong to the baseline-crossing project while one runs: they carry its name.
bool pv_naming(const CPVProject& p) { return ProjN == 2 && p.active; }

} // namespace

CRadarData::~CRadarData() = default;

int CRadarData::dDefineName(const char* prefix)
{
    char pre[5];
    if (!(prefix && prefix[0]) && pv_naming(pvp))
        prefix = pvp.name;
    copy_text(pre, sizeof pre, prefix && prefix[0] ? prefix : "DAT_");
    MutexLock lock(lock_dw);
    DIR* d = opendir(host_path(kDataDir).c_str());
    if (!d)
        return -1;
    std::bitset<10000> used;
    int count = 0;
    long largest = 0;
    while (struct dirent* e = readdir(d)) {
        if (!strstr(e->d_name, ".rd7"))
            continue;
        char first8[9];
        copy_text(first8, sizeof first8, e->d_name);
        if (strlen(first8) < 4 || strncmp(first8, pre, 4) != 0)
            continue;
        long num = strtol(first8 + 4, nullptr, 10);
        count++;
        if (num > largest)
            largest = num;
        if (num >= 1 && num <= 9999)
            used.set((size_t)num);
    }
    closedir(d);
    long next = largest + 1;
    if (next > 9999) {
        // "%04d" of 10000 would read back as 1000: numbering would repeat and overwrite.
        next = 0;
        for (long i = 1; i <= 9999 && !next; i++)
            if (!used.test((size_t)i))
                next = i;
        if (!next)
            return -2;
    }
    snprintf(next_name, sizeof next_name, "%.4s%04ld", pre, next);
    return count;
}

void CRadarData::clear_names()
{
    rd.rd3_path[0] = rd.rd7_path[0] = rd.rd7_name[0] = rd.hd.rad_path[0] = rd.hd.add_path[0] = 0;
    rd.srd_path[0] = rd.gps.path[0] = rd.mrk.path[0] = cur_name[0] = 0;
}

int CRadarData::dSetNames(const char* name)
{
    char base[kPathSize];
    size_t n = name ? strcspn(name, ".") : 0;
    bool ok = name && n > 0 && n < sizeof base && plain_file_name(name);
    if (ok) {
        memcpy(base, name, n);
        base[n] = 0;
        ok = join(rd.rd3_path, kDataDir, base, ".rd3") && join(rd.rd7_path, kDataDir, base, ".rd7")
            && join(rd.rd7_name, "", base, ".rd7") && join(rd.hd.rad_path, kDataDir, base, ".rad")
            && join(rd.hd.add_path, kDataDir, base, ".add") && join(rd.srd_path, kDataDir, base, ".srd")
            && join(rd.gps.path, kDataDir, base, ".cor") && join(rd.mrk.path, kDataDir, base, ".mrk");
    }
    if (!ok) {
        clear_names();
        printf("setnames: name refused: %s\n", name ? name : "");
        return -1;
    }
    copy_text(cur_name, sizeof cur_name, base);
    printf("setnames: %s\n", name);
    return 0;
}

namespace {

// Traces a new profile must have room for besides its header and logs.
constexpr long long kFewTraces = 16;
constexpr long long kSmallFilesBytes = 32 * 1024;

// Room for the header, the logs and a few traces of `samples`, with the header's reserve
// taken. False (nothing left behind) on a disk that is too full.
bool room_for_new_profile(int samples)
{
    if (disk_reserve_take() != 0)
        return false;
    long long free = data_free_bytes();
    if (free >= 0 && free < kSmallFilesBytes + kFewTraces * samples * 4) {
        disk_reserve_release();
        return false;
    }
    return true;
}

} // namespace

int CRadarData::dCreateFiles(const char* prefix)
{
    int count = dDefineName(prefix);
    if (count < 0 || dSetNames(next_name) != 0)
        return 3;
    int r;
    {
        MutexLock lock(lock_dw);
        if (!room_for_new_profile(eep.samples > 0 ? eep.samples : DSP_MAX_SAMPLES)) {
            printf("no room on the data disk for a new profile\n");
            cur_name[0] = 0;
            return 3;
        }
        r = rd.p_Create();
        if (r != 0) {
            dDiscard();
            return r;
        }
        rd.mrk.m_create();
        if (eep.gps_enabled)
            rd.gps.gps_Create(0);
    }
    if (pv_naming(pvp))
        pvp.new_Prof(cur_name, count + 1, 0, 0, 0);
    // A new profile has no lost traces: a missed-block table left from an earlier one must
    // not be taken for this profile's at the next start.
    eth.mt_DeleteFiles();
    copy_text(last_rd7_path, sizeof last_rd7_path, rd.rd7_path);
    last_trace_base = 0;
    return r;
}

int CRadarData::dCOpen()
{
    MutexLock lock(lock_dw);
    int r = rd.p_COpen(cur_name);
    if (r != 0 && r != 1)
        return r;
    disk_reserve_take(); // best effort: a full disk stops the measurement at its first trace
    rd.mrk.m_read();
    rd.mrk.mCOpen();
    if (eep.gps_enabled)
        rd.gps.gps_COpen();
    return r;
}

int CRadarData::dOpen(const char* name)
{
    char n[kPathSize];
    copy_text(n, sizeof n, name && name[0] ? name : rd.rd7_name);
    if (dSetNames(n) != 0)
        return -1;
    {
        MutexLock lock(lock_dw);
        int r = rd.p_Open();
        if (r != 0)
            return r;
    }
    if (rd.hd.set_EEPROM_from_header() != 0) {
        MutexLock lock(lock_dw);
        rd.p_Close();
        return -10;
    }
    MutexLock lock(lock_dw);
    rd.mrk.m_read();
    return 0;
}

void CRadarData::dDiscard()
{
    {
        MutexLock lock(lock_dw);
        rd.p_Close();
        rd.mrk.m_close(true);
        rd.gps.gps_Close();
        mea_Del_Files();
        disk_reserve_release();
    }
    dClose(true);
}

void CRadarData::dClose(bool clear_name)
{
    {
        MutexLock lock(lock_dw);
        if (rd.recording())
            disk_reserve_release(); // the header is written: its room is the operator's again
        rd.p_Close();
        rd.mrk.m_close(true);
        rd.gps.gps_Close();
        sync3();
        rd.hd.hd_init();
        prof.Empty();
        if (clear_name)
            cur_name[0] = 0;
    }
    puts("dClosed!");
}

int CRadarData::pRead(int first, int count, int step)
{
    if (!rd.data_open())
        return 0;
    const int n = rd.hd.samples;
    if (n <= 0 || n > DSP_MAX_SAMPLES)
        return 0;
    const long whole = (long)n * 4;
    int got = 0;
    if (step == 0) {
        if (first < 0 || first >= rd.hd.last_trace)
            return 0;
        if (count > CProfile::kSlots - 1) // a full turn would read as an empty store
            count = CProfile::kSlots - 1;
        MutexLock lock(lock_dw);
        prof.Empty();
        prof.first_trace = first;
        for (; got < count; got++) {
            long r = rd.read_trace(first + got, trace_buf_);
            if (r <= 0)
                break;
            if (r < whole) {
                printf("fr error1 %ld\n", r);
                break;
            }
            to_float(trace_buf_, prof.slot(prof.end), n);
            prof.end = CProfile::prof_ind(prof.end + 1);
        }
        return got;
    }
    if (step > 0) {
        MutexLock lock(lock_dw);
        int32_t next = prof.b_size() + prof.first_trace;
        for (; got < step; got++) {
            long r = rd.read_trace(next + got, trace_buf_);
            if (r <= 0) {
                printf("fr error4 %ld\n", r);
                break;
            }
            if (r < whole) {
                printf("fr error3 %ld\n", r);
                break;
            }
            to_float(trace_buf_, prof.slot(prof.end), n);
            prof.end = CProfile::prof_ind(prof.end + 1);
            prof.start = CProfile::prof_ind(prof.start + 1);
            prof.first_trace++;
        }
        return got;
    }
    for (int i = 0; i < -step; i++) {
        MutexLock lock(lock_dw);
        int32_t index = prof.first_trace - 1;
        if (index < 0)
            continue;
        long r = rd.read_trace(index, trace_buf_);
        if (r <= 0) {
            printf("fr error6 %ld\n", r);
            break;
        }
        if (r < whole) {
            printf("fr error5 %ld\n", r);
            break;
        }
        prof.start = CProfile::prof_ind(prof.start - 1);
        to_float(trace_buf_, prof.slot(prof.start), n);
        prof.end = CProfile::prof_ind(prof.end - 1);
        if (prof.first_trace > 0)
            prof.first_trace--;
        got++;
    }
    return -got;
}

int CRadarData::save_rd3(const char* name, const char* target)
{
    MutexLock lock(lock_dw);
    int out = open(host_path(target).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (out < 0)
        return 2;
    int r = dSetNames(name) != 0 ? -1 : rd.p_Open();
    if (r == 0) {
        const int n = rd.hd.samples;
        for (int32_t k = 0; k < rd.hd.last_trace; k++) {
            if (rd.read_trace(k, trace_buf_) != (long)n * 4) {
                r = -4;
                break;
            }
            for (int i = 0; i < n; i++)
                trace16_[i] = (int16_t)(trace_buf_[i] >> 16); // arithmetic: upper 16 bits
            size_t len = (size_t)n * 2;
            size_t done = 0;
            while (done < len) {
                ssize_t w = write(out, reinterpret_cast<const char*>(trace16_) + done, len - done);
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0)
                    break;
                done += (size_t)w;
            }
            if (done != len) {
                r = -10;
                break;
            }
        }
    }
    close(out);
    rd.p_Close();
    return r;
}
