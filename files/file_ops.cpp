// Copies to the USB stick, deletions and the discard of a just-recorded profile.
//
// Every shell command line gets its file names through sh_path/sh_quote; a name that could
// lead out of the data directory ('/', "." or "..") or an empty name is refused before any
// command is built, since an empty base would widen a "*.wav" pattern to every file.
#include "files/radar_data.h"

#include "platform/globals.h"
#include "files/disk.h"
#include "files/keylines.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <cstring>
#include <dirent.h>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const kExportExts[] = {".rd7", ".rad", ".srd", ".cor", ".kub", ".skub", ".mrk"};

int unlink_device(const std::string& device_path)
{
    return unlink(host_path(device_path.c_str()).c_str());
}

// name cut at its first '.'; "" when the name is not a plain file name.
std::string base_of(const char* name)
{
    if (!plain_file_name(name))
        return std::string();
    return std::string(name, strcspn(name, "."));
}

int cp(const std::string& from, const std::string& to)
{
    std::string cmd = "cp -p " + sh_path(from.c_str()) + " " + sh_path(to.c_str());
    return run_shell(cmd.c_str());
}

int cp_wav(const std::string& device_base, const std::string& to_dir)
{
    std::string cmd = "cp -p " + sh_path(device_base.c_str()) + "*.wav " + sh_path(to_dir.c_str());
    return run_shell(cmd.c_str());
}

// The profile has voice notes ("base*.wav").
bool has_wav(const std::string& device_base)
{
    const std::string host = host_path(device_base.c_str());
    const size_t slash = host.rfind('/');
    const std::string dir = host.substr(0, slash), stem = host.substr(slash + 1);
    DIR* d = opendir(dir.c_str());
    if (!d)
        return false;
    bool found = false;
    while (struct dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n.size() >= stem.size() + 4 && n.compare(0, stem.size(), stem) == 0 &&
            n.compare(n.size() - 4, 4, ".wav") == 0)
            found = true;
    }
    closedir(d);
    return found;
}

int rm_wav(const std::string& device_base)
{
    std::string cmd = "rm -f " + sh_path(device_base.c_str()) + "*.wav";
    return run_shell(cmd.c_str());
}

// The names in a device folder; false when it cannot be read.
bool list_dir(const char* device_dir, std::vector<std::string>& names)
{
    DIR* d = opendir(host_path(device_dir).c_str());
    if (!d)
        return false;
    while (struct dirent* e = readdir(d))
        names.emplace_back(e->d_name);
    closedir(d);
    return true;
}

// A project's profile: the entry's name before its first '.', less its last four
// characters (the profile counter), equals the project's base.
bool project_member(const std::string& entry, const std::string& project_base)
{
    size_t dot = entry.find('.');
    std::string stem = entry.substr(0, dot);
    return stem.size() >= 4 && stem.substr(0, stem.size() - 4) == project_base;
}

void remove_header_leftovers(const std::string& device_base)
{
    // Temporaries of an interrupted header write.
    unlink_device(device_base + ".rad.tmp");
    unlink_device(device_base + ".add.tmp");
}

} // namespace

int CRadarData::mea_Del_Files()
{
    int sum = unlink(host_path(rd.rd7_path).c_str()) + unlink(host_path(rd.hd.rad_path).c_str())
        + unlink(host_path(rd.hd.add_path).c_str()) + unlink(host_path(rd.srd_path).c_str())
        + unlink(host_path(rd.gps.path).c_str()) + unlink(host_path(rd.mrk.path).c_str());
    std::string base(rd.rd3_path, strcspn(rd.rd3_path, "."));
    if (rd.rd3_path[0] && base.size() > strlen(kDataDir)) {
        rm_wav(base);
        remove_header_leftovers(base);
    }
    sync3();
    return sum;
}

int CRadarData::mea_Restart()
{
    MutexLock lock(lock_dw);
    if (cont_point.held()) {
        const int failed = cont_point.restore();
        cont_point.forget();
        printf("restart: %s cut back to the continue (%d not put back)\n", cur_name, failed);
        return failed;
    }
    const int r = mea_Del_Files();
    printf("restart: %s deleted (%d)\n", cur_name, r);
    clear_names();
    return 0;
}

int CRadarData::dDeleteFiles(const char* name)
{
    std::string base = base_of(name);
    if (base.empty())
        return -1;
    std::string p = std::string(kDataDir) + base;
    int sum = 0;
    for (const char* ext : {".rd7", ".rad", ".add", ".srd", ".cor", ".kub", ".skub", ".mrk"})
        sum += unlink_device(p + ext);
    rm_wav(p);
    remove_header_leftovers(p);
    sync3();
    return sum;
}

int CRadarData::dCopy(const char* name, const char* folder)
{
    std::string base = base_of(name);
    if (base.empty())
        return -1;
    std::string src = std::string(kDataDir) + base;
    MutexLock lock(lock_dw);
    std::string dir, target;
    if (folder) {
        dir = folder;
        target = base;
    } else {
        dir = kExportDir;
        std::vector<std::string> names;
        if (!list_dir(kExportDir, names))
            return 3000;
        target = base;
        for (int n = 1;; n++) {
            bool taken = false;
            for (const auto& e : names)
                if (e.find(".rd7") != std::string::npos && e.substr(0, e.find('.')) == target)
                    taken = true;
            if (!taken)
                break;
            target = base + "_" + std::to_string(n);
        }
    }
    int r3 = save_rd3(base.c_str(), (dir + "/" + target + ".rd3").c_str());
    int rad_status = 0, lost = 0;
    for (const char* ext : kExportExts) {
        // Into a given folder files keep their names; into the export folder they take the
        // target name.
        std::string to = folder ? dir : dir + "/" + target + ext;
        int s = cp(src + ext, to);
        if (strcmp(ext, ".rad") == 0)
            rad_status = s;
        // A companion that exists but did not arrive (a full stick) is a failed export;
        // a missing optional companion is not.
        else if (s != 0 && access(host_path((src + ext).c_str()).c_str(), F_OK) == 0)
            lost = s;
    }
    if (cp_wav(src, dir) != 0 && has_wav(src))
        lost = 1;
    sync3();
    int result = r3 == 3 ? rad_status : (rad_status | r3);
    if (result == 0 && lost != 0)
        result = lost;
    if (result != 0 && !folder) {
        // Half a profile on the stick would pass for a whole one: what came of it goes.
        for (const char* ext : {".rd3", ".rd7", ".rad", ".srd", ".cor", ".kub", ".skub", ".mrk"})
            unlink_device(dir + "/" + target + ext);
        sync3();
    }
    return result;
}

int CRadarData::oCopy(const char* name)
{
    if (!plain_file_name(name))
        return -1;
    std::string full(name);
    size_t dot = full.rfind('.');
    std::string base = dot == std::string::npos ? full : full.substr(0, dot);
    MutexLock lock(lock_dw);
    std::vector<std::string> names;
    if (!list_dir(kExportDir, names))
        return 3000;
    std::string target = base;
    for (int n = 1;; n++) {
        bool taken = false;
        for (const auto& e : names)
            if (strcasecmp(e.c_str(), target.c_str()) == 0)
                taken = true;
        if (!taken)
            break;
        target = base + "_" + std::to_string(n);
    }
    std::string dir = std::string(kExportDir) + "/" + target;
    std::string cmd = "mkdir " + sh_path(dir.c_str());
    run_shell(cmd.c_str());
    int status = cp(std::string(kDataDir) + full, dir);
    int last_copy = 0, last_add = 0;
    if (!full.empty()) {
        std::vector<std::string> entries;
        if (!list_dir(kDataDir, entries))
            return -1;
        for (const auto& e : entries) {
            if (!project_member(e, base))
                continue;
            // A failed profile stays in the result even when later ones succeed.
            if (e.find(".rd7") != std::string::npos) {
                const int r = dCopy(e.c_str(), dir.c_str());
                if (last_copy == 0)
                    last_copy = r;
            } else if (e.find(".add") != std::string::npos) {
                const int r = cp(std::string(kDataDir) + e, dir);
                if (last_add == 0)
                    last_add = r;
            }
        }
    }
    sync3();
    return status + last_copy + last_add;
}

int CRadarData::oDelete(const char* name)
{
    if (!plain_file_name(name))
        return -1;
    std::string full(name);
    size_t dot = full.rfind('.');
    std::string base = dot == std::string::npos ? full : full.substr(0, dot);
    MutexLock lock(lock_dw);
    int r = unlink_device(std::string(kDataDir) + full);
    int last = 0;
    if (!full.empty()) {
        std::vector<std::string> entries;
        if (!list_dir(kDataDir, entries))
            return -1;
        for (const auto& e : entries)
            if (e.find(".rd7") != std::string::npos && project_member(e, base))
                last = dDeleteFiles(e.c_str());
    }
    sync3();
    return r + last;
}

int iCopy(const char* name)
{
    if (!plain_file_name(name) || !name[0])
        return -1;
    MutexLock lock(lock_dw);
    int s = cp(std::string(kDataDir) + name, kExportDir);
    sync3();
    return s;
}

int iDelete(const char* name)
{
    if (!plain_file_name(name) || !name[0])
        return -1;
    MutexLock lock(lock_dw);
    int r = unlink_device(std::string(kDataDir) + name);
    sync3();
    return r;
}
