// check_CU_ON: waits for the CU while a screen that needs it is entered.
#include "platform/globals.h"
#include "app/timer.h"
#include "app/screens.h"
#include "app/shutdown.h"
#include "gui/backlight.h"
#include "cu/eep.h"
#include "gui/indicators.h"
#include "gui/input.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/service_keys.h"
#include "platform/termination.h"

namespace {

bool cu_on()
{
    MutexLock lock(lock_cuOn);
    return pisOn;
}

} // namespace

int check_CU_ON()
{
    if (cu_on())
        return 0;
    mesmode("Control Unit is OFF", "Switch it ON or press the button to go back", false, -1);
    tbuf = nullptr;
    keyb_wait();
    password1.clearbuff();
    // Impossible start values, so that the first round draws the lines for the state found.
    int last = -1;
    SDL_Event e;
    for (;;) {
        check_termination();
        draw_battery();
        int state = (unitison ? 1 : 0) | (unlocked ? 2 : 0) | (antenna ? 4 : 0) | (eeprom_ready ? 8 : 0);
        if (state != last) {
            last = state;
            if (unitison && unlocked && antenna && eeprom_ready) {
                if (cu_on()) {
                    MutexLock lock(lock4);
                    eep.clear_all_err();
                    return -1;
                }
                last = -1; // set up but not yet initialised: look again next round
            } else if (!unitison) {
                mesmode("Control Unit is OFF", "Switch it ON or press the button to go back", false, -1);
            } else if (!unlocked) {
                mesmode("Wrong Control Unit", "Change it or press the button to go back", false, -1);
            } else {
                mesmode("Old or NO Antenna has been detected", "Change it or press the button to go back",
                        false, -1);
            }
        }
        if (!gui_poll_event(&e)) {
            SDL_Delay(20);
            continue;
        }
        if (e.type != SDL_KEYDOWN || !keypressed(e.type))
            continue;
        int key = e.key.keysym.sym;
        if (key == SDLK_RETURN || key == SDLK_KP_ENTER)
            return 34;
        int code = dialog_service_key(key);
        if (code == kServiceExitCode)
            service_exit();
        if (code)
            return code;
    }
}
