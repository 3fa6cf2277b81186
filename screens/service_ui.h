// What the service screens share beyond the parameter-screen layout: the CU-on lamp that
// follows pisOn on every pass of a screen's loop, the loop step itself, and messages that
// return to the screen.
#pragma once

class CMS;

namespace service {
// Slot of the CU-on lamp (the service screens have no top view).
constexpr int kLamp = 40;
void put_lamp(CMS& t, int row);

// A parameter-row button for a long label (smaller type) at line i, column c (0 left, 1
// right).
void put_long(CMS& t, int row, int slot, int line, int column, const char* label);

// One pass of screen m: the lamp redrawn when the CU state changed, the battery. Returns
// whether the CU is on.
bool pass(int m);

// Waits for a button of screen m to be pressed and returns its slot; returns 0 when the CU
// state changed meanwhile (`on` then holds the new state) so that the screen can refill its
// values. `tick` runs on every pass (may be null).
int next_button(int m, bool& on, void (*tick)() = nullptr);

// Replaces the label of button `slot` of screen m (redrawn when shown).
void caption(int m, int slot, const char* text);

// A message box that waits for a key, then screen m drawn again.
void message(int m, const char* title, const char* text);
// A Yes/No question: true for Yes; screen m drawn again.
bool ask(int m, const char* title, const char* text);
} // namespace service
