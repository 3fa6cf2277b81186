// What the grid screens share: entering and redrawing a row, message boxes, text slots and
// the value-editing loop of a pressed button (Left/Right one step, Up/Down ten, Enter done).
#pragma once

#include <functional>

namespace gridui {
// Mode m, row m drawn whole with the remembered focus (the first button when it is gone).
void enter(int m);
// The row drawn again after a message box or another screen.
void redraw(int m);
// A message box that waits for a key; then row m again.
void tell(int m, const char* title, const char* text);
// A Yes/No box (focus on No unless yes_first): true for Yes; then row m again.
bool ask(int m, const char* title, const char* text, bool yes_first = false);
// The text in slot `slot` of row m (drawn when m is shown).
void set_text(int m, int slot, const char* text);
void set_textf(int m, int slot, const char* format, ...) __attribute__((format(printf, 3, 4)));
// A button's label (drawn when m is shown).
void set_label(int m, int slot, const char* text);
void set_labelf(int m, int slot, const char* format, ...) __attribute__((format(printf, 3, 4)));
void release(int m, int slot);
void show_button(int m, int slot, bool shown);
// The CU is on (pisOn).
bool cu_on();
// The project's texts (customer, operator, site, comments) into the character fields of row m
// beside buttons first .. first + 3, and back into the project header.
void texts_to_fields(int m, int first);
void fields_to_texts(int m, int first);
// Edits v in steps within [lo, hi] while the button is pressed: `changed` runs after every
// step (it redraws what the value shows). Returns when Enter ends the editing; true when v
// changed.
bool edit_steps(double& v, double step, double big_step, double lo, double hi,
                const std::function<void()>& changed, bool up_is_plus = true);
} // namespace gridui
