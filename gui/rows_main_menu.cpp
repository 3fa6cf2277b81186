// Row 34: the main menu ("Projects").
#include "gui/button.h"
#include "gui/indicators.h"
#include "gui/rows.h"
#include "gui/screen_table.h"

void rows_main_menu(CMS& t)
{
    using namespace menu;
    const int row = 34;
    auto* title = new CSDLText(-1, 84, "Projects", 40, 0, false, true, 12);
    title->SetTextColor(255, 255, 153);
    t.put(row, kTitle, title);
    struct Item { int slot; const char* label; };
    const Item items[] = {
        {k2D, "2D Project"},      {kGrid, "3D Grid Project"}, {kPlavik, "Plavik Project"},
        {kPositioning, "Positioning"}, {kFiles, "Work With Files"}, {kShutDown, "Shut Down"},
    };
    int y = 150;
    for (const Item& it : items) {
        const char* kind = it.slot == kShutDown ? "8" : "";
        t.put(row, it.slot, new CButton(kind, -1, y, "", 0, 0, it.label, -1, -1, 28, 12));
        y += 92;
    }
    // CU state: the plug lamp with its caption, top left.
    t.put(row, kCuState, new ON_OFF_Indicator(24, 14, 72, 40));
    t.put(row, kCuLabel, new CSDLText(100, 42, "Control Unit", 20, 0, false, false, 11));
    // The link the CU is reached on (parameter store flag), bottom left.
    t.put(row, kLinkFlag, new CSDLText(16, 752, "Link: Ethernet", 18, 0, true, false, 11));
    auto* version = new CSDLText(-2, 752, t.prg_title, 18, 0, false, false, 11);
    version->SetTextColor(200, 200, 200);
    t.put(row, kVersion, version);
}
