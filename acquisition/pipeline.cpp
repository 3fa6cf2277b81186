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
int32_t& CAcqSink::restore_base() { return rdr.last_trace_base; }
uint32_t& CAcqSink::restore_last_block() { return stop_last_block; }

int64_t CAcqSink::skipped_steps(int32_t L) const
{
    if (first_trace || triggCond < 1)
        return 0;
    const int64_t d = int64_t(L) - prevL;
    const int64_t dist = d < 0 ? -d : d;
    return dist <= triggCond ? 0 : (dist - 1) / triggCond;
}

int64_t CAcqSink::missed_steps(int32_t L) const
{
    if (first_trace || triggCond < 1)
        return 0;
    const int64_t d = int64_t(L) - prevL;
    const int64_t steps = ((d < 0 ? -d : d) + triggCond / 2) / triggCond; // rounded
    return steps > 1 ? steps - 1 : 0;
}

int CAcqSink::position_line(int32_t trigger_pos, int32_t trace)
{
    // A trace that has no position of its own is placed at its trigger step.
    const bool timed = eep.trig_code == kTrigTime;
    const int r = rdr.rd.srd_add_line(timed ? trigger_pos : int32_t(curTmPosition),
                                      timed ? int32_t(curWhPosition) : trigger_pos, 0, 0, trace);
    return r != 0 && r != 1 ? kElemWriteError : 0;
}

int CAcqSink::fill_gap(int32_t L, double point_interval)
{
    if (eth.block_mode())
        return 0;
    int64_t missing = skipped_steps(L);
    if (missing == 0)
        return 0;
    // A wild position must not fill the disk: never beyond the CU's trace range.
    const int64_t room = int64_t(kMaxCuTraces) - rdr.rd.hd.last_trace;
    if (missing > room)
        missing = room > 0 ? room : 0;
    const int step = L < prevL ? -triggCond : triggCond;
    const int n = eep.samples > DSP_MAX_SAMPLES ? DSP_MAX_SAMPLES : int(eep.samples);
    for (int64_t k = 1; k <= missing; k++) {
        const int64_t pos = prevL + k * step;
        const double distance = double(pos) / triggCond * point_interval;
        if (single_profile()) {
            if (rdr.rd.append_zero_trace(n) != 0)
                return kElemWriteError;
            run_filled_traces++;
            trace_counted();
            if (position_line(int32_t(pos), rdr.rd.hd.last_trace) != 0)
                return kElemWriteError;
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
    const int32_t from = first_trace ? t.position : prevL;
    const int64_t steps = t.restored ? 0 : missed_steps(t.position);
    int r = fill_gap(t.position, point_interval);
    if (r < 0)
        return r;
    prevL = t.position;
    prevWP = distance;
    first_trace = false;
    return store(work_, n, t.cu_trace_number, t.restored, distance, from, t.position, steps);
}

int CAcqSink::store(const int32_t* s, int n, int32_t cu_trace, bool restored, double distance, int32_t from,
                    int32_t to, int64_t skipped)
{
    int32_t number;
    bool own_line = true; // the trace's position line is still to be written
    if (single_profile()) {
        int r;
        if (eth.block_mode()) {
            number = cu_trace + prev_meas_traces;
            const int32_t count = rdr.rd.hd.last_trace;
            // The CU numbers the traces it took: steps skipped beyond the numbers lost on
            // the way are triggers it missed. (Raw mode cannot tell them apart: its zero
            // traces count as blank ones only.)
            const int32_t lost = number > count + 1 ? number - count - 1 : 0;
            if (skipped > lost)
                run_missed_triggers += int(skipped - lost);
            if (number > count + 1 && !restored) {
                // Traces lost on the link stay zero in the file until a restore brings
                // them: each gets its position line now, placed between its neighbours.
                const int32_t holes = number - count - 1;
                run_filled_traces += holes;
                for (int32_t j = 1; j <= holes; j++) {
                    const int32_t pos = int32_t(from + int64_t(to - from) * j / (holes + 1));
                    if (position_line(pos, count + j) != 0)
                        return kElemWriteError;
                }
            } else if (restored && number > count) {
                // Lost at the end of the run and fetched again after the stop: the trace and
                // any lost before it get their lines, at their trigger steps.
                const int32_t n_new = number - count;
                for (int32_t j = 1; j <= n_new; j++) {
                    const int32_t pos = int32_t(from + int64_t(to - from) * j / n_new);
                    if (position_line(pos, count + j) != 0)
                        return kElemWriteError;
                }
                run_filled_traces += n_new - 1;
                own_line = false;
            } else if (number <= count) {
                // A trace lost earlier arrives late: its place and its line exist already.
                if (run_filled_traces > 0)
                    run_filled_traces--;
                own_line = false;
            }
            r = rdr.rd.put_trace(number, s, n);
        } else {
            r = rdr.rd.append_trace(s, n);
            number = rdr.rd.hd.last_trace;
        }
        if (r != 0)
            return kElemWriteError;
    } else {
        // Grid lines keep their own count: the trace count of the profile record.
        if (eth.block_mode()) {
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

    if (single_profile() && !restored && own_line) {
        // A position line that did not reach the disk stops the measurement as a lost trace
        // would: a profile without its positions cannot be placed. (1: the profile has no
        // .srd at all, which its creation reported.)
        if (eep.gps_enabled && rdr.rd.gps.gps_add_pos(rdr.rd.hd.last_trace, mea_date_text) != 0)
            return kElemWriteError;
        const int srd = rdr.rd.srd_add_line(curTmPosition, curWhPosition, int32_t(gps_sec_), gps_ms_, number);
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
