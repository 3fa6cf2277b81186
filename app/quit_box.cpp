// The quit box (screen 41).
#include "platform/globals.h"
#include "app/screens.h"
#include "app/shutdown.h"
#include "config/parameters.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/rows.h"
#include "gui/screen_table.h"
#include "gui/service_keys.h"

#include <cstdio>
#include <cstring>

namespace {

// A service date is packed as year * 65536 + month * 256 + day; 0 hides its line.
void set_date_line(int slot, uint32_t date)
{
    auto* t = mS.at<CSDLText>(41, slot);
    if (!t)
        return;
    t->visible = date != 0;
    char buf[32];
    snprintf(buf, sizeof buf, "%4d-%02d-%02d", int(date >> 16), int((date >> 8) & 0xFF), int(date & 0xFF));
    t->SetText(buf);
}

} // namespace

int mesmode_Quit()
{
    using namespace quitbox;
    int old_mode = mode, old_curbut = curbut;
    CSDLObject* saved[kSlots];
    memcpy(saved, mS.obj[0], sizeof saved);

    mode = 41;
    // The focus starts on No: an Enter pressed once too often must not switch the device off.
    curbut = kNo;
    set_date_line(kDate1, prm.date1);
    set_date_line(kDate2, prm.date2);
    if (auto* f = mS.at<CSDLText>(41, kFooter)) {
        char id[64], buf[160];
        cu_identity_text(id, sizeof id);
        snprintf(buf, sizeof buf, "%s%s", mS.prg_title, id);
        f->SetText(buf);
    }
    CButton* buttons[kLastButton + 1];
    mS.DrawObjs(41); // row 0 first, so that the buttons are collected from it
    Init_All_Buttons(buttons);
    mS.Draw();
    mS.DrawObjs(41);
    int result = question_loop();
    // Slots 0..40 of the screen that called the box come back into the current row.
    memcpy(mS.obj[0], saved, sizeof saved);
    mode = old_mode;
    curbut = old_curbut;
    return result;
}
