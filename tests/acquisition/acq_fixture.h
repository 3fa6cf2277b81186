// Shared set-up of the acquisition tests: a private sandbox with the data folder, the antenna
// parameter block and the engine's state put back afterwards.
#pragma once

#include "acquisition/acq_state.h"
#include "cu/eep.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// Resets every acquisition flag, counter and the link's descriptor ring to the idle state.
void reset_acquisition_state();

class AcqTest : public ::testing::Test {
protected:
    Sandbox sb;
    CEEP saved_eep = eep;

    void SetUp() override;
    void TearDown() override;
    std::string data(const std::string& file) const { return sb.path("/mnt/hda1/" + file); }
};

// The traces of a .rd7 of n samples per trace.
std::vector<std::vector<int32_t>> read_rd7(const std::string& path, int n);
// Lines of a text file split at "\r\n".
std::vector<std::string> file_lines(const std::string& path);
