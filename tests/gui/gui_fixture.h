// Shared helpers of the GUI tests: the screen table built in English, an operator's hand
// that presses keys while a dialog waits, and a record of every message box shown.
#pragma once

#include <SDL/SDL.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

struct Shown {
    std::string title, text;
    int type;
};

// Builds the language table (English) and every screen object once per test.
void gui_reset(int language = 0);

// Records every message box from construction to destruction.
class MessageLog {
public:
    MessageLog();
    ~MessageLog();
    std::vector<Shown> all() const;
    bool contains(const std::string& title) const;
};

// Presses the given keys one after another, starting after `delay_ms` (so that the dialog
// that waits for them has discarded earlier keys), `gap_ms` apart; then, when `repeat_enter`,
// Enter every 50 ms until destroyed.
class KeyHand {
public:
    KeyHand(std::vector<SDLKey> keys, int delay_ms = 200, int gap_ms = 40, bool repeat_enter = false);
    ~KeyHand();

private:
    std::atomic<bool> stop_{false};
    std::thread t_;
};

void push_key(SDLKey k);
void drain_events();

// Colour of a screen pixel (8 bits per channel).
struct Px {
    int r, g, b;
};
Px pixel_at(int x, int y);
bool is_background(Px p);
bool is_focus_yellow(Px p);
// Number of pixels in a rectangle that differ from the background colour.
int ink_in(int x, int y, int w, int h);
