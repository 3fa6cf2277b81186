// The main menu (screen 34), the life of the program after start-up.
#pragma once

// Runs the main menu until the program ends; returns main's exit status.
int main_menu_loop();

// One result of the menu's input step. Left/Right (100/101) feed the service-key buffer
// and may open a service screen; 2..18 are remembered in curbutton[34] and acted on.
// Returns what happened, so the loop knows whether to rebuild the screen or to end.
enum class MenuOutcome {
    Nothing,      // no action (focus move without a sequence match, button 5, ...)
    ScreenShown,  // a screen or the position check ran; rebuild the menu
    QuitBack,     // the quit box was left without quitting; rebuild the menu
    PowerOff,     // the power-off sequence ran; main returns 0
    Reboot,       // the reboot sequence ran; main returns 0
};
MenuOutcome main_menu_action(int result);

// The service-key buffer of the main menu (levels 1, 2 and 3 from Left/Right moves).
// Returns 40, 22 or 25 (the screen it opens) when a sequence matched, else 0.
int main_menu_service_key(int key);

// Draws the main menu (collects buttons, draws the row, gives the focus).
void main_menu_draw();
