// MStart and MStop: configuring the CU's trigger and starting a measurement, and ending it
// (CU stopped, the last traces drained, missed traces handled, header written, file closed).
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/descriptors.h"
#include "acquisition/mea_buf.h"
#include "acquisition/pipeline.h"
#include "platform/globals.h"
#include "platform/termination.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "files/keylines.h"
#include "files/radar_data.h"
#include "gui/input.h"
#include "link/ethernet.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

int noise_stacks = 1; // stack count of the noise test: 1 for a new profile, doubled on continue

// Enter pressed since the last look (GUI thread; other events are discarded).
bool enter_pressed()
{
    SDL_Event e;
    bool enter = false;
    while (gui_poll_event(&e))
        if (e.type == SDL_KEYDOWN && (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER))
            enter = true;
    return enter;
}

void read_date_text()
{
    time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    snprintf(mea_date_text, sizeof mea_date_text, "%4d-%02d-%02d", (t.tm_year + 1900) % 10000,
             (t.tm_mon + 1) % 100, t.tm_mday % 100);
}

// Waits until the traces the CU sent before its stop have been consumed: in block mode until
// the newest queued block reaches the CU's last block, in raw mode until no descriptor came
// for 150 ms; never longer than 3 s, and not at all once an error froze the processing.
void drain(uint32_t cu_last_block)
{
    const Uint32 start = SDL_GetTicks();
    Uint32 quiet_since = start;
    uint32_t seen = ~0u;
    for (;;) {
        if (mea_errors)
            return;
        const uint32_t w = eth.queued_descriptors();
        const Uint32 now = SDL_GetTicks();
        if (w != seen) {
            seen = w;
            quiet_since = now;
        }
        const bool consumed = eth.all_consumed(); // Collect marks each batch consumed
        if (consumed && eth.block_mode() && cu_last_block > 0 &&
            uint32_t(eth.newest_block()) >= cu_last_block)
            return;
        if (consumed && now - quiet_since >= 150)
            return;
        if (now - start > 3000)
            return;
        SDL_Delay(1);
    }
}

} // namespace

int MStart()
{
    if (MeasureMode)
        return 0;
    first_trace = true; // the pipeline takes the first trace's position as its own start
    ag_autostart = 0;
    acq_finished = false;
    read_date_text();
    {
        // Before lock_dw: the GPS reader of the timer holds lock_gps while it takes lock_dw.
        MutexLock g(lock_gps);
        gps.gps_buf[0] = 0;
    }

    SDL_mutexP(lock_dw);
    clear_error_flags();
    mea_errors = false;
    eep.set_gl_mea_dir(xml_pars.measurement_direction);
    gpr.SetTriggMode(-1, 0, eep.screen_opt1);

    const bool time_trigger = eep.trig_code == kTrigTime;
    const bool keyboard = eep.trig_code == kTrigKeyboard;
    const short wheel = xml_pars.current_wheel;
    if (time_trigger) {
        gpr.SetTriggSrc(-1, 'W', 16);
        gpr.SetMeasDir(-1, 1);
        gpr.SetTriggSrc(-1, 'T', 0);
    } else {
        gpr.SetTriggSrc(-1, 'W', wheel);
        gpr.SetMeasDir(-1, gl_mea_dir);
        gpr.EnableWheel(wheel);
    }

    triggCond = compute_trigg_cond();
    gpr.SetTriggCond(1, triggCond);
    puts("mstart 1");
    gpr.SetTimePos(1, 0);

    const bool continuing = ProjN != 1 && cont_meas;
    if (!continuing) {
        prev_meas_time = 0;
        curTmPosition = 0;
        gpr.SetWheelPos(wheel, 1, 0);
        curWhPosition = 0;
        shown_traces = 0;
        noise_stacks = 1;
    } else {
        noise_stacks *= 2;
        const int traces = rdr.rd.hd.last_trace;
        if (time_trigger) {
            prev_meas_time = traces * triggCond;
            curTmPosition = prev_meas_time;
            curWhPosition = gpr.GetWheelPos(wheel);
        } else {
            prev_meas_time = 0;
            curTmPosition = 0;
            const int32_t from = traces * triggCond * gl_mea_dir;
            curWhPosition = from;
            gpr.SetWheelPos(wheel, 1, from);
        }
    }

    puts("mstart 2");
    eth.reset_for_measurement();
    if (continuing && eth.mt_DeleteFiles() == 0)
        // The CU numbers blocks and traces from 1 again and records this run afresh: the
        // earlier run's table would fetch this run's blocks into the earlier traces' places,
        // and its flags would refuse this run's traces of the same numbers.
        puts("continue: the missed traces of the earlier run can no longer be fetched");
    if (ProjN != 1) {
        // The missed-block state saved at the stop names this profile and its base.
        copy_text(rdr.last_rd7_path, sizeof rdr.last_rd7_path, rdr.rd.rd7_path);
        rdr.last_trace_base = prev_meas_traces;
    }
    tot_missed_traces = 0;
    run_missed_triggers = 0;
    run_filled_traces = 0;
    tot_missed_traces_CU = -1;
    {
        MutexLock g(lock_mea_buf);
        mea_buf.clear();
    }
    acq_sink.clear_gps_time();

    if (keyboard) {
        acq_running = true;
        MeasureMode = true;
        SDL_mutexV(lock_dw);
        return 0;
    }

    puts("mstart 3");
    if (noise_test_mode)
        gpr.SetAutoStacks(0, uint16_t(noise_stacks));
    else
        gpr.SetAutoStacks(eep.auto_stacks, uint16_t(eep.auto_stack_value));
    gpr.Set_SRAM(prm.request_missed ? 1 : 0);
    puts("mstart 4");

    if (prm.udp_mode)
        eth.set_block_mode(true);
    acq_running = true;
    MeasureMode = true;
    last_trace_on_screen = prev_meas_traces;
    const int res = gpr.m_Start();
    if (res < 1000) {
        puts("mstart 5");
    } else {
        gpr.mStop(nullptr, nullptr, nullptr);
        MeasureMode = false;
        acq_running = false;
        eth.set_block_mode(false);
    }
    SDL_mutexV(lock_dw);
    return res;
}

namespace {


// Traces 1..tot_traces that never arrived.
int count_missed_traces()
{
    int n = 0;
    for (int t = 1; t <= tot_traces; t++)
        if (!eth.trace_arrived(t < kTraceFlagCount ? t : 0))
            n++;
    return n;
}

// Card recording: the missed blocks are fetched again, or their table is saved so that a
// later continue can fetch them.
void handle_missed(int restore, int stop_result)
{
    if (!restore) {
        eth.mt_CreateFiles();
        return;
    }
    SDL_Delay(1000);
    bool cu_on;
    {
        MutexLock g(lock_cuOn);
        cu_on = pisOn;
    }
    if (!cu_on) {
        eth.mt_CreateFiles();
        return;
    }
    tot_missed_traces = count_missed_traces();
    printf("missed traces: %d (CU: %d)\n", tot_missed_traces, tot_missed_traces_CU);
    // Every CU trace number we never received is on the card. The CU's own count is of
    // triggers it never turned into traces, so it cannot excuse a trace we lost.
    if (stop_result != 0 || tot_missed_traces > 0) {
        SDL_Delay(1000);
        if (restore_missed_blocks() != -333)
            eth.mt_CreateFiles();
        else
            eth.mt_DeleteFiles(); // nothing left to fetch: no stale table for a continue
    }
}

} // namespace

int MStop(int restore)
{
    if (!MeasureMode) {
        canShow = false;
        canPShow = false;
        return 0;
    }
    after_measurement = true;
    MeasureMode = false;
    const bool keyboard = eep.trig_code == kTrigKeyboard;
    int stop_result = 0;
    if (!keyboard) {
        uint32_t last_block = 0, last_trace = 0;
        int cu_missed = -1;
        {
            MutexLock g(lock_dw);
            stop_result = gpr.mStop(&last_block, &last_trace, &cu_missed);
        }
        if (prm.restore_missed && stop_result != 0) {
            mesmode("There is no contact with the antenna.",
                    "Wait for contact or press any button to force Stop!", false, -1);
            keyb_wait();
            // A power-off by signal must not wait for a CU that is gone.
            while (stop_result != 0 && !enter_pressed() && !termination_requested()) {
                MutexLock g(lock_dw);
                stop_result = gpr.mStop(&last_block, &last_trace, &cu_missed);
            }
        }
        printf("Stop: my last block: %d; last block: %d; last trace: %d\n",
               int(eth.newest_block()), int(last_block), int(last_trace));
        tot_traces = last_trace > uint32_t(kMaxCuTraces) ? kMaxCuTraces : int(last_trace);
        if (stop_result == 0) {
            tot_missed_traces_CU = cu_missed;
            stop_last_block = last_block;
            prm.last_block = last_block;
        }
        SDL_Delay(100);
        drain(stop_result == 0 ? last_block : 0);
    }
    acq_running = false;
    acq_finished = true;
    while (inMeasurement)
        SDL_Delay(1);

    {
        MutexLock g(lock_mea_buf);
        mea_buf.clear();
    }
    if (noise_test_mode) {
        const int end = rdr.prof.end;
        Amplitude_Variation_Within_Cursors(end - 10, end, 0, eep.samples);
    }
    after_measurement = false;
    mode = 2;

    if (prm.restore_missed && ProjN != 1 && eth.missed_pending())
        handle_missed(restore, stop_result);

    {
        MutexLock g(lock_dw);
        eth.init_buffers(1);
    }
    if (ProjN == 2 && rdr.pvp.active)
        rdr.pvp.write_pvb();
    if (ProjN != 1) {
        if (rdr.rd.hd.h_write() != 0)
            mesmode("Header write error: flash disk is full",
                    "or try to restart the unit to check file system", false, 0);
        rdr.dClose(false);
    }
    eth.set_block_mode(false);
    canPShow = false;
    canShow = false;
    return 0;
}
