#include "files/disk.h"

#include "files/keylines.h"
#include "platform/shell.h"

#include <cstring>

char err_filename[kErrFilenameSize];

void sync3()
{
    for (int i = 0; i < 3; i++)
        run_shell("sync");
}

void set_err_filename(const char* device_path)
{
    copy_text(err_filename, sizeof err_filename, device_path);
}

bool plain_file_name(const char* name)
{
    return name && !strchr(name, '/') && strcmp(name, ".") != 0 && strcmp(name, "..") != 0;
}
