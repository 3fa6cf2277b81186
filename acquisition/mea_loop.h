// The loop of the profile measurement screens between key presses.
#pragma once

// The measurement display between key presses: doMea when the timer asked for it, the ruler
// follower and the GPS text. False when an acquisition error stopped the measurement.
bool measurement_tick();
// Where a screen goes back to after the measurement: 2, or 37 in a Plavik project.
int back_code();
