// Screen 29: the project's name and sizes, and its texts (customer, operator, site,
// comments) edited and stored in the project header.
#include "grid/grid_screens.h"
#include "grid/grid_ui.h"

#include "gui/screen_loop.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "gui/char_field.h"
#include "gui/input.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"
#include "platform/globals.h"
#include "screens/param_ui.h"

#include <cstdio>

using namespace gridui;

namespace {

CSDLText_CH* field(int slot) { return mS.at<CSDLText_CH>(29, value_slot(slot)); }

} // namespace

int mode_29_grid_Parameters()
{
    using namespace g29;
    CMatrix& m = rdr.mx;
    char len[kUnitNameSize], sh[kUnitNameSize];
    eep.GetShUnitName(len, 0, 0, 0);
    eep.GetShUnitName(sh, 0, 10, 0);
    texts_to_fields(29, kCustomer);
    set_textf(29, kInfo, "Project: %s", m.project_name);
    set_textf(29, kInfo + 1, "X-size: %4.2f %s   Y-size: %4.2f %s", double(m.x_size), len, double(m.y_size), len);
    set_textf(29, kInfo + 2, "Line spacing: %4.2f %s", double(m.profile_spacing), len);
    set_textf(29, kInfo + 3, "Point interval: %4.4f %s", double(m.resolution), sh);
    const int back = mode;
    curbutton[29] = kCustomer;
    enter(29);
    int result = 0;
    for (;;) {
        const int r = next_button(29);
        release(29, r);
        if (r >= kCustomer && r <= kComments) {
            params::edit_text(field(r));
            continue;
        }
        if (r == kSave) {
            fields_to_texts(29, kCustomer);
            if (m.hd.h_write() != 0)
                tell(29, "Header write error: flash disk is full", "or try to restart the unit to check file system");
            result = 1;
            break;
        }
        if (r == kCancel)
            break;
    }
    mode = back;
    return result;
}
