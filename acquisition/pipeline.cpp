#include "acquisition/pipeline.h"

#include "acquisition/acq_state.h"
#include "acquisition/mea_buf.h"
#include "platform/globals.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "dsp/acq_filter.h"
#include "files/radar_data.h"
#include "grid/grid_column.h"
#include "link/ethernet.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool single_profile() { return ProjN != 1; }

void trace_counted()
{
    if (rdr.rd.hd.last_trace == 100)
        ag_autostart = 0;
}

} // namespace

CGridColumn* grid_column = &grid_cells;
char mea_date_text[16] = "2000-01-01";
CAcqSink acq_sink;

void acq_install() { eth.set_sink(&acq_sink); }

bool CAcqSink::measuring() { return acq_running; }
bool CAcqSink::errors_latched() { return mea_errors; }
bool CAcqSink::finished() { return acq_finished; }
char* CAcqSink::restore_name() { return rdr.last_rd7_path; }

int CAcqSink::fill_gap(int32_t L, double point_interval)
{
    if (first_trace || eth.block_mode || triggCond < 1)
        return 0;
    const int64_t d = int64_t(L) - prevL;
    const int64_t dist = d < 0 ? -d : d;
    if (dist <= triggCond)
        return 0;
    int64_t missing = (dist - 1) / triggCond;
    // A wild position must not fill the disk: never beyond the CU's trace range.
    const int64_t room = int64_t(kMaxCuTraces) - rdr.rd.hd.last_trace;
    if (missing > room)
        missing = room > 0 ? room : 0;
    const int step = d < 0 ? -triggCond : triggCond;
    const int n = eep.samples > DSP_MAX_SAMPLES ? DSP_MAX_SAMPLES : int(eep.samples);
    for (int64_t k = 1; k <= missing; k++) {
        const int64_t pos = prevL + k * step;
        const double distance = double(pos) / triggCond * point_interval;
        if (single_profile()) {
            if (rdr.rd.append_zero_trace(n) != 0)
                return kElemWriteError;
            trace_counted();
        } else {
            grid_column->zero_cell(distance);
        }
    }
    return 0;
}

int CAcqSink::trace(const CMeaTrace& t)
{
    int n = t.count;
    if (n > DSP_MAX_SAMPLES)
        n = DSP_MAX_SAMPLES;
    if (n < 0)
        n = 0;
    const double point_interval = eep.step_distance;
    const int tc = triggCond < 1 ? 1 : triggCond;
    const double distance = double(t.position) / tc * point_interval;

    memcpy(work_, t.samples, sizeof(int32_t) * size_t(n));
    DC_Apply(work_, work_);

    // Restored traces come after the stop through block mode, which needs no gap filling.
    int r = fill_gap(t.position, point_interval);
    if (r < 0)
        return r;
    prevL = t.position;
    prevWP = distance;
    first_trace = false;
    return store(work_, n, t.cu_trace_number, t.restored, distance);
}

int CAcqSink::store(const int32_t* s, int n, int32_t cu_trace, bool restored, double distance)
{
    int32_t number;
    if (single_profile()) {
        int r;
        if (eth.block_mode) {
            number = cu_trace + prev_meas_traces;
            r = rdr.rd.put_trace(number, s, n);
        } else {
            r = rdr.rd.append_trace(s, n);
            number = rdr.rd.hd.last_trace;
        }
        if (r != 0)
            return kElemWriteError;
    } else {
        // Grid lines keep their own count: the trace count of the profile record.
        if (eth.block_mode) {
            number = cu_trace + prev_meas_traces;
            if (rdr.rd.hd.last_trace < number)
                rdr.rd.hd.last_trace = number;
        } else {
            number = ++rdr.rd.hd.last_trace;
        }
    }

    {
        MutexLock g(lock_mea_buf);
        if (mea_buf.can_add() && MeasureMode)
            mea_buf.add(number, s, n);
    }
    trace_counted();

    if (!single_profile())
        grid_column->put_cell(distance, s, n);

    if (single_profile() && !restored) {
        // A position line that did not reach the disk stops the measurement as a lost trace
        // would: a profile without its positions cannot be placed. (1: the profile has no
        // .srd at all, which its creation reported.)
        if (eep.gps_enabled && rdr.rd.gps.gps_add_pos(rdr.rd.hd.last_trace, mea_date_text) != 0)
            return kElemWriteError;
        const int srd = rdr.rd.srd_add_line(curTmPosition, curWhPosition, int32_t(gps_sec_), gps_ms_);
        clear_gps_time();
        if (srd != 0 && srd != 1)
            return kElemWriteError;
    }
    {
        MutexLock g(lock1);
        canShow = true;
    }
    return 0;
}

void CAcqSink::wheel_position(int32_t pulses)
{
    MutexLock g(lock1_2);
    curWhPosition = pulses;
    canPShow = true;
}

void CAcqSink::time_position(int32_t ms)
{
    MutexLock g(lock1_2);
    curTmPosition = prev_meas_time + ms;
    canPShow = true;
}

void CAcqSink::gps_text(const char* text, size_t len)
{
    if (!eep.gps_enabled || !single_profile())
        return;
    if (len > sizeof gps.gps_buf - 1) {
        printf("gps_buf tries to be overflowed! (%d)\n", int(len));
        return;
    }
    MutexLock g(lock_gps);
    memcpy(gps.gps_buf, text, len);
    gps.gps_buf[len] = 0;
}

void CAcqSink::gps_time(uint32_t seconds, uint16_t ms)
{
    if (!eep.gps_enabled || !single_profile())
        return;
    gps_sec_ = seconds;
    gps_ms_ = ms;
}
