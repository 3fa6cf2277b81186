// Shared set-up of the data-file tests: a private sandbox with the data folder and the
// export folder, the antenna parameter block restored afterwards, and the radar data object
// closed before and after.
#pragma once

#include "cu/eep.h"
#include "files/radar_data.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

class FilesTest : public ::testing::Test {
protected:
    Sandbox sb;
    CEEP saved_eep = eep;

    void SetUp() override
    {
        ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/mnt/hda1") + "' '" + sb.path("/mnt/usb/SORLAN") + "'").c_str()));
        rdr.dClose(true);
        eep = CEEP();
        eep.samples = 512;
        eep.sample_interval = 0.0005;
    }
    void TearDown() override
    {
        rdr.dClose(true);
        eep = saved_eep;
    }

    std::string data(const std::string& file) const { return sb.path("/mnt/hda1/" + file); }
    std::string usb(const std::string& file) const { return sb.path("/mnt/usb/SORLAN/" + file); }

public:
    // Sample i of trace k in the test profiles: distinct per trace, negative values included.
    static int32_t sample_of(int k, int i) { return (k + 1) * 100000 - i * 977; }

protected:
    // Writes a .rd7 of `traces` traces of n samples.
    void write_rd7(const std::string& file, int traces, int n, size_t stray_bytes = 0) const;
    // Header files for a profile base with n samples (wheel trigger).
    void write_header(const std::string& base, int n, int traces) const;
};

void write_bytes(const std::string& path, const std::string& bytes);
std::vector<std::string> split_lines(const std::string& text); // at "\r\n"
