// The "Migration" tool of the profile screens: the columns of the displayed profile are
// migrated through the grid cube (rdr.mx), one line of direction 1 used as the work area, and
// can be put back as they were.
#pragma once

// Prepares the cube as one line of `width` traces at the point interval `interval` (the
// antenna's when 0 or less), with the header defaults (migration on). 0, or the code of
// mx_create.
int profile_migration_prepare(int width, double interval = 0);
// The work area is ready for `n` traces of `samples` samples.
bool profile_migration_ready(int n, int samples);
// Migrates the columns cols[0..n-1] (`samples` floats each) in place and keeps their
// originals. False (nothing changed) when the work area is not ready for them.
bool profile_migration_apply(float* const* cols, int n, int samples);
// Puts the originals back into the columns last migrated; false when none are kept.
bool profile_migration_restore();
// Drops the kept originals without writing them (their columns were read again meanwhile).
void profile_migration_forget();
