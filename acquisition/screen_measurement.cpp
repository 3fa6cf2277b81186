// Screen 3: measuring a profile. Entry creates (New) or continues (Cont) the profile, or the
// next profile of a baseline-crossing project (from screen 37), and starts the CU; the loop
// shows the traces as they come and handles stop, restart, markers, tools, the full-screen
// view, background removal and button 11 (screenshot, "Trig" with the keyboard trigger, or
// "BL Crossing" in a baseline-crossing project).
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/mea_lists.h"
#include "acquisition/mea_radargram.h"
#include "acquisition/mea_loop.h"
#include "acquisition/mea_profile.h"
#include "acquisition/mea_screens.h"
#include "acquisition/trace_alert.h"
#include "platform/globals.h"
#include "app/screens.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/disk.h"
#include "files/markers.h"
#include "files/radar_data.h"
#include "files/screenshot.h"
#include "grid/profile_migration.h"
#include "gui/button.h"
#include "gui/display_filters.h"
#include "gui/input.h"
#include "gui/list_box.h"
#include "gui/rows.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/screen_state.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "platform/host_paths.h"
#include "projects/pv_screens.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>

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
    {
        // A restart of this run gives the profile back as it is now.
        MutexLock g(lock_dw);
        rdr.cont_point.take(rdr.rd);
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
    rdr.cont_point.forget();
    if (rdr.rd.fd >= 0)
        rdr.rd.hd.a_write();
    rdr.dClose(true);
    if (rdr.dCreateFiles() != 0) {
        mesmode("File open error: flash disk is full", "or try to restart the unit to check file system", true,
                0);
        return back_code();
    }
    mS.Init_3_filters();
    printf("projname(new):%s\n", rdr.cur_name);
    if (rdr.rd.hd.h_write() != 0) {
        rdr.dDiscard(); // a profile without a header would be an orphan set
        mesmode("Header write error: flash disk is full", "or try to restart the unit to check file system",
                true, 0);
        return back_code();
    }
    b->first_trace = 0;
    b->shown = 0;
    shown_traces = 0;
    b->sbars_init();
    return 0;
}

// The first stored profile of the running baseline-crossing project ("" when none) and how
// many entries the data directory holds.
std::string project_profile(int* entries)
{
    std::string found;
    *entries = 0;
    MutexLock g(lock_dw);
    DIR* d = opendir(host_path(kDataDir).c_str());
    if (!d)
        return found;
    const size_t n = strlen(rdr.pvp.name);
    while (struct dirent* e = readdir(d)) {
        (*entries)++;
        if (found.empty() && strstr(e->d_name, ".rd7") && strncmp(e->d_name, rdr.pvp.name, n) == 0)
            found = e->d_name;
    }
    closedir(d);
    return found;
}

// The next profile of a baseline-crossing project: all of its profiles are measured with the
// settings of the first, which are offered back when the live ones differ. 0 ready to start,
// else 37.
int enter_project_profile(CScrBuf* b)
{
    voice_mrk_num = gps_mrk_num = surf_mrk_num = 1;
    close_open_profile();
    int entries = 0;
    const std::string name = project_profile(&entries);
    printf("===omp %s %d %d\n", name.c_str(), name.empty() ? 0 : 1, entries);
    if (!name.empty() && rdr.dSetNames(name.c_str()) == 0 && changed_parsmeters() != 0) {
        if (mesmode("Original parameters of the last file will be restored.", "Shall we continue the PV Project?",
                    true, 1, 2) == 3)
            return 37;
        if (rdr.rd.hd.set_EEPROM_from_header() != 0) {
            mesmode("There are errors in the previous header file!", "It is impossible to continue the PV Project",
                    true, 0);
            MutexLock g(lock_dw);
            eep.pload_l_a();
            return 37;
        }
        MutexLock g(lock_dw);
        eep.psave_l_a();
        xml_pars.write_xml_tree();
        eep.pload_l_a();
    }
    return enter_new(b);
}

bool in_project() { return ProjN == 2 && rdr.pvp.active; }

// The lists, the number entry and the lost-trace warning stay over the scrolling radargram.
void keep_on_top(CScrBuf* b, bool on)
{
    using namespace meas;
    const int slots[] = {kMarkerList, kToolsList, kNumberCaption, kNumber, kTraceAlert};
    for (int i = 0; i < CScrBuf::kOnTop; i++)
        b->on_top[i] = on && i < int(sizeof slots / sizeof slots[0]) ? mS.obj[0][slots[i]] : nullptr;
}

void draw_screen(CScrBuf* b)
{
    keep_on_top(b, true);
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

// Button 11 by the project and trigger: "BL Crossing" in a baseline-crossing project, "Trig"
// with the keyboard trigger, else "jpeg".
bool crossing_button() { return in_project() && eep.trig_code != kTrigKeyboard; }

void caption_button11(CButton* b11)
{
    if (b11)
        b11->SetLabel(crossing_button() ? "BL Crossing" : eep.trig_code == kTrigKeyboard ? "Trig" : "jpeg");
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
    const int from = mode;
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

    const int entry = from == 37 && in_project() ? enter_project_profile(b)
                      : cont_meas                ? enter_continue(b)
                                                 : enter_new(b);
    if (entry != 0)
        return entry;
    curbutton[3] = kStop;
    caption_button11(buttons[kShot]);

    // Migration (single or Plavik profile, wheel trigger) works in the grid cube, prepared
    // as one line of the radargram's width. Hyperbola fitting stays disabled: the radargram
    // has no hyperbola drawing.
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
    trace_alert_reset();
    new_meas = false;

    int result = back_code();
    for (;;) {
        const int r = next_button(3, [b] {
            migration_follow(b);
            if (measurement_tick()) {
                trace_alert_show();
                return true;
            }
            migration_undo(nullptr);
            return false;
        }, 5);
        if (!r)
            break;
        if (r == kStop) {
            MStop(1);
            show_errors();
            trace_alert_at_stop();
            break;
        }
        if (r == kRestart) {
            MStop(0);
            show_errors();
            if (mesmode("Last profile will be replaced", "Restart the profile?", true, 1, 3) == 2) {
                rdr.mea_Restart();
                if (in_project()) {
                    // The project forgets the deleted profile; the next one takes its number.
                    char file[CPVProject::kNameSize + 8];
                    snprintf(file, sizeof file, "%s.pvb", rdr.pvp.name);
                    rdr.pvp.Stop();
                    rdr.pvp.Clear_proj_file(file);
                    rdr.pvp.Continue();
                }
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
            trace_alert_show(true);
            keep_on_top(b, true);
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
        } else if (r == kShot && crossing_button()) {
            const int trace = current_trigger_trace();
            const bool created = mode_20_PV_BL_marker() == 0;
            draw_screen(b);
            caption_button11(buttons[kShot]);
            prev_hrlcur = -1;
            if (created)
                add_marker_now(trace, eep.tz_sample, -1, "");
            release(buttons[kShot]);
        } else if (r == kShot) {
            if (eep.trig_code == kTrigKeyboard)
                KeyTrigger();
            else {
                screenshot_mode();
                eep_textinfo();
            }
            release(buttons[kShot]);
        } else if (!is_slider_slot(r)) {
            // A slider stays pressed: Left/Right change its value until Enter lets it go.
            release(buttons[r]);
        }
    }
    install_mea_display(nullptr);
    keep_on_top(b, false);
    rdr.cont_point.forget();
    return result;
}
