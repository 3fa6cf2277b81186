// Free space of a file system, as the project checks compare it with what a new project
// needs.
#pragma once

// Free space of the file system holding path, in KiB: (free blocks / 1024) x block size,
// from statfs of path joined with the first directory entry's name.
// -1 directory cannot be opened, 0 directory empty, -2 statfs failed.
int CF_free_space(const char* path);
