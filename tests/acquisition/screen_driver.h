// Driving the screens in this process: the screen function runs on the test's (GUI) thread
// while a script on a second thread presses keys as the operator would, waiting for what the
// screen shows before each key. Keys and looks at the screen go through the input loops' key
// wait (gui/key_handover.h): a key is taken by the screen waiting for one, and key() returns
// once the screen has dealt with it and waits again; conditions are evaluated on the GUI
// thread at a key wait. A stand-in for the periodic timer asks for the measurement display
// every 100 ms. Message boxes are recorded through mesmode_observer.
#pragma once

#include <SDL/SDL.h>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ShownBox {
    std::string title, text;
    int type;
};

class ScreenDriver {
public:
    ScreenDriver();
    ~ScreenDriver();

    // Runs `screen` here and `script` on the driver thread; returns the screen's result. A
    // script that fails (a wait timed out) ends the screens: the measurement gets an error,
    // the CU is taken away and every message box is answered.
    int run(const std::function<int()>& screen, const std::function<void(ScreenDriver&)>& script);

    // One key press; returns once the screen has taken it and waits for a key again.
    void key(SDLKey k);
    void keys(SDLKey k, int times);
    // Runs fn on the GUI thread at its next key wait (to read or set what the screens own).
    bool on_gui(const std::function<void()>& fn);
    // The focus slot of the screen waiting for a key (-1 when none waited).
    int focus();
    // Waits until cond, evaluated on the GUI thread at its key waits, holds (false after
    // `seconds`; the script then fails).
    bool wait(const std::function<bool()>& cond, double seconds = 20);
    // Waits for a message box whose title or text contains `part` (seen at a key wait: one that
    // waits for a key is then on screen).
    bool wait_box(const std::string& part, double seconds = 20);
    // Waits for cond, answering every message box that waits for a key on the way (the
    // notices a stop may show after fetching lost traces).
    bool wait_answering(const std::function<bool()>& cond, double seconds = 30);
    std::vector<ShownBox> boxes() const;
    bool saw_box(const std::string& part) const;
    bool failed() const { return failed_; }

private:
    static void observe(const char* title, const char* text, int type);
    void fail(const char* what);

    mutable std::mutex m_;
    std::condition_variable returned_;
    std::vector<ShownBox> boxes_;
    bool done_ = false; // under m_
    std::mutex tick_m_;
    std::condition_variable tick_;
    bool done_ticking_ = false; // under tick_m_
    std::atomic<bool> failed_{false};
    std::thread timer_;
};

// Focus slot of the screen shown (the GUI thread's curbut).
int focused_slot();
