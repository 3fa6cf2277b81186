// The display step's trace handling, separated for tests: moving the display queue into the
// radargram's trace store.
#pragma once

class CMeaBuf;
class CProfile;

// Moves every queued trace whose (1-based) number is at or after the store's first trace
// into the store (numbers become 0-based trace indices) and empties the queue:
//  - a trace more than `width` ahead of the newest stored one restarts the store at it;
//  - numbers skipped since the newest stored trace get cleared columns;
//  - a trace already stored overwrites its own column.
// The store keeps at most 2999 columns (the oldest is dropped). `samples` values are copied
// per column. Returns the number of columns added; full_redraw is set when the store was
// restarted or a column was overwritten.
int move_queue_to_store(CMeaBuf& q, CProfile& p, int width, int samples, bool& full_redraw);
