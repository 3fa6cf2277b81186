// Start-up of the monitor program, steps 1 to 12, in their fixed order.
#pragma once

// The clean-shutdown marker on the system partition.
constexpr const char* kShutdownMarker = "/mnt/hda3/hda1_ok";

// Step 2: checks and mounts the system partition, falling back to mke2fs when it cannot be
// mounted; a partition mounted already (the program restarted without a reboot) is used as
// it is. Returns whether the clean-shutdown marker was present; it is deleted either way.
bool check_system_partition();

// Step 9: checks the data partition when the marker was absent, mounts it (re-creating it
// after a warning when that fails; one mounted already is used as it is) and makes its
// folders. After an unclean end it then repairs the profiles left open.
void check_data_partition(bool marker_present);

// The headers of profiles an unclean end left disagreeing with their data are rewritten, and
// the one recorded last becomes the current profile, so that "Cont" continues it.
void repair_after_unclean_end();

// Step 6: default size, point interval and line spacing of a new grid project.
void set_grid_defaults(int units);

// Runs steps 1 to 12. Returns 0 (start-up goes on whatever fails on the way).
int startup();
