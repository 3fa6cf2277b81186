// Baseline-crossing (Plavik) projects: a series of wheel profiles that cross one baseline,
// with where each profile crossed it, kept in the project file "/mnt/hda1/<name>.pvb" that
// desktop software reads to place the profiles on a map.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// One recorded profile of the project and its crossing of the baseline.
class CPVProfile {
public:
    char name[100] = {};       // profile base name (project name + "%04d")
    float X_LENGTH = 0;        // metres from the profile's start to the crossing
    int32_t X_ANGLE = 0;       // degrees 0..359 from the profile direction to the baseline start
    float X_DIST2BASE = 0;     // metres from the crossing to the baseline start
};

class CPVProject {
public:
    static constexpr size_t kNameSize = 100;
    // A project file with more profiles is read up to here: the profile counter of the
    // names has four digits.
    static constexpr size_t kMaxProfiles = 9999;

    int32_t version = 1;              // 1 baseline by coordinates, 2 GPS positioning
    char name[kNameSize] = "PVP_";    // four characters, shorter names padded with '_'
    double start_x = 0, start_y = 0, stop_x = 1.0, stop_y = 0; // baseline, metres
    std::vector<std::unique_ptr<CPVProfile>> profiles;
    bool active = false;              // profiles and crossings are recorded only while set

    // Name, baseline and version back to the defaults of a new project; no profiles.
    void reset();
    // New project: 0 ok, 1 the file cannot be written, 2 the name is used by a project or a
    // profile on the disk, 3 the data directory cannot be read.
    int Start();
    // Continues the current project from its file: the result of read_pvb.
    int Continue();
    // Writes the file and ends the project when one is active.
    void Stop();
    // Appends a profile while active (the file is rewritten, so a power cut keeps it):
    // 0, or 1 when no project is active.
    int new_Prof(const char* profile, int number, float x_length, int angle, float dist2base);
    // The crossing of the profile being recorded (the last one): 0, or 1 without an active
    // project or a profile.
    int new_Marker(float x_length, int angle, float dist2base);
    // Writes the project file (under lock_dw, then "sync"): 0, 1 when it cannot be written.
    // The file is replaced whole: an interrupted write leaves the previous one.
    int write_pvb();
    // Reads the project file (under lock_dw) as far as it is sound: 0, 1 when it cannot be
    // opened.
    int read_pvb();
    // Drops every profile of the project `file` (a name up to its first '.') whose data file
    // is gone and writes the file back; the current project name is kept.
    int Clear_proj_file(const char* file);
    // The project name into the parameter store (the last project is offered next time).
    void save_pars();
    // Device path of the current project's file.
    void file_path(char* out, size_t cap) const;

private:
    int write_unlocked();
    int read_unlocked();
};

// False for a name that begins with "DAT_", the prefix of ordinary profiles.
bool pvn_is_correct(const char* name);
// The project name as stored: `in` padded with '_' to four characters (the name field holds four).
void pv_pad_name(char* out, size_t cap, const char* in);

// State shared by the project screens and the measurement screen.
extern int om_start;       // 1 new project, 2 continued, 0 none
extern float last_del;     // last crossing distance minus the previous one (proposal)
extern int last_ang_del;   // the same for the angle
