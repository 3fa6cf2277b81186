// Free space of a file system as the project checks read it.
#include "files/free_space.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(FreeSpace, empty_folder_is_zero_missing_is_minus_one_otherwise_kib)
{
    Sandbox sb;
    std::string dir = sb.path("/mnt/usb");
    EXPECT_EQ(CF_free_space(dir.c_str()), 0);
    EXPECT_EQ(CF_free_space(sb.path("/no/such/folder").c_str()), -1);
    std::ofstream(dir + "/a.txt") << "x";
    EXPECT_GT(CF_free_space(dir.c_str()), 0);
}

