// Disk discipline of the data files: every data-file access runs under lock_dw, and every
// file closed after writing and every deletion is followed by "sync" three times while the
// lock is still held.
#pragma once

#include <cstddef>

// The data directory on the data partition.
constexpr const char* kDataDir = "/mnt/hda1/";
// The export folder on the USB stick.
constexpr const char* kExportDir = "/mnt/usb/SORLAN";

// Runs "sync" three times, each as its own shell command.
void sync3();

// Name of the last data file that could not be opened or written (for the error display).
constexpr size_t kErrFilenameSize = 256;
extern char err_filename[kErrFilenameSize];
void set_err_filename(const char* device_path);

// True when a file name taken from the file manager may be joined to the data directory:
// not empty of meaning, no '/' (so no way out of the directory) and not "." or "..".
bool plain_file_name(const char* name);

// Room kept on the data partition while a profile is recorded: a file of kReserveBytes that
// is given up when the disk is full, so that the profile's header (and its marker end line)
// can still be written when the traces have filled the disk.
constexpr const char* kReservePath = "/mnt/hda1/.header_room";
constexpr long kReserveBytes = 64 * 1024;
// Creates the reserve unless it is there whole: 0, or -1 when there is no room for it
// (nothing is left behind).
int disk_reserve_take();
// Deletes the reserve: true when there was one.
bool disk_reserve_release();
// Bytes the data partition still offers, -1 when unknown.
long long data_free_bytes();
