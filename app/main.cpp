// gprmon: the monitor program. Start-up, then the main menu for ever; the program ends
// through the quit box (power-off, reboot, service exit) or through SIGTERM/SIGINT.
#include "app/main_menu.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "gui/key_handover.h"
#include "gui/service_keys.h"
#include "platform/termination.h"

int main()
{
    install_termination_handling(terminate_by_signal);
    service_exit_action = service_exit;
    startup();
    const int status = main_menu_loop();
    // A key handed in by the scripted keypad that ended the menu (the reboot after a system
    // action) waits for a screen that never comes: release it before the program's objects go.
    handover_cancel();
    return status;
}
