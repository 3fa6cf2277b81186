// Row 35: the position check screen: GPS position and wheel position, wheel reset, back.
#include "gui/button.h"
#include "gui/label_value.h"
#include "gui/rows.h"
#include "gui/screen_table.h"

void rows_position_check(CMS& t)
{
    using namespace poscheck;
    const int row = 35;
    auto* title = new CSDLText(-1, 84, "Positioning", 40, 0, false, true, 12);
    title->SetTextColor(255, 255, 153);
    t.put(row, kTitle, title);
    // A whole GPS line ("59.32930000N 18.06864833E 28.4M") fits the screen's width.
    t.put(row, kGpsPos, new CSDLText_Dub(40, 220, "GPS position: ", 24, 255, 255, 255, 53, 38, 38,
                                         "----", 940, false, 11));
    t.put(row, kWheelPos, new CSDLText_Dub(40, 300, "Wheel position: ", 24, 255, 255, 255, 53, 38,
                                           38, "0.00", 940, false, 11));
    t.put(row, kReset, new CButton("", -1, 430, "", 0, 0, "Reset Wheel", -1, -1, 28, 12));
    t.put(row, kBack, new CButton("", -1, 560, "", 0, 0, "Back", -1, -1, 28, 12));
    auto* hint = new CSDLText(-1, 720, "Move the antenna to check the wheel and the GPS receiver", 20,
                              0, false, false, 11);
    hint->SetTextColor(200, 200, 200);
    t.put(row, kHint, hint);
}
