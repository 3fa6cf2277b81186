// Waiting in tests for something to happen, never for a fixed time: each wait looks at a
// condition until it holds, and its deadline only guards against a fault that would hang.
#pragma once

#include <functional>

// Generous enough for a 2-core machine running other builds too.
constexpr double kWaitSeconds = 60;

// Looks at cond (on this thread) until it holds; false after `seconds`.
bool eventually(const std::function<bool()>& cond, double seconds = kWaitSeconds);

// Looks at cond on the GUI thread each time an input loop waits for a key
// (gui/key_handover.h) until it holds, then runs `then` there at the same key wait. False
// when it did not hold within `seconds`.
bool at_key_wait_when(const std::function<bool()>& cond, const std::function<void()>& then = {},
                      double seconds = kWaitSeconds);

// Waits for `n` more key waits of the GUI thread (the screen went round its input loop).
bool key_waits_pass(int n, double seconds = kWaitSeconds);
