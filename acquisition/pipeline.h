// The per-trace pipeline: what happens to each trace GetMeaData decodes (the acquisition
// side of the link's CMeaSink seam). On the acquisition thread while measuring, on the GUI
// thread while missed blocks are restored after a stop; never both at once.
//
// For each trace: DC removal, gap filling (raw mode), the data file (appended, or written
// at its own place in block mode), the display queue, the grid column, the GPS log and the
// position log. Nothing is allocated per trace: the work trace lives in the sink.
#pragma once

#include "dsp/trace.h"
#include "link/mea_sink.h"

#include <cstddef>
#include <cstdint>

// Where a grid project's traces go (the grid cube fills it in). Distances are in metres
// along the line; samples are the filtered 32-bit trace. The default discards them.
class CGridColumn {
public:
    virtual ~CGridColumn() {}
    // A skipped trigger step: the cell at `distance` is zeroed and marked filled (or the
    // end of the line is flagged when the distance lies beyond it).
    virtual void zero_cell(double distance) {}
    // One trace: the cell at `distance` receives sample / 65536 and is marked filled.
    virtual void put_cell(double distance, const int32_t* samples, int n) {}
};
extern CGridColumn* grid_column; // never null

// The monitor's date text ("%4d-%02d-%02d") written into the .cor lines; read from the clock
// at each start.
extern char mea_date_text[16];

class CAcqSink : public CMeaSink {
public:
    bool measuring() override;
    bool errors_latched() override;
    bool finished() override;
    int trace(const CMeaTrace& t) override;
    void wheel_position(int32_t pulses) override;
    void time_position(int32_t ms) override;
    void gps_text(const char* text, size_t len) override;
    void gps_time(uint32_t seconds, uint16_t ms) override;
    char* restore_name() override;
    int32_t& restore_base() override;
    uint32_t& restore_last_block() override;

    // Trigger steps strictly between prevL and L (none for the first trace of a run).
    int64_t skipped_steps(int32_t L) const;
    // Triggers the CU missed before L: the distance from prevL in whole steps, rounded (a
    // trace fired a pulse or a millisecond late is no missed trigger), less one.
    int64_t missed_steps(int32_t L) const;
    // Raw mode: a zero trace, with its position line, for every skipped trigger step. 0, or
    // -2 when a zero trace could not be written.
    int fill_gap(int32_t L, double point_interval);
    void clear_gps_time() { gps_sec_ = 0; gps_ms_ = 0; }

private:
    // Stores one trace; from/to are the trigger positions of the previous and this trace,
    // `skipped` the trigger steps missed between them (missed_steps).
    int store(const int32_t* s, int n, int32_t cu_trace, bool restored, double distance, int32_t from, int32_t to,
              int64_t skipped);
    // The position line of a trace stored without its own positions, at trigger position
    // `trigger_pos`. 0 or -2.
    int position_line(int32_t trigger_pos, int32_t trace);
    int32_t work_[DSP_MAX_SAMPLES];
    uint32_t gps_sec_ = 0;
    uint16_t gps_ms_ = 0;
};

extern CAcqSink acq_sink;

// Hands the acquisition side to the link (before the receiving thread starts).
void acq_install();
