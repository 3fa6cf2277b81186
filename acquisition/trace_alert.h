// The warning of the measurement screens (3 and 8) that the profile does not hold every
// trace as measured: trigger steps the CU skipped because the cart ran too fast, and blank
// traces stored for traces lost on the way. Shown in red over the radargram's top edge
// while measuring, and summed up in a notice at the stop.
#pragma once

// Hides the warning of the current row and forgets what it showed (a screen's entry).
void trace_alert_reset();
// Redraws the warning of the current row when the counts changed, or when `force`.
void trace_alert_show(bool force = false);
// The stop's notice (shown for 3 s) when the run skipped or filled traces; the CU's own
// count of missed triggers, when its stop answer gave one, stands for the skipped steps.
void trace_alert_at_stop();
// The warning's words for the counts ("" when both are 0). Bounded by `size`.
void trace_alert_text(int missed, int filled, char* out, int size);
