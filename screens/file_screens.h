// The file manager (screen 6), the file viewer (screen 1) and its full-screen view (7).
//
// The file manager lists the data directory, and inside an opened baseline-crossing project
// that project's profiles; it marks, deletes, opens and uploads entries to the USB stick and
// fetches the missed traces of the last measurement from the CU's memory card. The viewer
// shows a stored profile with its markers, a trace cursor, the rulers and the single trace,
// and offers the measurement screen's tools on it.
#pragma once

class CMS;
class CFListBox;

// Screen 6: 34 (back to the main menu).
int mode_06_files();
// Screen 1 on the profile dOpen just opened: 6 (back to the file manager).
int mode_01_file_view();
// Screen 7: 1.
int mode_07_file_full_screen();

// Rows 1, 6 and 7 of the screen table.
void rows_file_screens(CMS& t);

// Slots of row 6 (file manager) and row 1 (viewer).
namespace files_ui {
constexpr int kSelect = 2, kMark = 3, kDelete = 4, kOpen = 5, kUpload = 6, kQuit = 7, kRestore = 8;
constexpr int kList = 20, kTitle = 19;
constexpr int kBack = 2, kTools = 3, kJpeg = 4, kPars = 6, kFull = 7, kTrace = 11;
constexpr int kToolsList = 21, kNumber = 22, kNumberCaption = 23, kTraceText = 24;
// Rows of the viewer's tools list.
constexpr int kDepthCalibration = 0, kHyperbola = 1, kMigration = 2, kMarkers = 3;
} // namespace files_ui

// What an entry of the list is, by its name.
enum class FileKind { Profile, Plavik, Grid, Single, Up, Other };
FileKind file_kind(const char* name);

// Set when opening a file failed as corrupt: the data disk is checked at the next entry.
extern bool data_disk_check;

// The actions on one entry of the data directory (file_actions.cpp). `project` is the
// opened project's file name inside a project folder, else "".
// Deletes the entry (a profile with all of its companion files); 0 when done.
int delete_entry(const char* name, const char* project);
// Copies the entry into the export folder of the mounted stick; 0 when done.
int upload_entry(const char* name);
// Opens profile `name` for the viewer: 0, or the dOpen code; a data file that does not hold
// whole traces gives 5. Codes other than 0 and -2 set data_disk_check.
int open_profile(const char* name);
// The message box text of an open failure (title and text), for a dOpen code.
void open_failure_text(int code, const char** title, const char** text);
// Restore of the missed traces of the last measurement (button 8). Shows its messages.
void restore_last_measurement();
// The Restore button is offered: missed blocks are waiting and their data file is known.
bool restore_offered();
