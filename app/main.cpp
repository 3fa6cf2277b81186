// gprmon: the monitor program. Start-up, then the main menu for ever; the program ends
// through the quit box (power-off, reboot, service exit) or through SIGTERM/SIGINT.
#include "app/main_menu.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "gui/service_keys.h"
#include "platform/termination.h"

int main()
{
    install_termination_handling(terminate_by_signal);
    service_exit_action = service_exit;
    startup();
    return main_menu_loop();
}
