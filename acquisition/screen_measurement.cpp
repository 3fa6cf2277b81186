// Screen 3: measuring a profile. Entry creates (New) or continues (Cont) the profile and
// starts the CU; the loop shows the traces as they come and handles stop, restart, markers,
// tools, the full-screen view, background removal and button 11 (screenshot, or "Trig" with
// the keyboard trigger).
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/mea_lists.h"
#include "acquisition/mea_screen_util.h"
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "app/screens.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/markers.h"
#include "files/radar_data.h"
#include "files/screenshot.h"
#include "grid/profile_migration.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/list_box.h"
#include "gui/rows.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"

#include <SDL/SDL.h>
#include <cstdio>

namespace {

// Continuing the stored profile: 0 ready to start, else the screen to go back to.
int enter_continue(CScrBuf* b)
{
    if (!rdr.cur_name[0]) {
        mesmode("There is no measurement to continue", "", true, 0);
        return 2;
    }
    printf("projname(cont.):%s\n", rdr.cur_name);
    close_open_profile();
    rdr.dSetNames(rdr.cur_name);
    if (changed_parsmeters() != 0) {
        if (mesmode("Original parameters of the last file will be restored.", "Shall we continue?", true, 1,
                    2) == 3)
            return 2;
        if (rdr.rd.hd.set_EEPROM_from_header() != 0) {
            mesmode("There are errors in the previous header file!", "It is impossible to continue.", true, 0);
            MutexLock g(lock_dw);
            eep.pload_l_a();
            return 2;
        }
        MutexLock g(lock_dw);
        eep.psave_l_a();
        xml_pars.write_xml_tree();
        eep.pload_l_a();
    }
    if (rdr.dCOpen() != 0) {
        mesmode("The file open error", "There is no file to continue with", true, 0);
        return 2;
    }
    mS.Init_3_filters();
    b->first_trace = 0;
    if (b->hr)
        b->hr->SetPos(shown_traces);
    b->datatran(0, true, 0, 3, true);
    return 0;
}

// A new profile: 0 ready to start, else the screen to go back to.
int enter_new(CScrBuf* b)
{
    voice_mrk_num = gps_mrk_num = surf_mrk_num = 1;
    if (rdr.rd.fd >= 0)
        rdr.rd.hd.a_write();
    rdr.dClose(true);
    if (rdr.dCreateFiles() != 0) {
        mesmode("File open error: flash disk is full", "or try to restart the unit to check file system", true,
                0);
        return 2;
    }
    mS.Init_3_filters();
    printf("projname(new):%s\n", rdr.cur_name);
    if (rdr.rd.hd.h_write() != 0) {
        rdr.dDiscard(); // a profile without a header would be an orphan set
        mesmode("Header write error: flash disk is full", "or try to restart the unit to check file system",
                true, 0);
        return 2;
    }
    b->first_trace = 0;
    b->shown = 0;
    shown_traces = 0;
    b->sbars_init();
    return 0;
}

void draw_screen(CScrBuf* b)
{
    prepare_radargram(b);
    ag_autostart = 0;
    select_row(3);
    b->datatran(0, false, 0, 3, jump_to_end);
    mS.Draw();
    mS.DrawObjs(3);
    eep_textinfo();
    curbut = curbutton[3];
    curbutDraw();
}

// Button 11 by the project and trigger: "Trig" with the keyboard trigger, else "jpeg".
void caption_button11(CButton* b11)
{
    if (b11)
        b11->SetLabel(eep.trig_code == kTrigKeyboard ? "Trig" : "jpeg");
}

void release(CButton* b)
{
    if (b && b->pressed)
        b->Release();
}

} // namespace

int mode_03_measurement()
{
    using namespace meas;
    set_del_mean(false);
    data_is_migrated = false;
    migration_is_on = false;
    mode = 3;
    new_meas = true;
    CScrBuf* b = radargram_of(3);
    tbuf = b;
    b->markers = &rdr.rd.mrk;
    b->markers_on = 1;
    b->hcur_on = 0;
    auto* marks = mS.at<CListBox>(3, kMarkerList);
    if (marks) {
        marks->rows[kHideShow].fill(0);
        snprintf(marks->rows[kHideShow].data(), kListStrBytes, "Hide");
        for (int i = 0; i < marks->count(); i++)
            marks->SetEnabled(i, true);
    }
    b->par_Init();
    jump_to_end = true;
    select_row(3);
    CButton* buttons[kLastButton + 1];
    Init_All_Buttons(buttons);
    show_display_controls(3);

    // Entered from screen 2 (the Plavik project's screen 37 is not built).
    const int entry = cont_meas ? enter_continue(b) : enter_new(b);
    if (entry != 0)
        return entry;
    curbutton[3] = kStop;
    caption_button11(buttons[kShot]);

    // Migration (single or Plavik profile, wheel trigger) works in the grid cube, prepared
    // as one line of the radargram's width. Hyperbola fitting needs the radargram's
    // hyperbola drawing, which is not built.
    const bool migration = ProjN != 1 && eep.trig_code == 0 && profile_migration_prepare(b->width) == 0;
    if (auto* tools = mS.at<CListBox>(3, kToolsList)) {
        for (int i = 0; i < tools->count(); i++)
            tools->SetEnabled(i, i != kHyperbola && (i != kMigration || migration));
    }
    if (buttons[kTools]) {
        buttons[kTools]->visible = eep.trig_code == kTrigTime ? 0 : 1;
        buttons[kTools]->SetLabel("Tools");
    }

    if (MStart() == 1000) {
        mesmode("Communication Problem", "Check Ethernet cable", true, 0);
        return back_code();
    }
    install_mea_display(b);
    prev_hrlcur = -1;
    prev_csmea = -1;
    draw_screen(b);
    new_meas = false;

    int result = back_code();
    for (;;) {
        migration_follow(b);
        if (take_m_show() && !doMea()) {
            migration_undo(nullptr);
            break;
        }
        trig_pos_show();
        add_pos_show();
        draw_battery();
        const int r = press_but_and_slid();
        if (r == -1) {
            SDL_Delay(5);
            continue;
        }
        if (r < kFirstButton || r > kLastButton)
            continue;
        curbutton[3] = uint16_t(r);
        if (r == kStop) {
            MStop(1);
            show_errors();
            break;
        }
        if (r == kRestart) {
            MStop(0);
            show_errors();
            if (mesmode("Last profile will be replaced", "Restart the profile?", true, 1, 3) == 2) {
                rdr.mea_Del_Files();
                new_meas = true;
            }
            break;
        }
        if (r == kMarkers) {
            const bool ok = markers_list(b);
            release(buttons[kMarkers]);
            if (!ok)
                break;
        } else if (r == kTools) {
            const bool ok = tools_list(b);
            release(buttons[kTools]);
            if (!ok)
                break;
        } else if (r == kFull) {
            const int fs = mode_08_measurement_FS();
            mode = 3;
            tbuf = b;
            if (fs != 3) {
                result = fs;
                break;
            }
            if (CScrBuf* f = radargram_of(8)) {
                if (b->hr && f->hr)
                    b->hr->SetPos(f->hr->position);
                b->first_trace = f->first_trace;
            }
            jump_to_end = shown_traces - b->first_trace <= b->width;
            b->datatran(0, true, 0, 3, jump_to_end);
            select_row(3);
            Init_All_Buttons(buttons);
            show_display_controls(3);
            mS.Draw();
            mS.DrawObjs(3);
            eep_textinfo();
            curbut = curbutton[3];
            curbutDraw();
            prev_hrlcur = -1;
        } else if (r == kDelMean) {
            if (!data_is_migrated) {
                set_del_mean(!del_mean_on());
                if (buttons[kDelMean]) {
                    buttons[kDelMean]->pressed = del_mean_on() ? 1 : 0;
                    buttons[kDelMean]->Draw();
                }
                ag_autostart = 0;
                redraw_radargram(b);
            }
        } else if (r == kShot) {
            if (eep.trig_code == kTrigKeyboard)
                KeyTrigger();
            else {
                screenshot_mode();
                eep_textinfo();
            }
            release(buttons[kShot]);
        } else {
            release(buttons[r]);
        }
    }
    install_mea_display(nullptr);
    return result;
}
