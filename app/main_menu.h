// The main menu (screen 34), the life of the program after start-up.
#pragma once

// Runs the main menu until the program ends; returns main's exit status.
int main_menu_loop();
