// gprmon: the monitor program. Start-up, then the main menu for ever; the program ends
// through the quit box (power-off, reboot, service exit) or through SIGTERM/SIGINT.
#include "app/main_menu.h"
#include "app/startup.h"
#include "app/termination.h"

int main()
{
    install_termination_handling();
    startup();
    return main_menu_loop();
}
