// Rows 6 (file manager), 1 (file viewer) and 7 (its full-screen view). The buttons stand in
// the column at the right as on the measurement screens.
#include "screens/file_screens.h"

#include "gui/button.h"
#include "gui/file_list_box.h"
#include "gui/lang.h"
#include "gui/list_box.h"
#include "gui/number_field.h"
#include "gui/rows.h"
#include "gui/scrbuf.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"

namespace {

constexpr int kColumnX = 890;
constexpr int kColumnY[9] = {64, 140, 217, 294, 371, 448, 524, 601, 678};

CButton* column_button(int i, const char* label, int fontType = 11)
{
    return new CButton("3", kColumnX, kColumnY[i], "", 0, 0, label, -1, -1, fontType < 10 ? 22 : 20, fontType);
}

void file_manager_row(CMS& t)
{
    using namespace files_ui;
    const int row = 6;
    auto* title = new CSDLText(20, 40, "File Dialog", 26, 0, false, true, 11);
    title->SetTextColor(255, 255, 153);
    t.put(row, kTitle, title);
    t.put(row, kSelect, column_button(0, "Select"));
    t.put(row, kMark, column_button(1, "Mark"));
    t.put(row, kDelete, column_button(2, "Delete"));
    t.put(row, kOpen, column_button(3, "Open"));
    t.put(row, kUpload, column_button(4, "Upload"));
    t.put(row, kQuit, column_button(5, lngs[14], 1));
    t.put(row, kRestore, column_button(6, "Restore"));
    // 24 rows of names wide enough for a profile set's longest names.
    auto* l = new CFListBox(20, 62, 660, 25 + 23 * 24, "/mnt/hda1/", "Free:", "Used:");
    l->widths[0] = 320;
    l->widths[1] = 110;
    l->widths[2] = 230;
    t.put(row, kList, l);
}

void viewer_row(CMS& t)
{
    using namespace files_ui;
    const int row = 1;
    t.put(row, kBack, column_button(0, lngs[14], 1));
    t.put(row, kTools, column_button(1, "Tools"));
    t.put(row, kJpeg, column_button(2, "jpeg"));
    t.put(row, kPars, column_button(3, "par"));
    t.put(row, kFull, column_button(4, "fs"));
    t.put(row, kTrace, column_button(5, "Trace"));
    t.put(row, 9, new CHSlider(kColumnX, kColumnY[6], "", 0, 0, "", -1, -1, 20, 11));
    t.put(row, 10, new CHSlider(kColumnX, kColumnY[7], "", 0, 0, "", -1, -1, 20, 11));
    t.put(row, status::kSoil, new CSDLText(4, 761, lngs[23], 18, 0, false, false, 1));
    t.put(row, status::kAntenna, new CSDLText(200, 761, lngs[0], 18, 0, false, false, 1));
    t.put(row, status::kFile, new CSDLText(600, 761, lngs[47], 18, 0, false, false, 1));
    t.put(row, kTraceText, new CSDLText(kColumnX, 750, "Trace: 0", 16, 130, true, false, 11));

    auto* tools = new CListBox(600, 217, 280, 4 * 36 + 38 + 4, true, 11);
    tools->AddColumn("What to do:", 276);
    for (const char* s : {"Depth Calibration", "Hyperbola Fitting", "Migration", "Hide Markers"})
        tools->AddString(s);
    tools->visible = 0;
    t.put(row, kToolsList, tools);

    auto* caption = new CSDLText(300, 330, " ", 24, 0, true, false, 11);
    caption->SetBkgColor(40, 40, 90);
    caption->visible = 0;
    t.put(row, kNumberCaption, caption);
    auto* number = new CSDLText_N(300, 380, " ", 28, 90, 90, 200, 100, 1, 1, 300, "%3.0f", "", 260);
    number->SetBkgColor(40, 40, 90);
    number->visible = 0;
    t.put(row, kNumber, number);
    t.put(row, kSlotRadargram, new CScrBuf(t.bk_name1, 4, 16, true), true);
}

} // namespace

void rows_file_screens(CMS& t)
{
    file_manager_row(t);
    viewer_row(t);
    t.put(7, kSlotRadargram, new CScrBuf(t.bk_name2, 0, 8, false), true);
}
