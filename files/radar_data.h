// CRadarData (global rdr): the radargram's trace store, the current profile with its files,
// and the operations on stored profiles (create, continue, open, read back, close, export,
// delete).
#pragma once

#include "files/continue_point.h"
#include "files/gps_log.h"
#include "files/profile_record.h"
#include "files/profile_ring.h"
#include "grid/matrix.h"
#include "projects/pv_project.h"

#include <cstdint>

class CRadarData {
public:
    CProfile prof;                      // radargram trace store (3000 x 2048 floats)
    // The measurement display queue CMeaBuf comes here with the acquisition engine.
    char cur_name[kPathSize] = {};      // current base name, empty when no profile is current
    CRData rd;                          // the current profile's files
    CPVProject pvp;                     // the baseline-crossing project
    CMatrix mx;                         // the grid project's cube
    // The KML marker set CGMarkersSet comes here with its subsystem.
    CGPS_Set gps_test;                  // the positioning test's log
    char last_rd7_path[kPathSize] = {}; // the last measured .rd7 (the link's side files name it)
    int32_t last_trace_base = 0;        // traces that .rd7 held before its last measurement
    char next_name[kPathSize] = {};     // base name chosen by the last dDefineName
    CContinuePoint cont_point;          // the continued profile's files at the continue

    CRadarData() = default;
    virtual ~CRadarData();
    CRadarData(const CRadarData&) = delete;
    CRadarData& operator=(const CRadarData&) = delete;

    // Chooses the next base name: prefix (default "DAT_"; while a baseline-crossing project
    // is active, its 4-character name) + the largest number found + 1 as %04d. When 9999 is taken the
    // lowest free number is used instead, so an existing profile is never overwritten.
    // Returns how many profiles with the prefix exist; -1 when the data directory cannot be
    // read; -2 when every number 1..9999 is taken.
    int dDefineName(const char* prefix = nullptr);
    // Makes `name` (cut at its first '.') the current profile and builds every path of its
    // set. 0; -1 (paths cleared) when the name is empty, holds '/' or is too long for them.
    int dSetNames(const char* name);
    // No profile is current: every path of the set and the name are cleared.
    void clear_names();
    // New profile: name, files (.rd7, .srd, .mrk, and .cor when GPS is on). 0, or the code
    // of p_Create (3 data file, 1 .srd) or 3 when no name is free or the data disk has no
    // room for a header and a few traces; on failure no file is left and no profile is
    // current.
    int dCreateFiles(const char* prefix = nullptr);
    // Continues the current profile for appending: the result of p_COpen.
    int dCOpen();
    // Opens a stored profile for viewing (empty name: the current one). 0, a p_Open code,
    // -10 when its header does not fit the antenna parameter block (nothing left open).
    int dOpen(const char* name);
    // A new profile that could not be set up (no room for its header): its files are closed
    // and deleted, and no profile is current.
    void dDiscard();
    // Ends the current profile: files closed (end marker written), sync, header reset,
    // trace store emptied; with clear_name no profile is current afterwards.
    void dClose(bool clear_name);
    // Loads traces of the open profile into the trace store: step 0 reloads `count` traces
    // from `first`; step > 0 scrolls forward, step < 0 back. The number read (negative when
    // scrolling back).
    int pRead(int first, int count, int step);
    // 16-bit export of profile `name` to the device path `target`: every sample's upper 16
    // bits. 0; 2 target not created; a p_Open code; -4 a trace could not be read whole; -10
    // short write. Leaves `name` as the current file set.
    int save_rd3(const char* name, const char* target);

    // File operations (file manager, measurement screens).
    int mea_Del_Files();
    // Restart of the measurement just stopped (its files closed): a continued profile is cut
    // back to its state at the continue and stays current; a profile begun new is deleted and
    // no profile is current. 0, or how many files could not be put back or deleted.
    int mea_Restart();
    int dDeleteFiles(const char* name);
    int dCopy(const char* name, const char* folder);
    int oCopy(const char* name);
    int oDelete(const char* name);

private:
    int32_t trace_buf_[DSP_MAX_SAMPLES] = {};
    int16_t trace16_[DSP_MAX_SAMPLES] = {};
};

extern CRadarData rdr;

// Single files of the data directory.
int iCopy(const char* name);   // to the export folder; shell status
int iDelete(const char* name); // unlink result

// The noise statistic over ring columns first_slot..end_slot-1 and samples
// first_sample..end_sample-1: one entry of peak-to-peak and 95 % level. 0, or -1 for bad
// arguments.
int Amplitude_Variation_Within_Cursors(int first_slot, int end_slot, int first_sample, int end_sample);
constexpr int kAvwcMax = 1000;
extern int avwc_count;
extern int16_t t_VppMax[kAvwcMax];
extern int16_t t_AvWc[kAvwcMax];
extern int avwc_tnum[kAvwcMax];
