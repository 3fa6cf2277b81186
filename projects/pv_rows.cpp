// Rows 21, 19, 37 and 20: the baseline-crossing project screens. Each field sits right of the
// button that opens it for editing.
#include "gui/button.h"
#include "gui/lang.h"
#include "gui/list_box.h"
#include "gui/pv_angle.h"
#include "gui/screen_table.h"
#include "gui/char_field.h"
#include "gui/decimal_field.h"
#include "gui/number_field.h"
#include "gui/text_label.h"
#include "projects/pv_screens.h"

namespace {

constexpr int kButtonX = 60, kFieldX = 400;

CSDLText* title(const char* text)
{
    auto* t = new CSDLText(-1, 70, text, 36, 0, false, true, 12);
    t->SetTextColor(255, 255, 153);
    return t;
}

CButton* field_button(int y, const char* label) { return new CButton("5", kButtonX, y, "", 0, 0, label, -1, -1, 24, 12); }
CButton* big_button(int x, int y, const char* label) { return new CButton("", x, y, "", 0, 0, label, -1, -1, 28, 12); }

CSDLText* plain(int x, int y, const char* text, int size)
{
    return new CSDLText(x, y, text, size, 0, false, false, 11);
}

CSDLText_N* number_field(int y, const char* format)
{
    auto* n = new CSDLText_N(kFieldX, y, " ", 28, 90, 90, 200, 0, 0.01f, -99999.0f, 99999.0f, format, "", 360);
    return n;
}

} // namespace

void rows_pv_screens(CMS& t)
{
    {
        using namespace pv1;
        const int row = 21;
        t.put(row, kTitle, title("Plavik Project"));
        t.put(row, kNew, big_button(kButtonX, 150, "New Project"));
        t.put(row, kContinue, big_button(kButtonX, 250, "Continue Project"));
        t.put(row, kPars, big_button(kButtonX, 350, "Parameters"));
        t.put(row, kBack, big_button(kButtonX, 650, lngs[14]));
        auto* caption = plain(560, 140, "Select a project to continue", 22);
        caption->visible = 0;
        t.put(row, kListCaption, caption);
        auto* list = new CListBox(560, 150, 400, 14 * 36 + 4, false, 11);
        list->AddColumn("", 396);
        t.put(row, kList, list);
    }
    {
        using namespace pv2;
        const int row = 19;
        t.put(row, kTitle, title("New Plavik Project"));
        t.put(row, kName, field_button(120, "Project name:"));
        t.put(row, kNameField, new CSDLText_CH(kFieldX, 160, "PVP_", 30, 40, 40, 90, 360, 4));
        t.put(row, kGps, field_button(190, "GPS positioning"));
        t.put(row, kGpsValue, plain(kFieldX, 230, "Off", 30));
        const char* corners[4] = {"Start X:", "Start Y:", "Stop X:", "Stop Y:"};
        for (int i = 0; i < 4; i++) {
            const int y = 260 + 70 * i;
            t.put(row, kStartX + i, field_button(y, corners[i]));
            t.put(row, kFirstCoord + i, new CSDLText_DCH(kFieldX, y + 40, "", 30, 40, 40, 90, 420, 15));
        }
        t.put(row, kDistance, plain(kButtonX, 580, "Wheel distance:", 26));
        t.put(row, kResetWheel, new CButton("5", 664, 542, "", 0, 0, "Reset Wheel", -1, -1, 24, 12));
        t.put(row, kGo, big_button(kButtonX, 650, "Start the project"));
        t.put(row, kBack, big_button(544, 650, lngs[14]));
    }
    {
        using namespace pv3;
        const int row = 37;
        t.put(row, kTitle, title("Plavik Project"));
        t.put(row, kInfo, plain(kButtonX, 150, " ", 26));
        t.put(row, kLastCrossing, plain(kButtonX, 200, " ", 22));
        t.put(row, kDistance, plain(kButtonX, 290, "Wheel distance:", 30));
        t.put(row, kStartProfile, big_button(kButtonX, 360, "Start Profile"));
        t.put(row, kSetDistance, field_button(470, "Set distance"));
        auto* f = number_field(510, "%3.2f");
        f->visible = 0;
        t.put(row, kDistanceField, f);
        t.put(row, kMainMenu, big_button(kButtonX, 650, "Main Menu"));
    }
    {
        using namespace pvm;
        const int row = 20;
        t.put(row, kTitle, title("Baseline Crossing"));
        t.put(row, kCurrent, plain(kButtonX, 150, "Current distance:", 28));
        t.put(row, kPrevCaption, plain(kButtonX, 210, "Previous distance: from crossection to the baseline start:", 22));
        t.put(row, kPrevValue, plain(kButtonX, 250, "()", 28));
        t.put(row, kDistanceButton, field_button(290, "Distance:"));
        t.put(row, kDistanceField, number_field(330, "%3.2f"));
        t.put(row, kAngleButton, field_button(380, "Angle:"));
        t.put(row, kAngleText, plain(kFieldX, 420, "90", 30));
        t.put(row, kAngleView, new CPVAngle(600, 370, 300, 300, 140));
        t.put(row, kCreate, big_button(kButtonX, 560, "Create the crossing"));
        t.put(row, kCancel, big_button(kButtonX, 650, lngs[18]));
    }
}
