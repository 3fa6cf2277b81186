#include "projects/pv_project.h"

#include "platform/globals.h"
#include "config/parameters.h"
#include "files/disk.h"
#include "files/keylines.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int om_start = 0;
float last_del = 0;
int last_ang_del = 0;

namespace {

constexpr size_t kPvbLineMax = 250; // longest line of a project file
constexpr size_t kPathBytes = 160;

// Base name of a data-directory entry that may claim a project name: the part before the
// first '.' of a ".pvb", and of a ".rd7" without its four-digit profile counter.
std::string claimed_name(const char* entry)
{
    const bool pvb = strstr(entry, ".pvb") != nullptr;
    const bool rd7 = strstr(entry, ".rd7") != nullptr;
    if (!pvb && !rd7)
        return "";
    std::string base(entry, strcspn(entry, "."));
    if (rd7 && !pvb)
        return base.size() >= 4 ? base.substr(0, base.size() - 4) : "";
    return base;
}

bool profile_data_exists(const char* profile)
{
    if (!plain_file_name(profile) || !profile[0])
        return false;
    struct stat st;
    return stat(host_path((std::string(kDataDir) + profile + ".rd7").c_str()).c_str(), &st) == 0;
}

} // namespace

bool pvn_is_correct(const char* name) { return strncmp(name, "DAT_", 4) != 0; }

void pv_pad_name(char* out, size_t cap, const char* in)
{
    copy_text(out, cap, in);
    for (size_t n = strlen(out); n < 4 && n + 1 < cap; n++) {
        out[n] = '_';
        out[n + 1] = 0;
    }
}

void CPVProject::reset()
{
    version = 1;
    copy_text(name, sizeof name, "PVP_");
    start_x = start_y = stop_y = 0;
    stop_x = 1.0;
    profiles.clear();
}

void CPVProject::file_path(char* out, size_t cap) const
{
    snprintf(out, cap, "%s%s.pvb", kDataDir, name);
}

int CPVProject::Start()
{
    {
        MutexLock g(lock_dw);
        DIR* d = opendir(host_path(kDataDir).c_str());
        if (!d)
            return 3;
        bool taken = false;
        while (struct dirent* e = readdir(d))
            if (claimed_name(e->d_name) == name)
                taken = true;
        closedir(d);
        if (taken)
            return 2;
    }
    profiles.clear();
    if (write_pvb() != 0)
        return 1;
    active = true;
    return 0;
}

int CPVProject::Continue()
{
    // A project whose file cannot be read is not continued: its Stop would write it empty.
    const int r = read_pvb();
    active = r == 0;
    return r;
}

void CPVProject::Stop()
{
    if (!active)
        return;
    active = false;
    write_pvb();
    puts("PVP stopped");
}

int CPVProject::new_Prof(const char* profile, int number, float x_length, int angle, float dist2base)
{
    if (!active)
        return 1;
    (void)number; // the counter is part of the name
    if (profiles.size() < kMaxProfiles) {
        auto p = std::make_unique<CPVProfile>();
        copy_text(p->name, sizeof p->name, profile);
        p->X_LENGTH = x_length;
        p->X_ANGLE = angle;
        p->X_DIST2BASE = dist2base;
        profiles.push_back(std::move(p));
    }
    write_pvb();
    return 0;
}

int CPVProject::new_Marker(float x_length, int angle, float dist2base)
{
    if (!active || profiles.empty())
        return 1;
    CPVProfile& p = *profiles.back();
    p.X_LENGTH = x_length;
    p.X_ANGLE = angle;
    p.X_DIST2BASE = dist2base;
    write_pvb();
    return 0;
}

int CPVProject::write_pvb()
{
    MutexLock g(lock_dw);
    const int r = write_unlocked();
    run_shell("sync");
    return r;
}

int CPVProject::write_unlocked()
{
    if (!plain_file_name(name) || !name[0])
        return 1;
    char path[kPathBytes];
    file_path(path, sizeof path);
    const std::string final_path = host_path(path);
    // Written beside the file under a name the file manager does not list, then renamed over it.
    const std::string tmp = final_path.substr(0, final_path.size() - 4) + ".pv~";
    FILE* f = fopen(tmp.c_str(), "wb");
    if (!f)
        return 1;
    fprintf(f, "VERSION:%d\r\n", version);
    if (version != 2) {
        fprintf(f, "NUMBER_OF_BASELINES:1\r\n");
        fprintf(f, "BASELINE:1\r\n");
        fprintf(f, "START_X:%15.3f\r\n", start_x);
        fprintf(f, "START_Y:%15.3f\r\n", start_y);
        fprintf(f, "STOP_X:%15.3f\r\n", stop_x);
        fprintf(f, "STOP_Y:%15.3f\r\n", stop_y);
    }
    fprintf(f, "NUMBER_OF_PROFILES:%5d\r\n", int(profiles.size()));
    for (const auto& p : profiles) {
        fprintf(f, "%s\r\n", p->name);
        if (version != 2) {
            fprintf(f, "X_LENGTH:%10.4f\r\n", double(p->X_LENGTH));
            fprintf(f, "X_ANGLE:%3d\r\n", p->X_ANGLE);
            fprintf(f, "X_DIST2BASE:%10.4f\r\n", double(p->X_DIST2BASE));
        }
    }
    const bool written = fflush(f) == 0 && fsync(fileno(f)) == 0;
    if (fclose(f) != 0 || !written || rename(tmp.c_str(), final_path.c_str()) != 0) {
        unlink(tmp.c_str());
        return 1;
    }
    return 0;
}

int CPVProject::read_pvb()
{
    MutexLock g(lock_dw);
    return read_unlocked();
}

int CPVProject::read_unlocked()
{
    profiles.clear();
    if (!plain_file_name(name) || !name[0])
        return 1;
    char path[kPathBytes];
    file_path(path, sizeof path);
    FILE* f = fopen(host_path(path).c_str(), "rb");
    if (!f)
        return 1;
    char line[kPvbLineMax + 1];
    // Each line read is used only when it was whole: a longer line ends the file's sound part.
    auto next = [&] { return read_key_line(f, line, sizeof line, kPvbLineMax) == kLineRead; };
    if (next()) {
        printf("rpvb1: %s\n", line);
        int v = version;
        ReadTParameter(line, "VERSION:", v);
        version = v == 2 ? 2 : 1;
        bool sound = true;
        if (version == 1) {
            while ((sound = next()) && !key_matches(line, "BASELINE:")) {
            }
            const struct {
                const char* key;
                double* value;
            } corners[] = {{"START_X:", &start_x}, {"START_Y:", &start_y}, {"STOP_X:", &stop_x}, {"STOP_Y:", &stop_y}};
            for (const auto& c : corners)
                if (sound && (sound = next()))
                    ReadTParameter(line, c.key, *c.value);
        }
        if (sound)
            sound = next(); // NUMBER_OF_PROFILES: the list itself says how many
        float x_length = 0, dist2base = 0;
        int angle = 0;
        while (sound && next() && profiles.size() < kMaxProfiles) {
            printf("rpvb2: %s\n", line);
            auto p = std::make_unique<CPVProfile>();
            snprintf(p->name, sizeof p->name, "%.8s", line);
            if (version == 1) {
                if ((sound = next()))
                    ReadTParameter(line, "X_LENGTH:", x_length);
                if (sound && (sound = next()))
                    ReadTParameter(line, "X_ANGLE:", angle);
                if (sound && (sound = next()))
                    ReadTParameter(line, "X_DIST2BASE:", dist2base);
                p->X_LENGTH = x_length;
                p->X_ANGLE = angle;
                p->X_DIST2BASE = dist2base;
            }
            if (p->name[0])
                profiles.push_back(std::move(p));
        }
    }
    fclose(f);
    return 0;
}

int CPVProject::Clear_proj_file(const char* file)
{
    char saved[kNameSize];
    copy_text(saved, sizeof saved, name);
    const size_t n = strcspn(file, ".");
    snprintf(name, sizeof name, "%.*s", int(n < kNameSize ? n : kNameSize - 1), file);
    int r = 1;
    if (plain_file_name(name) && name[0]) {
        MutexLock g(lock_dw);
        r = read_unlocked();
        if (r == 0) {
            size_t kept = 0;
            for (auto& p : profiles)
                if (profile_data_exists(p->name))
                    profiles[kept++] = std::move(p);
            profiles.resize(kept);
            r = write_unlocked();
            run_shell("sync");
        }
    }
    copy_text(name, sizeof name, saved);
    return r;
}

void CPVProject::save_pars()
{
    copy_text(prm.pv_project_name, sizeof prm.pv_project_name, name);
    printf("save_pars %s\n", name);
    prm.p_write();
}
