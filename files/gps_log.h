// GPS logs: the profile's ".cor" (one line per stored trace that follows a fresh fix) and
// the positioning test's ".crn" with its raw companion ".kbn".
//
// Lines are flushed as they are written, so a profile cut off by a power loss keeps every
// position logged before.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>

// A copy of the current fix (the GPS reader keeps it in globals under lock3).
struct GpsFix {
    char time[32];
    char lat[32];
    char lat_ch;
    char lon[32];
    char lon_ch;
    char alt[32];
    char alt_ch;
    int quality;   // gps_qi
    int synctime;  // gps_synctime, ms within the hour
};

// The current fix, copied under lock3.
void gps_fix_snapshot(GpsFix* fix);

class CGPS_Set {
public:
    char path[100] = {};                 // device path of the .cor
    char test_name[100] = "TEST_GPS_";   // base name of the test log in /mnt/hda1/
    std::atomic<int> new_fix{0};         // set by the GPS reader for each fresh fix
    int test_log = 0;                    // the test log is open
    FILE* stream = nullptr;              // .cor or .crn, null when closed
    int raw_fd = -1;                     // .kbn, -1 when closed
    int period = 1;                      // test logging period, seconds

    CGPS_Set() = default;
    ~CGPS_Set();
    CGPS_Set(const CGPS_Set&) = delete;
    CGPS_Set& operator=(const CGPS_Set&) = delete;

    // Mode 0: creates the .cor. Mode 1: creates the test log .crn and its raw .kbn.
    // 0; 1 when the text file cannot be created; 3 when the raw file cannot.
    int gps_Create(int mode);
    // Reopens the .cor for appending: 0 or 5.
    int gps_COpen();
    void gps_Close();

    // One .cor line for the trace just stored, when a fresh fix is there (else 0, nothing
    // written). 6 when no log is open or the line was not written whole, else 0.
    int gps_add_pos(int trace, const char* date_text);
    int gps_add_pos(int trace, const char* date_text, const GpsFix& fix);
    // One .crn line: monitor date and clock texts, then the fix. 6 when no log is open or
    // the line was not written whole, else 0. Clears the new-fix flag.
    int gps_add_test_pos(const char* date_text, const char* clock_text, const char* time,
                         const char* lat, char lat_ch, const char* lon, char lon_ch,
                         const char* alt, char alt_ch, const char* hdop, int quality);
    // Raw GPS bytes into the .kbn: 0, or 6.
    int gps_add_raw(const void* data, size_t len);
    // The trace a fix belongs to: the trace itself.
    int get_sync_trace(int sync_time, int trace) const { return trace; }

private:
    void open_stream(const char* device_path, const char* mode);
    // Writes the .cor line of a claimed fix.
    int write_pos(int trace, const char* date_text, const GpsFix& fix);
    char buf_[512]; // the stream's own buffer: no allocation on the acquisition thread
    // The streams' own lock, not lock_dw: the acquisition thread writes .cor lines and must
    // not wait behind the GUI's CU exchanges and syncs.
    std::recursive_mutex files_;
};
