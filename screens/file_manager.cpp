// Screen 6: the file manager. Every action ends with the screen entered again: the list is
// read anew, so it always shows what the disk holds.
//
// Names reach the shell only through the file operations, which quote them; a name is shown
// in the question before anything is deleted or copied, and a delete asks with "No" focused.
#include "screens/file_screens.h"

#include "acquisition/acquisition.h"
#include "acquisition/mea_profile.h"
#include "acquisition/mea_radargram.h"
#include "gui/screen_loop.h"
#include "app/screens.h"
#include "app/timer.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/disk.h"
#include "files/radar_data.h"
#include "files/screenshot.h"
#include "gui/button.h"
#include "gui/file_list_box.h"
#include "gui/input.h"
#include "gui/rows.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"
#include "link/ethernet.h"
#include "platform/globals.h"
#include "platform/shell.h"
#include "platform/usb_stick.h"
#include "screens/param_ui.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace files_ui;
constexpr int kM = 6;

CFListBox* list() { return mS.at<CFListBox>(kM, kList); }

int folder_row = 0; // the list row of the project folder that was opened

bool in_folder() { return list() && list()->proj_name[0] != 0; }

void check_data_disk()
{
    mesmode("Data Disk Errors", "Data disk check is force", true, -1);
    MutexLock g(lock_dw);
    run_shell(("umount " + sh_path("/mnt/hda1")).c_str());
    run_shell(("e2fsck -p -f " + sh_path("/dev/sda1")).c_str());
    run_shell(("mount " + sh_path("/dev/sda1") + " " + sh_path("/mnt/hda1")).c_str());
    data_disk_check = false;
}

// Entry and re-entry: steps 1 to 4 of the screen.
void enter(CButton** buttons)
{
    mode = kM;
    await_cu_poll(); // a CU taken up meanwhile would reload the settings a profile sets
    tbuf = nullptr;
    FileMode = 1;
    close_open_profile();
    if (data_disk_check)
        check_data_disk();
    eth.mt_RestoreFiles(); // the table and file name a restart or a measurement left
    CFListBox* l = list();
    if (l && l->ReadDir() != 0)
        printf("File Dialog: the data directory cannot be read\n");
    mS.Draw();
    if (auto* r = mS.at<CButton>(kM, kRestore))
        r->visible = restore_offered() ? 1 : 0;
    mS.DrawObjs(kM);
    Init_All_Buttons(buttons);
    if (curbutton[kM] < kSelect || curbutton[kM] > kRestore || (curbutton[kM] == kRestore && !restore_offered()))
        curbutton[kM] = kOpen;
    curbut = curbutton[kM];
    curbutDraw();
    printf("File Dialog: %d entries%s%s\n", l ? l->count() : 0, in_folder() ? " in " : "",
           in_folder() ? l->proj_name : "");
}

// The screen again after a message box, the list as it is (marks kept).
void redraw()
{
    mS.Draw();
    mS.DrawObjs(kM);
    curbut = curbutton[kM];
    curbutDraw();
}

void leave_folder()
{
    CFListBox* l = list();
    l->SetProject("");
    l->SetColumn(0, "Name");
    l->ReadDir();
    l->SetCurrent(folder_row);
}

void open_folder(const char* project)
{
    CFListBox* l = list();
    folder_row = l->GetCurrent();
    std::string p = project; // the entry's name goes away with the list
    l->SetProject(p.c_str());
    l->SetColumn(0, p.c_str());
    l->SetCurrent(0);
    l->ReadDir();
}

// Select (mark false) or Mark: Left moves to the next row, Right to the previous; marking
// marks every row the cursor passes (a marked row it starts on is unmarked instead, so a
// mark can be taken back). Returns true when Enter left an opened folder.
bool browse(bool mark)
{
    CFListBox* l = list();
    if (mark)
        l->SetMarked(l->GetCurrent(), !l->IsMarked(l->GetCurrent()));
    l->Draw();
    for (;;) {
        const int k = params::edit_key(draw_battery);
        if (k == SDLK_LEFT || k == SDLK_RIGHT) {
            if (k == SDLK_LEFT)
                l->Next();
            else
                l->Previous();
            if (mark)
                l->SetMarked(l->GetCurrent(), true);
            l->Draw();
            continue;
        }
        if (k == SDLK_RETURN) {
            if (!mark && in_folder() && l->GetCurrent() == 0) {
                leave_folder();
                return true;
            }
            return false;
        }
    }
}

// The entries an action works on: the marked ones, or the current row. "/.." never.
std::vector<std::string> targets()
{
    CFListBox* l = list();
    std::vector<std::string> names;
    for (int i = 0; i < l->count(); i++)
        if (l->IsMarked(i) && file_kind(l->GetName(i)) != FileKind::Up)
            names.emplace_back(l->GetName(i));
    if (l->MarkedCount() == 0 && file_kind(l->GetSelName()) != FileKind::Up && l->GetSelName()[0])
        names.emplace_back(l->GetSelName());
    return names;
}

bool is_project(const std::string& n)
{
    const FileKind k = file_kind(n.c_str());
    return k == FileKind::Plavik || k == FileKind::Grid;
}

// Title of the question about the entries: `verb` is "delete" or "upload".
std::string question(const std::vector<std::string>& names, bool marked, const char* verb, std::string* text)
{
    char t[120];
    if (names.size() > 1) {
        snprintf(t, sizeof t, "There are %4d selected files%s", int(names.size()),
                 in_folder() ? " and projects" : "");
        *text = t;
        return std::string("Are you sure that you want to ") + verb + " selected files?";
    }
    *text = names[0];
    const char* what = is_project(names[0]) ? "project" : "file";
    return std::string("Are you sure that you want to ") + verb + (marked ? " selected " : " the ") + what + "?";
}

void delete_action()
{
    CFListBox* l = list();
    const bool marked = l->MarkedCount() > 0;
    const std::vector<std::string> names = targets();
    if (names.empty())
        return;
    std::string text;
    const std::string q = question(names, marked, "delete", &text);
    const bool several = names.size() > 1;
    if (mesmode(several ? text.c_str() : q.c_str(), several ? q.c_str() : text.c_str(), true, 1, msgbox::kNo) !=
        msgbox::kYes)
        return;
    if (several)
        mesmode("The files are being deleted", "", true, -1);
    const std::string project = l->proj_name;
    int deleted = 0;
    for (const std::string& n : names) {
        if (delete_entry(n.c_str(), project.c_str()) == 0)
            deleted++;
        else
            printf("delete failed: %s\n", n.c_str());
    }
    printf("deleted %d of %d\n", deleted, int(names.size()));
    if (several)
        l->current = std::max(0, l->current - (deleted - 1));
}

// False when no stick was found: the list keeps its marks for the next try.
bool upload_action()
{
    if (targets().empty())
        return true;
    bool mounted;
    {
        MutexLock g(lock_dw);
        mounted = mount_usb_stick(StickProbe::Files);
    }
    if (!mounted) {
        mesmode("The USB Device is not accessible", "", true, 0);
        curbutton[kM] = kUpload;
        return false;
    }
    run_shell(("mkdir " + sh_path(kExportDir)).c_str());
    CFListBox* l = list();
    const bool marked = l->MarkedCount() > 0;
    const std::vector<std::string> names = targets();
    std::string text;
    const std::string q = names.empty() ? "" : question(names, marked, "upload", &text);
    const bool several = names.size() > 1;
    if (!names.empty() &&
        mesmode(several ? text.c_str() : q.c_str(), several ? q.c_str() : text.c_str(), true, 2, msgbox::kCopy) ==
            msgbox::kCopy) {
        if (several)
            mesmode("The files are being copied", "", true, -1);
        bool failed = false;
        for (const std::string& n : names) {
            const int r = upload_entry(n.c_str());
            if (r != 0) {
                printf("upload of %s failed (%d)\n", n.c_str(), r);
                failed = true;
                break;
            }
        }
        if (failed && several)
            mesmode("Copy Error: Disk is full, some files wasn't copied.", "Clean/Format your flash-disk", true, 0);
        else if (failed)
            mesmode("Copy Error: Disk is full or corrupted!", "Clean/Format your flash-disk", true, 0);
        else
            mesmode("Upload was successful", "", true, 0);
    }
    MutexLock g(lock_dw);
    unmount_usb_stick();
    return true;
}

void show_picture(const char* name)
{
    keyb_wait();
    char path[160];
    snprintf(path, sizeof path, "%s%s", kDataDir, name);
    int r;
    {
        MutexLock g(lock_dw);
        r = LoadScreenFromJPEG(screen, nullptr, path);
    }
    if (r != 0) {
        printf("picture %s: load error %d\n", name, r);
        data_disk_check = true;
        mesmode("The picture can not be shown.", "The file can not be opened.", true, 0);
        return;
    }
    printf("picture shown: %s\n", name);
    while (poll_key() == SDLK_UNKNOWN)
        SDL_Delay(10);
}

void open_action()
{
    CFListBox* l = list();
    const std::string name = l->GetSelName();
    switch (file_kind(name.c_str())) {
    case FileKind::Up:
        leave_folder();
        break;
    case FileKind::Plavik:
        open_folder(name.c_str());
        break;
    case FileKind::Profile: {
        mesmode("The file is being opened", "", true, -1);
        const int r = open_profile(name.c_str());
        if (r == 0) {
            mode_01_file_view();
        } else {
            const char *title, *text;
            open_failure_text(r, &title, &text);
            printf("open %s: %d\n", name.c_str(), r);
            mesmode(title, text, true, 0);
        }
        break;
    }
    case FileKind::Grid: {
        mesmode("The file is being opened", "", true, -1);
        const int r = rdr.mx.xOpen(name.c_str());
        if (r != 0) {
            printf("open %s: %d\n", name.c_str(), r);
            data_disk_check = true;
            mesmode("3D/Grid Project open error.", "Some files can not be opened.", true, 0);
        } else {
            screen_grid_view(0);
        }
        break;
    }
    case FileKind::Single:
        if (strstr(name.c_str(), ".jpg"))
            show_picture(name.c_str());
        break;
    default:
        break;
    }
}

void quit()
{
    {
        MutexLock g(lock_dw);
        xml_pars.read_xml_tree();
        eep.pload_l_a();
    }
    {
        MutexLock g(lock_cuOn);
        pisOn = false; // the CU is set up again with the live settings
    }
    FileMode = 0;
    puts("File Dialog: quit");
    CFListBox* l = list();
    if (l && l->proj_name[0]) {
        l->SetProject("");
        l->SetColumn(0, "Name");
    }
}

} // namespace

int mode_06_files()
{
    CButton* buttons[kLastButton + 1];
    enter(buttons);
    for (;;) {
        const int r = next_button(kM);
        if (buttons[r] && buttons[r]->pressed)
            buttons[r]->Release();
        if (r == kQuit) {
            quit();
            return 34;
        }
        CFListBox* l = list();
        if (!l || l->count() == 0)
            continue; // an empty list: only quit reacts
        if (r == kSelect || r == kMark) {
            // The marks live in the list: only leaving a folder reads it again.
            if (browse(r == kMark))
                enter(buttons);
            continue;
        }
        switch (r) {
        case kDelete: delete_action(); break;
        case kOpen: open_action(); break;
        case kUpload:
            if (!upload_action()) {
                redraw();
                continue;
            }
            break;
        case kRestore:
            if (restore_offered())
                restore_last_measurement();
            break;
        default: continue;
        }
        enter(buttons);
    }
}
