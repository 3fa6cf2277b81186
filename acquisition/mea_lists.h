// The marker list and the tools list of screen 3, and the tools list of screen 2 (the row is
// that of `mode`) (acquisition/mea_lists.cpp). Each returns false when an acquisition error
// stopped the measurement while it was open.
#pragma once

#include <functional>

class CScrBuf;

// The cursor and the number entry of these tools, also used on other screens' radargrams;
// `between` runs between looks at the keys (false ends them: an acquisition error). Held or
// quickly repeated arrows take larger steps; Up, Down and Escape leave.
// A horizontal cursor on the radargram: Right moves it up, Left down by `step` rows, within
// [min_row, height - 2]. The chosen row, -1 when left, -2 when `between` failed.
int row_cursor(CScrBuf* b, int start, int min_row, int step, const std::function<bool()>& between);
// A number entry over the radargram in the number slots of screen row `row`: Left/Right step
// the value within [lo, hi]. 1 with *out set on Enter, 0 when left, -2 when `between` failed.
int number_entry(CScrBuf* b, int row, const char* caption, const char* format, float value, float lo, float hi,
                 float step, float* out, const std::function<bool()>& between);

bool markers_list(CScrBuf* b);
bool tools_list(CScrBuf* b);
// "Surface": a marker at the current trace and the zero level, unless one stands there.
// 1 added, 0 not.
int add_surface_marker();
// "Object": the depth cursor, then a marker at its sample. 1 added, 0 not, -1 left, -2 an
// acquisition error.
int object_marker(CScrBuf* b);
// Highest row the depth cursor may take: the first row below the zero level.
int depth_cursor_limit(const CScrBuf* b);
// "Migration": the visible columns are migrated and shown, the "Delete Mean Trace" flag
// saved and turned off; used again (or by migration_undo) the columns and the flag return.
void migration_tool(CScrBuf* b);
void migration_undo(CScrBuf* b);
// Before new traces move the view: migrated columns go back first.
void migration_follow(CScrBuf* b);
// First trace of the migrated columns shown, or -1.
int migrated_first_trace();
