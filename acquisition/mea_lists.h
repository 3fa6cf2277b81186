// The marker list and the tools list of screen 3, and the tools list of screen 2 (the row is
// that of `mode`) (acquisition/mea_lists.cpp). Each returns false when an acquisition error
// stopped the measurement while it was open.
#pragma once

class CScrBuf;

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
