// What the parameter screens share: the layout of their rows (a button per line with its
// value text beside it, the title, the single-trace view), the screen entry, the value
// editing keys and the CU state.
//
// Slots of a parameter row: 2..18 the buttons, 19 the title, 20 a list, button slot s has its
// value text in slot s + 19 (21..37), 38 the single-trace view.
#pragma once

#include <cstddef>
#include <functional>

class CMS;
class CButton;
class CSDLText;
class CTraceView;
class CListBox;
class CSDLText_N;
class CSDLText_DT;

namespace params {
constexpr int kTitle = 19, kList = 20, kTraceView = 38;
constexpr int value_slot(int button) { return button + 19; }
// Line i of a parameter screen (0 at the top, 11 at the bottom), its top edge.
constexpr int line_y(int i) { return 62 + 58 * i; }

// A parameter line: the button `label` at line i in `slot`, its value text beside it.
void put_line(CMS& t, int row, int slot, int line, const char* label, bool with_value = true);
// A small button at line i, column c (0 left, 1 right): save, cancel and the like.
void put_small(CMS& t, int row, int slot, int line, int column, const char* label);
void put_title(CMS& t, int row, const char* text);
// The single-trace view at the right of the screen.
void put_trace_view(CMS& t, int row);

// Shows the screen: mode m, no radargram, row m drawn, the remembered focus. A CU poll
// that began on the screen before has ended when it returns (await_cu_poll).
void enter_screen(int m);
// The screen's loop waits for its buttons with next_button (gui/screen_loop.h).
// The value text of button `slot` on screen m (row m; drawn when m is shown).
void show_value(int m, int slot, const char* text);
void show_valuef(int m, int slot, const char* format, ...) __attribute__((format(printf, 3, 4)));
void show_title(int m, const char* text);
// Erases the line of a text object (its fixed width, descenders included).
void erase_text(CSDLText* t);
// Shows or hides button `slot` and its value text.
void set_shown(int m, int slot, bool shown);
void release(int m, int slot);
CButton* button(int m, int slot);
CTraceView* trace_view(int m);
CListBox* list(int m);

// Saves what changes how data are shown: the open profile's .add and, outside the file
// manager, the antenna parameter block, the XML file and the parameter store.
void save_display_settings();

// The CU is connected and set up (pisOn).
bool cu_on();

// The next key of a value-editing loop: SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN or
// SDLK_RETURN. Between keys it runs `tick` (the live trace, the battery), so the screen stays
// alive while the operator thinks.
int edit_key(void (*tick)());
// The live single trace and the battery: the tick of the screens with a trace view.
void trace_tick();
// Steps a value with Left/Right until Enter: `step` gets +1 for Right and -1 for Left,
// changes the value, sends it where it goes and shows it. `tick` runs between keys.
void edit_steps(void (*tick)(), const std::function<void(int)>& step);
// Number field `f` selected and stepped with Left (down) and Right (up) until Enter;
// `stepped` runs after every step (to store or send the value at once).
void edit_field(CSDLText_N* f, void (*tick)(), const std::function<void()>& stepped = nullptr);
// Date (and time) field `f` edited in place: Left goes back (to the part before, or the
// value down), Right forward, Enter switches between moving and changing; Enter past the
// last part ends the entry.
void edit_date_time(CSDLText_DT* f, void (*tick)());
// Moves through list `l` (Left next, Right previous) until Enter, running `tick` between
// keys; returns the chosen row.
int pick_in_list(CListBox& l, void (*tick)());
// The choice list (slot 20) of screen m shown over the screen at row `current`, picked from
// and hidden again; returns the chosen row (`current` when the screen has no list).
int choose_from_list(int m, int current);
// Loop of a text field (name, number as characters): Left/Right move the cursor or change
// the character under it (Left forward, as for the focus and the lists), Enter switches
// between the two (at the end it appends a character), Up deletes and Down inserts one; Left
// from the end moves past it, where Enter closes the field once `accept` agrees with the
// text (a refusal shows its own message and the field stays open; without a check every
// text is taken). The cursor starts on the first character, or with `at_end` at the end
// (numbers shown right-aligned).
void edit_text(CSDLText* field, const std::function<bool(const char*)>& accept = {},
               bool at_end = false);
// Asks until the typed number parses: edits `field` (a number entered as characters) and
// returns its value.
double edit_number(CSDLText* field);
} // namespace params
