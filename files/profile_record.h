// CRData: the files of the current profile (one in rdr) and the write path of the
// per-trace pipeline.
//
// Trace data ".rd7": no header, traces of SAMPLES little-endian int32 samples; trace k at
// byte k x SAMPLES x 4; the trace count is the file size / (SAMPLES x 4). Every trace is
// written with one positioned write at its own offset, never through the shared file
// position, so a reader (pRead on the GUI thread) and the writer do not disturb each other,
// and a process killed at any moment leaves every trace written before it on disk (at
// worst a partial last trace, which readers do not count and continuing cuts off).
//
// Position log ".srd": "#Version: 2", a column heading, then one line per stored trace.
// The stream is line-buffered: each line reaches the file when it is written.
#pragma once

#include "dsp/trace.h"
#include "files/gps_log.h"
#include "files/header.h"
#include "files/markers.h"

#include <cstdint>
#include <cstdio>
#include <mutex>


// Display counters shared with the acquisition engine: traces already on screen, and traces
// of earlier measurements of a continued profile.
extern int shown_traces;
extern int prev_meas_traces;

class CRData {
public:
    Header hd;                   // hd.last_trace is the profile's trace count
    CMarkers mrk;
    char rd3_path[kPathSize] = {};
    char rd7_path[kPathSize] = {};
    char rd7_name[kPathSize] = {}; // base name + ".rd7"
    char srd_path[kPathSize] = {};
    int fd = -1;                 // .rd7 descriptor, -1 when closed
    FILE* srd = nullptr;         // .srd stream, null when closed
    CGPS_Set gps;                // the profile's .cor

    CRData() = default;
    ~CRData();
    CRData(const CRData&) = delete;
    CRData& operator=(const CRData&) = delete;

    // New profile: trace count and display counters 0, .rd7 created empty, .srd created with
    // its two heading lines. 0; 3 data file not created; 1 .srd not created.
    int p_Create();
    // Continue: 5 (block samples below 100 or no current profile), -3 (header samples not
    // 1..2048, or the data file already open), 3 (data file cannot be opened), 1 (.srd
    // cannot be opened; traces may still be appended), 0.
    int p_COpen(const char* current_name);
    // Open for reading: 0; -1 header unreadable; -2 samples of 2048 or more (or negative);
    // -3 samples 0 or the data file cannot be opened; 3 the data file is empty; 5 its size
    // cannot be taken.
    int p_Open();
    void p_Close();

    // ---- Write path of the per-trace pipeline (acquisition thread). Each call takes the
    // record's own file lock, never lock_dw: the GUI holds lock_dw through CU exchanges,
    // header writes and syncs, and the writer must not wait behind them. Opening and closing
    // take the same lock (their callers hold lock_dw as well). Nothing is allocated; each call
    // returns at once.

    // Appends one trace of n samples (n = the block's samples, 1..2048) as trace number
    // count + 1 and raises the trace count. 0, or -2 when it was not written whole (the
    // trace count is then unchanged) or no data file is open.
    int append_trace(const int32_t* samples, int n);
    // A zero trace (gap filling); as append_trace.
    int append_zero_trace(int n);
    // Block mode: stores trace `number` (1-based) at its own place and raises the trace count
    // to it when lower. 0, or -2.
    int put_trace(int32_t number, const int32_t* samples, int n);
    // One .srd line "%d\t%d\t%d\t\t%10d\t%3d": CU time stamp, wheel position, trace number
    // (`trace`, or the trace count when negative), GPS seconds and milliseconds. 0; 1 when
    // no .srd is open (nothing written); 6 when it was not written whole.
    int srd_add_line(int32_t cu_time, int32_t wheel_pos, int32_t gps_sec, int32_t gps_ms, int32_t trace = -1);
    // Pushes the written traces to the disk (fdatasync, on a duplicate of the descriptor and
    // outside every lock, so the writer goes on meanwhile). 0 or -1.
    int flush_data();

    // Reads trace `index` (0-based, hd.samples samples) with one positioned read; the number
    // of bytes read, or -1.
    long read_trace(int32_t index, int32_t* out) const;
    bool data_open() const { return fd >= 0; }
    // The data file is open for recording (created or continued), not only for viewing.
    bool recording() const;

private:
    int write_at(int64_t offset, const int32_t* samples, int n);
    void open_srd(const char* mode);
    std::recursive_mutex files_; // fd, srd and the trace count of the write path
    int32_t zero_[DSP_MAX_SAMPLES] = {};
    char srd_buf_[512]; // the stream's own buffer: no allocation on the first line
};
