// Rows 2, 3, 8 and 12: the profile measurement screens. Screens 2 and 3 show the radargram
// at the left with the column of controls at x = 897; screens 12 and 8 the full-screen
// radargram alone.
#include "gui/button.h"
#include "gui/indicators.h"
#include "gui/lang.h"
#include "gui/list_box.h"
#include "gui/number_field.h"
#include "gui/rows.h"
#include "gui/scrbuf.h"
#include "gui/screen_table.h"

namespace {

// The column stands 7 px right of the time ruler's edge (x = 890): a focused control's
// frame (7 px around it) then begins right of the ruler and ends at the screen's edge.
constexpr int kColumnX = 897;
constexpr int kColumnY[9] = {64, 140, 217, 294, 371, 448, 524, 601, 678};

CButton* column_button(int i, const char* label, int fontType)
{
    return new CButton("3", kColumnX, kColumnY[i], "", 0, 0, label, -1, -1, fontType < 10 ? 22 : 20,
                       fontType);
}

void status_texts(CMS& t, int row, const CScrBuf* rg)
{
    // Soil velocity, antenna and file name (written by eep_textinfo). Each new text erases
    // the old one's box, which stays below the radargram's scroll bar just above.
    const int x[] = {4, 200, 600};
    const int slot[] = {status::kSoil, status::kAntenna, status::kFile};
    const int word[] = {23, 0, 47};
    for (int i = 0; i < 3; i++) {
        auto* s = new CSDLText(x[i], 761, lngs[word[i]], 18, 0, false, false, 1);
        s->margin = 1;
        s->top_limit = rg->hsb->rect.y + rg->hsb->rect.h;
        t.put(row, slot[i], s);
    }
}

void sliders(CMS& t, int row)
{
    // As wide as the column's buttons, so the slider and its focus frame stay on the screen.
    t.put(row, 9, new CHSlider(kColumnX, kColumnY[6], "", 0, 0, "", -1, -1, 20, 11, "3"));
    t.put(row, 10, new CHSlider(kColumnX, kColumnY[7], "", 0, 0, "", -1, -1, 20, 11, "3"));
}

CSDLText* gps_text()
{
    // Above the distance ruler (y 16): its box, which each new text erases, must not reach it.
    auto* g = new CSDLText(30, 12, " ", 14, 0, false, false, 11);
    g->SetTextColor(200, 255, 200);
    g->margin = 1;
    return g;
}

// The lost-trace warning: white on red, hidden until a run skips or fills traces. It stands
// beside the radargram (screen 3: right of the GPS text above the distance ruler; screen 8:
// in the strip below), never over the traces.
CSDLText* trace_alert(int x, int y)
{
    auto* a = new CSDLText(x, y, " ", 14, 400, true, false, 11); // room for the longest text
    a->margin = 1;
    a->SetTextColor(255, 255, 255);
    a->SetBkgColor(200, 0, 0);
    a->visible = 0;
    return a;
}

} // namespace

void rows_measurement(CMS& t)
{
    // The radargram of screens 2 and 3, with the time ruler on its right.
    auto* rg = new CScrBuf(t.bk_name1, 4, 16, true);
    // The full-screen radargram of screens 12 and 8: the distance ruler along the top edge,
    // below the picture its scroll bar and a strip with the keys, the GPS lamp and the
    // battery (their places on the other screens lie under the ruler).
    auto* fs = new CScrBuf(t.bk_name2, 0, 0, false);
    fs->fill_height = true;
    fs->hsb_trim = 130;
    fs->par_Init();
    // The tools list and its number entry, shared by screen 3 and the stored profile of
    // screen 2 (owned by row 3).
    auto* tools = new CListBox(620, 294, 260, 6 * 36 + 4, false, 11);
    tools->AddColumn("", 256);
    for (const char* s : {"Set Soil Velocity", "Depth Calibration", "Hyperbola Fitting", "Migration",
                          "Set Zero Level", "Close"})
        tools->AddString(s);
    tools->visible = 0;
    auto* caption = new CSDLText(300, 330, " ", 24, 0, true, false, 11);
    caption->SetBkgColor(40, 40, 90);
    caption->visible = 0;
    auto* number = new CSDLText_N(300, 380, " ", 28, 90, 90, 200, 100, 1, 1, 300, "%3.0f", "", 260);
    number->SetBkgColor(40, 40, 90);
    number->visible = 0;

    {
        using namespace premeas;
        const int row = 2;
        t.put(row, kBack, column_button(0, lngs[14], 1));
        t.put(row, kNew, column_button(1, "New", 11));
        t.put(row, kCont, column_button(2, "Cont", 11));
        t.put(row, kPars, column_button(3, "par", 11));
        t.put(row, kFull, column_button(4, "fs", 11));
        t.put(row, kDelMean, column_button(5, "delmean", 11));
        sliders(t, row);
        t.put(row, kTools, column_button(8, "Tools", 11));
        t.put(row, meas::kToolsList, tools, false);
        t.put(row, meas::kNumberCaption, caption, false);
        t.put(row, meas::kNumber, number, false);
        status_texts(t, row, rg);
        t.put(row, kGps, gps_text());
        t.put(row, kSlotRadargram, rg, true);
    }
    {
        using namespace meas;
        const int row = 3;
        t.put(row, 2, nullptr);
        t.put(row, kStop, column_button(0, lngs[16], 1));
        t.put(row, kRestart, column_button(1, "Restart", 11));
        t.put(row, kMarkers, column_button(2, "Markers", 11));
        t.put(row, kTools, column_button(3, "Tools", 11));
        t.put(row, kFull, column_button(4, "fs", 11));
        t.put(row, kDelMean, column_button(5, "delmean", 11));
        sliders(t, row);
        t.put(row, kShot, column_button(8, "jpeg", 11));
        status_texts(t, row, rg);
        t.put(row, kGps, gps_text());

        auto* marks = new CListBox(700, 217, 180, 3 * 36 + 4, false, 11);
        marks->AddColumn("", 176);
        marks->AddString("Surface");
        marks->AddString("Object");
        marks->AddString("Hide");
        marks->visible = 0;
        t.put(row, kMarkerList, marks);

        t.put(row, kToolsList, tools);
        t.put(row, kNumberCaption, caption);
        t.put(row, kNumber, number);
        t.put(row, kTraceAlert, trace_alert(425, 12));
        t.put(row, kSlotRadargram, rg, false);
    }
    t.put(12, kSlotRadargram, fs, true);
    t.put(8, kSlotRadargram, fs, false);
    t.put(8, meas::kTraceAlert, trace_alert(470, kScreenH - 10));
    const int strip = fs->rect.y + fs->rect.h + 17;
    auto* battery = new CBattery("battery", 914, kScreenH - 40);
    t.put(12, 0, battery, true);
    t.put(8, 0, battery, false);
    auto* lamp = new CGPS_Indicator(890, strip + 6);
    t.put(12, 1, lamp, true);
    t.put(8, 1, lamp, false);
    auto hint = [&](const char* text) {
        auto* h = new CSDLText(34, strip + 14, text, 14, 0, false, false, 11);
        h->SetTextColor(230, 230, 160);
        return h;
    };
    t.put(12, fullscreen::kHint, hint("Left/Right: scroll up/down   Up/Down: zoom   Enter: back"), true);
    t.put(8, fullscreen::kHint, hint("Any key: back to the measurement screen"), true);
}
