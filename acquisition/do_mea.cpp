#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/display_seam.h"
#include "acquisition/do_mea.h"
#include "acquisition/mea_buf.h"
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "link/ethernet.h"

namespace {

// Trace position of the horizontal ruler, read under the lock the wheel position is
// written under.
int ruler_trace()
{
    MutexLock g(lock1_2);
    return current_trigger_trace();
}

} // namespace

bool doMea()
{
    if (eth.check_mea_errors() != 0 || any_error_flag()) {
        MStop(0);
        show_errors();
        return false;
    }
    int added = 0;
    bool full = false, got = false;
    if (canShow) {
        {
            MutexLock g(lock1);
            canShow = false;
        }
        MutexLock g(lock_mea_buf);
        got = mea_buf.count > 0;
        added = move_queue_to_store(mea_buf, rdr.prof, mea_display->width(), eep.samples, full);
        shown_traces = rdr.rd.hd.last_trace;
    }
    if (got) {
        const bool alert = mea_display->take_alert();
        mea_display->columns(added, full);
        if (mode == 3 || mode == 8) {
            mea_display->ruler(ruler_trace(), alert);
        }
    }
    rdr.rd.flush_data();
    if (!got && (mode == 3 || mode == 8) && mea_display->take_alert())
        mea_display->ruler(ruler_trace(), false);
    return true;
}
