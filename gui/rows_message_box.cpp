// Row 9: the message box (mesmode). Yes/No for questions, Copy/Move/Cancel for the file
// dialogs, a heading, two centred lines and the closing hint.
#include "gui/button.h"
#include "gui/lang.h"
#include "gui/rows.h"
#include "gui/screen_table.h"

void rows_message_box(CMS& t)
{
    using namespace msgbox;
    const int row = 9;
    t.put(row, kYes, new CButton("2", -1, 480, "", 0, 0, lngs[40], -1, -1, 26, 1));
    t.put(row, kNo, new CButton("2", -1, 560, "", 0, 0, lngs[41], -1, -1, 26, 1));
    t.put(row, kCopy, new CButton("2", -1, 480, "", 0, 0, "Copy", -1, -1, 26, 12));
    t.put(row, kMove, new CButton("2", -1, 560, "", 0, 0, "Move", -1, -1, 26, 12));
    t.put(row, kCancel, new CButton("2", -1, 640, "", 0, 0, lngs[18], -1, -1, 26, 1));
    auto* heading = new CSDLText(-1, 88, "", 22, 0, false, false, 11);
    heading->SetTextColor(200, 200, 200);
    t.put(row, kHeading, heading);
    // Title and text take their font type from each call (language or 8-bit text).
    t.put(row, kTitle, new CSDLText(-1, 320, "", 28, 0, false, true, 10));
    t.put(row, kText, new CSDLText(-1, 400, "", 28, 0, false, true, 10));
    auto* footer = new CSDLText(-1, 704, lngs[39], 22, 0, false, false, 1);
    footer->SetTextColor(255, 255, 153);
    t.put(row, kFooter, footer);
}
