// Screen 2: before measuring. The radargram shows the last profile (or nothing); New and
// Cont start screen 3, par the parameter screens, fs the full-screen view, Tools the tools
// list of the stored profile (its migration shown until the view moves or the screen is left).
#include "acquisition/acq_state.h"
#include "acquisition/mea_lists.h"
#include "acquisition/mea_profile.h"
#include "acquisition/mea_radargram.h"
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "app/screens.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "grid/profile_migration.h"
#include "gui/button.h"
#include "gui/display_filters.h"
#include "gui/input.h"
#include "gui/list_box.h"
#include "gui/rows.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/trace_store.h"
#include "screens/parameter_screens.h"

#include <SDL/SDL.h>

bool new_meas = true;
bool migration_is_on = false;

namespace {

// Step 3 of the entry: what the radargram starts with, by the screen we came from.
void start_view(CScrBuf* b, int prev)
{
    if (prev == 5 && !new_meas) {
        mS.Init_3_filters();
        return;
    }
    if ((prev == 3 || prev == 8) && !new_meas) {
        if (rdr.dOpen("") == 0) {
            b->first_trace = 0;
            b->datatran(0, true, 0, 2, true); // ends at the profile's last trace
        }
        return;
    }
    if (prev == 12) {
        if (CScrBuf* fs = radargram_of(12))
            b->first_trace = fs->first_trace;
        b->datatran(0, true, 0, 2, false);
        return;
    }
    mS.Init_3_filters();
    close_open_profile();
    b->first_trace = 0;
    b->shown = 0;
    shown_traces = 0;
    b->sbars_init();
}

// The tools of the stored profile: velocity and depth calibration, and the migration when
// the profile was recorded with the wheel (its point interval is the migration's). The zero
// level is the CU's and belongs to screen 3; the hyperbola is not offered here.
void prepare_tools(CScrBuf* b)
{
    data_is_migrated = migration_is_on = false;
    const bool stored = rdr.rd.data_open() && store_trace_count() > 0;
    const bool wheel = stored && rdr.rd.hd.trigger_mode == 0;
    const bool migration = ProjN != 1 && wheel && profile_migration_prepare(b->width, rdr.rd.hd.nominal_interval) == 0;
    if (auto* tools = mS.at<CListBox>(2, meas::kToolsList))
        for (int i = 0; i < meas::kCloseTools; i++)
            tools->SetEnabled(i, i == meas::kSoilVelocity || i == meas::kDepthCalibration ||
                                     (i == meas::kMigration && migration));
    if (auto* button = mS.obj[2][premeas::kTools])
        button->visible = stored ? 1 : 0;
}

} // namespace

int mode_02_pre_meas()
{
    using namespace premeas;
    int prev = mode;
    for (;;) {
        mode = 2;
        const int cu = check_CU_ON();
        if (cu != 0 && cu != -1)
            return cu;
        mode = 2;
        {
            MutexLock g(lock4);
            eep.clear_all_err();
        }
        if (auto* f = mS.at<CSDLText>(2, status::kFile))
            f->SetText8("");
        CScrBuf* b = radargram_of(2);
        tbuf = b;
        b->markers = &rdr.rd.mrk;
        b->markers_on = 1;
        b->hcur_on = 0;
        b->par_Init();
        jump_to_end = false;
        show_display_controls(2);
        start_view(b, prev);
        prepare_tools(b);

        prepare_radargram(b);
        select_row(2);
        CButton* buttons[kLastButton + 1];
        Init_All_Buttons(buttons);
        show_display_controls(2);
        b->datatran(0, false, 0, 2, false);
        mS.Draw();
        mS.DrawObjs(2);
        eep_textinfo();
        if (curbutton[2] == kSlotRadargram)
            curbutton[2] = kNew;
        curbut = curbutton[2];
        curbutDraw();

        for (;;) {
            // Migrated columns go back as soon as the view moves off them.
            const auto undo_when_moved = [b] {
                if (data_is_migrated && b->first_trace != migrated_first_trace())
                    migration_undo(b);
            };
            const int r = next_button(2, [&undo_when_moved] {
                undo_when_moved();
                bool on;
                {
                    MutexLock g(lock_cuOn);
                    on = pisOn;
                }
                if (!on)
                    return false;
                draw_battery();
                add_pos_show();
                return true;
            });
            if (!r)
                return 34;
            undo_when_moved();
            if (r == kTools) {
                if (buttons[kTools])
                    buttons[kTools]->Release();
                tools_list(b);
                continue;
            }
            if (r == kDelMean && data_is_migrated)
                continue; // the flag stays as it is while migrated columns are shown
            if (r == kBack || r == kNew || r == kCont || r == kPars || r == kFull)
                migration_undo(b); // the profile leaves this view as it is stored
            if (r == kBack) {
                close_open_profile();
                return -1;
            }
            if (r == kNew || r == kCont) {
                cont_meas = r == kCont;
                const int m = mode_03_measurement();
                if (m == 34)
                    return 34;
                prev = 3;
                break;
            }
            if (r == kPars) {
                if (mode_05_parameters() == -333)
                    return -333;
                prev = 5;
                break;
            }
            if (r == kFull) {
                mode_12_pre_meas_FS();
                prev = 12;
                break;
            }
            if (r == kDelMean) {
                set_del_mean(!del_mean_on());
                if (buttons[kDelMean]) {
                    buttons[kDelMean]->pressed = del_mean_on() ? 1 : 0;
                    buttons[kDelMean]->Draw();
                }
                ag_autostart = 0;
                redraw_radargram(b);
                continue;
            }
            // A button without an action is let go again; a slider stays pressed, so that
            // Left/Right change its value until Enter lets it go.
            if (!is_slider_slot(r) && buttons[r] && buttons[r]->pressed)
                buttons[r]->Release();
        }
    }
}
