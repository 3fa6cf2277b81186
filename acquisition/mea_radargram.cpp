#include "acquisition/mea_radargram.h"

#include "acquisition/mea_screens.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "dsp/filter_slots.h"
#include "gui/button.h"
#include "gui/display_filters.h"
#include "gui/scrbuf.h"
#include "gui/scrbuf_input.h"
#include "gui/scrbuf_mea_display.h"
#include "gui/screen_table.h"
#include "platform/globals.h"

namespace {

CScrBufMeaDisplay display_of_row3(nullptr);
CScrBufMeaDisplay display_of_row8(nullptr);
CMeaDisplay* idle_display = nullptr; // what was installed before the measurement screens
CScrBufMeaDisplay* installed = nullptr;

} // namespace

CScrBuf* radargram_of(int m) { return mS.at<CScrBuf>(m, kSlotRadargram); }

void install_mea_display(CScrBuf* b)
{
    if (!installed)
        idle_display = mea_display;
    if (!b) {
        if (installed)
            mea_display = idle_display;
        installed = nullptr;
        return;
    }
    CScrBufMeaDisplay& d = b == radargram_of(8) ? display_of_row8 : display_of_row3;
    // The marker alert goes with the measurement, not with the radargram shown.
    d.alert = installed ? installed->alert : false;
    d.buf = b;
    installed = &d;
    mea_display = &d;
}

CScrBufMeaDisplay* installed_mea_display() { return installed; }

bool del_mean_on() { return eep.current_antenna().filter[FLT_DEL_MEAN].display_on != 0; }

void set_del_mean(bool on) { eep.current_antenna().filter[FLT_DEL_MEAN].display_on = on ? 1 : 0; }

void show_display_controls(int m)
{
    if (auto* b = mS.at<CButton>(m, 8))
        b->pressed = del_mean_on() ? 1 : 0;
    if (auto* s = mS.at<CButton>(m, kSlotTimeGain))
        s->visible = prm.gain_switch ? 0 : 1;
}

void prepare_radargram(CScrBuf* b)
{
    if (!b)
        return;
    b->setcolors(eep.ant_option);
    b->par_Init();
    b->resampdef();
    b->setEERulers();
}

void redraw_radargram(CScrBuf* b)
{
    if (!b)
        return;
    b->reprocess = true;
    b->datatran(0, false, 0, mode, jump_to_end);
    b->Draw();
}
