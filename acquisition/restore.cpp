// After a measurement that the CU also recorded on its memory card: the blocks that never
// reached the monitor are requested again, range by range, and their traces run through the
// per-trace pipeline into their places in the data file.
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/descriptors.h"
#include "acquisition/restore_plan.h"
#include "platform/globals.h"
#include "cu/driver.h"
#include "gui/input.h"
#include "link/ethernet.h"

#include <SDL/SDL.h>
#include <cstdio>

namespace {

bool enter_pressed()
{
    SDL_Event e;
    bool enter = false;
    while (gui_poll_event(&e))
        if (e.type == SDL_KEYDOWN &&
            (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER))
            enter = true;
    return enter;
}


} // namespace

int restore_missed_blocks()
{
    const int n = CEthernet::blocks_per_trace();
    clear_error_flags();
    mea_errors = false;
    int halt = 0;
    {
        // Resent blocks are numbered blocks whatever the caller left.
        const CEthernet::NumberedBlocks numbered(eth);
        int retries = 0;
        bool notice_shown = false;
        // Blocks run_from .. fetched_to came in this restore as one unbroken sequence (0: none).
        // The margins of neighbouring ranges overlap: a range that starts inside the sequence goes
        // on from its end, with the link's ring still holding the trace in assembly there, and a
        // range wholly inside it is already fetched. No block is asked for twice.
        int32_t run_from = 0, fetched_to = 0;
        for (int k = 0; k < kMissedCount && halt == 0; k++) {
            const CMissedBlock e = eth.missed_entry(k);
            if (e.first == -1)
                continue;
            const MissedRange range = missed_request_range(e.first, e.last, n, int32_t(stop_last_block));
            const bool in_run = fetched_to > 0 && range.from >= run_from && range.from <= fetched_to + 1;
            if (in_run && range.to <= fetched_to) {
                eth.missed_done(k, e);
                continue;
            }
            int32_t from = range.from;
            if (in_run) {
                from = fetched_to + 1;
            } else {
                // The resent blocks start at `from`: taken as in sequence, so that the blocks
                // before it are not taken for a new gap in the table.
                eth.expect_resent_from(range.from);
                run_from = range.from;
            }
            keyb_wait();
            bool gave_up = false;
            int r = 0;
            while (from <= range.to) {
                const int count = missed_request_size(from, range.to);
                if (!notice_shown && count > 10) {
                    mesmode("Missed traces are being uploaded now.", "Press any button to force Stop!",
                            false, -1);
                    keyb_wait();
                    notice_shown = true;
                }
                if (enter_pressed()) {
                    r = -101;
                    break;
                }
                {
                    MutexLock g(lock_dw);
                    r = gpr.GetMissedBlock(from, count);
                }
                SDL_Delay(3);
                if (r == kNoAnswer || (r == 0 && eth.resent_blocks() < count)) {
                    printf("No answer on 212 command (%d)!\n", retries);
                    if (++retries > 5) {
                        gave_up = true;
                        r = kNoAnswer;
                        break;
                    }
                    continue;
                }
                if (r != 0) {
                    printf("Error getting missed blocks after stop (%d)\n", r);
                    gave_up = true;
                    if (r != 1)
                        break;
                }
                const int res = consume_descriptors(false);
                if (res < 0) {
                    printf("GetMeaData() error after stop (%d)\n", res);
                    return res;
                }
                fetched_to = from + count - 1;
                from += kMaxBlocksPerRequest;
            }
            if (gave_up)
                fetched_to = 0; // the sequence is broken: the next range starts afresh
            if (r != 0 && r != 1) {
                printf("Halt take traces (%d)\n", r);
                halt = r;
                break;
            }
            if (!gave_up)
                eth.missed_done(k, e);
        }
    }
    if (halt == -101)
        return -101;
    if (halt == kNoAnswer) {
        mesmode("Too many missed commands! Restore via wire.", "", false, 0);
        return halt;
    }
    if (halt != 0) {
        char text[64];
        snprintf(text, sizeof text, "Missed traces uploading error (%d)", halt);
        mesmode(text, "", false, 0);
        return halt;
    }
    if (eth.missed_pending()) {
        mesmode("Restorintg is not completed!", "", false, 0);
        return 0;
    }
    mesmode("All missed blocks are restored!", "", false, 0);
    return -333;
}
