#include "acquisition/errors.h"

#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "gui/input.h"
#include "gui/lang.h"
#include "gui/screen_table.h"
#include "link/ethernet.h"

#include <cstdio>

int drain_cu_errors()
{
    int last = 0;
    for (CErrorEntry e; eth.take_error(e);) {
        const int code = e.code;
        if (code != 0)
            last = code;
        if (code == 0x1000 || code == 0x1100 || code == 0x2200 || code == 0x3300) {
            thError = true;
            break;
        }
    }
    return last;
}

bool acq_error_message(int E, char* title, size_t title_cap, char* text, size_t text_cap)
{
    const char* lang_title = lngs[63][0] ? lngs[63] : "Measurement Error";
    if (thError) {
        snprintf(title, title_cap, "%s", lang_title);
        snprintf(text, text_cap, "No data coming (code 01-%d)", E);
    } else if (thError2) {
        snprintf(title, title_cap, "%s", lang_title);
        snprintf(text, text_cap, "No stacks in 32b mode! (code 09-%d)", E);
    } else if (thError3 != 0) {
        snprintf(title, title_cap, "%s", lang_title);
        snprintf(text, text_cap, "Corrupted Data (code 03-%d/%d)", E, int(thError3));
    } else if (thError4) {
        snprintf(title, title_cap, "%s", lang_title);
        snprintf(text, text_cap, "Corrupted Data (code 04-%d)", E);
    } else if (thError5) {
        snprintf(title, title_cap, "%s", lang_title);
        snprintf(text, text_cap, "No stacks in 32b mode! (code 05-%d)", E);
    } else if (wrError) {
        snprintf(title, title_cap, "%s", "Write to disk Error");
        snprintf(text, text_cap, "%s", "Disk is full");
    } else if (memError) {
        snprintf(title, title_cap, "%s", "Unknown error!");
        snprintf(text, text_cap, "%s", "Contact support");
    } else {
        return false;
    }
    return true;
}

int show_errors()
{
    const int E = drain_cu_errors();
    char title[128], text[128];
    if (!acq_error_message(E, title, sizeof title, text, sizeof text))
        return 0;
    printf("%s: %s\n", title, text);
    const bool lang_title = thError || thError2 || thError3 != 0 || thError4 || thError5;
    mesmode(title, text, false, 0, 2, kProgramVersion, lang_title);
    return 1;
}
