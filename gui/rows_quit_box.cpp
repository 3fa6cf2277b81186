// Row 41: the quit box (mesmode_Quit): service dates, the question, Yes and No, and the
// program and CU versions.
#include "gui/button.h"
#include "gui/lang.h"
#include "gui/rows.h"
#include "gui/screen_table.h"

void rows_quit_box(CMS& t)
{
    using namespace quitbox;
    const int row = 41;
    auto* heading = new CSDLText(-1, 88, lngs[38], 30, 0, false, true, 1);
    heading->SetTextColor(255, 255, 153);
    t.put(row, kHeading, heading);
    auto* d1 = new CSDLText(-1, 190, "", 22, 0, false, false, 11);
    auto* d2 = new CSDLText(-1, 226, "", 22, 0, false, false, 11);
    d1->SetTextColor(200, 200, 200);
    d2->SetTextColor(200, 200, 200);
    t.put(row, kDate1, d1);
    t.put(row, kDate2, d2);
    t.put(row, kQuestion, new CSDLText(-1, 340, lngs[62], 32, 0, false, true, 1));
    t.put(row, kYes, new CButton("2", -1, 460, "", 0, 0, lngs[40], -1, -1, 26, 1));
    t.put(row, kNo, new CButton("2", -1, 550, "", 0, 0, lngs[41], -1, -1, 26, 1));
    auto* footer = new CSDLText(-1, 720, "", 20, 0, false, false, 11);
    footer->SetTextColor(200, 200, 200);
    t.put(row, kFooter, footer);
}
