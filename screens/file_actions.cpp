// What the file manager does to one entry: delete, upload, open for the viewer, and the
// restore of the last measurement's missed traces from the CU's memory card.
#include "screens/file_screens.h"

#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "files/disk.h"
#include "files/keylines.h"
#include "files/profile_record.h"
#include "files/radar_data.h"
#include "gui/file_list_box.h"
#include "gui/input.h"
#include "link/ethernet.h"
#include "platform/globals.h"
#include "platform/host_paths.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

bool data_disk_check = false;

namespace {

bool has_ext(const char* name, const char* ext) { return strstr(name, ext) != nullptr; }

bool data_file_exists(const std::string& file)
{
    struct stat st;
    return stat(host_path((std::string(kDataDir) + file).c_str()).c_str(), &st) == 0;
}

// The base of a profile name: up to its first '.'.
std::string profile_base(const char* name) { return std::string(name, strcspn(name, ".")); }

} // namespace

FileKind file_kind(const char* name)
{
    if (!name || !name[0])
        return FileKind::Other;
    if (strcmp(name, CFListBox::kUpEntry) == 0)
        return FileKind::Up;
    if (has_ext(name, ".rd7"))
        return FileKind::Profile;
    if (has_ext(name, ".pvb"))
        return FileKind::Plavik;
    if (has_ext(name, ".rhd"))
        return FileKind::Grid;
    for (const char* ext : {".jpg", ".eln", ".crn", ".kbn", ".bkub"})
        if (has_ext(name, ext))
            return FileKind::Single;
    return FileKind::Other;
}

int delete_entry(const char* name, const char* project)
{
    int r = -1;
    switch (file_kind(name)) {
    case FileKind::Profile: {
        const std::string base = profile_base(name);
        rdr.dDeleteFiles(name);
        // The unlink sum counts the optional companions that never existed: done is when
        // the data file is gone.
        r = data_file_exists(base + ".rd7") ? -1 : 0;
        // A deleted profile cannot be continued.
        if (strcmp(rdr.cur_name, base.c_str()) == 0)
            rdr.cur_name[0] = 0;
        break;
    }
    case FileKind::Plavik:
        rdr.oDelete(name);
        r = data_file_exists(name) ? -1 : 0;
        break;
    case FileKind::Grid:
        r = rdr.mx.xDelete(name);
        break;
    case FileKind::Single:
        r = iDelete(name);
        break;
    default:
        return -1;
    }
    if (project && project[0])
        rdr.pvp.Clear_proj_file(project);
    return r;
}

int upload_entry(const char* name)
{
    switch (file_kind(name)) {
    case FileKind::Profile: return rdr.dCopy(name, nullptr);
    case FileKind::Plavik: return rdr.oCopy(name);
    case FileKind::Grid: return rdr.mx.xCopy(name);
    case FileKind::Single: return iCopy(name);
    default: return -1;
    }
}

int open_profile(const char* name)
{
    int r = rdr.dOpen(name);
    if (r == 0) {
        // A data file that does not hold whole traces was cut or overwritten: shown as
        // it is, every trace after the damage would be misread.
        struct stat st;
        const int64_t trace_bytes = int64_t(rdr.rd.hd.samples) * 4;
        if (stat(host_path(rdr.rd.rd7_path).c_str(), &st) != 0 || trace_bytes <= 0 ||
            int64_t(st.st_size) % trace_bytes != 0) {
            printf("open: %s does not hold whole traces\n", name);
            rdr.dClose(true);
            r = 5;
        }
    }
    if (r != 0 && r != -2)
        data_disk_check = true;
    return r;
}

void open_failure_text(int code, const char** title, const char** text)
{
    if (code == -2) {
        *title = "Too many samples in this file.";
        *text = "It can be opened only by special RZ software.";
    } else if (code == -10) {
        *title = "Bad parameters in header file.";
        *text = "The file was corrupt.";
    } else {
        *title = "Zero file length or corrupted file.";
        *text = "The file can not be opened.";
    }
}

bool restore_offered() { return rdr.last_rd7_path[0] != 0 && eth.missed_pending(); }

namespace {

// Opens the last measurement's data file for writing the restored traces into their places,
// with the antenna block set from its header. Its CU traces are numbered after the traces it
// held before that measurement (saved with the table). 0, or -1.
int open_last_for_update()
{
    const char* slash = strrchr(rdr.last_rd7_path, '/');
    const char* name = slash ? slash + 1 : rdr.last_rd7_path;
    const int base = rdr.last_trace_base;
    rdr.dClose(false);
    if (rdr.dSetNames(name) != 0)
        return -1;
    {
        MutexLock g(lock_dw);
        if (rdr.rd.hd.h_read() != 0)
            return -1;
    }
    if (rdr.rd.hd.set_EEPROM_from_header() != 0)
        return -1;
    MutexLock g(lock_dw);
    const int r = rdr.rd.p_COpen(rdr.cur_name);
    prev_meas_traces = base;
    if (r != 0 && r != 1) {
        rdr.rd.p_Close();
        return -1;
    }
    return 0;
}

void forget_last_file()
{
    rdr.last_rd7_path[0] = 0;
}

} // namespace

void restore_last_measurement()
{
    {
        MutexLock g(lock_dw);
        CallDevice();
    }
    bool on;
    {
        MutexLock g(lock_cuOn);
        on = pisOn;
    }
    if (!on) {
        mesmode("No contact with the antenna.", "Impossible to retrieve missed traces!", true, 0);
        return;
    }
    bool usable = false;
    if (prm.udp_mode && !prm.wifi_link) {
        int r;
        {
            MutexLock g(lock_dw);
            r = gpr.SD_Enable(true);
        }
        if (r != 0)
            printf("microSD init error: %d\n", r);
        usable = r == 0;
    }
    if (!usable) {
        mesmode("Restoring cannot be activated.", "Old Antenna or uSD card error!", true, 0);
    } else if (open_last_for_update() != 0) {
        rdr.dClose(false);
        forget_last_file();
        eth.mt_CreateFiles(); // the table forgets the file too
        mesmode("Error opening the last measurement data file.", "Restoring of missed traces is impossible!",
                true, 0);
    } else {
        // Saved with the table; a table saved without it takes the parameter store's.
        if (stop_last_block == 0)
            stop_last_block = prm.last_block;
        const int r = restore_missed_blocks();
        {
            MutexLock g(lock_dw);
            if (rdr.rd.hd.h_write() != 0)
                printf("restore: header write error\n");
        }
        rdr.dClose(false);
        if (r == -333) {
            forget_last_file();
            eth.mt_DeleteFiles(); // nothing is left to fetch
        } else {
            eth.mt_CreateFiles();
        }
    }
    MutexLock g(lock_dw);
    gpr.SD_Enable(false);
}
