// Shared helpers of the GUI tests: the screen table built in English, an operator's hand
// that presses keys while a dialog waits, and a record of every message box shown.
#pragma once

#include <SDL/SDL.h>

#include <atomic>
#include <functional>
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

// Presses the given keys one after another, each when the dialog waits for a key and the
// last one was dealt with (gui/key_handover.h); then, when `repeat_enter`, Enter at every key
// wait until destroyed. `first` runs on the GUI thread at the first key wait, before any key
// (a look at the dialog as it is first shown).
class KeyHand {
public:
    explicit KeyHand(std::vector<SDLKey> keys, bool repeat_enter = false, std::function<void()> first = {});
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
