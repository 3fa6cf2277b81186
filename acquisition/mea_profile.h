// The profile the measurement screens record or show: closing it, and its markers.
#pragma once

// Writes the .add of an open profile and closes its files; the profile stays current.
void close_open_profile();
// The profile's marker at (trace, value) exists already.
bool marker_at(int trace, int value);
// Adds a marker under lock_dw, lights the ruler's alert and draws the radargram.
void add_marker_now(int trace, int value, int type, const char* text);
